// makeicons: draws the program's icon in the sizes the desktop's icon theme
// looks for. Run by the build:
//
//   makeicons PICTURE FOLDER SIZE...
//
// writes FOLDER/SIZExSIZE/apps/varlok.png for each size. Exit status 0 when
// every file was written, 1 otherwise, 2 for bad arguments.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "ui/desktopaccess.h"
#include "ui/uiapplication.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: makeicons PICTURE FOLDER SIZE...\n", stderr);
        return 2;
    }
    // Nothing is shown; the build may run without a display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    varlok::ui::UiApplication application(argc, argv);
    const std::filesystem::path picture = argv[1];
    const std::filesystem::path folder = argv[2];
    for (int i = 3; i < argc; ++i) {
        const std::string_view text = argv[i];
        int size = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
        if (error != std::errc() || end != text.data() + text.size() || size <= 0) {
            std::fprintf(stderr, "makeicons: '%s' is no size\n", argv[i]);
            return 2;
        }
        const std::filesystem::path target =
            folder / (std::to_string(size) + "x" + std::to_string(size)) / "apps" / "varlok.png";
        std::error_code created;
        std::filesystem::create_directories(target.parent_path(), created);
        if (created || !varlok::ui::WritePictureAsPng(picture, size, target)) {
            std::fprintf(stderr, "makeicons: cannot draw %s into %s\n", picture.c_str(),
                         target.c_str());
            return 1;
        }
    }
    return 0;
}
