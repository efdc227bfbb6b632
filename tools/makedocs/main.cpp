// makedocs: writes varlok's and varlokctl's manual pages and varlokctl's
// bash, zsh and fish completion into a folder, from the programs' own
// tables. Run by the build:
//
//   makedocs FOLDER
//
// Exit status 0 when every file was written, 1 otherwise.

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "makedocs/completionscripts.h"
#include "makedocs/manuals.h"
#include "platform/atomicfile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: makedocs FOLDER\n", stderr);
        return 2;
    }
    using namespace varlok::tools::docs;
    const std::filesystem::path folder = argv[1];
    const InstalledPaths paths = BuildInstalledPaths();
    const std::vector<std::pair<std::string, std::string>> files{
        {"varlok.1", RenderManualPage(VarlokManual(paths))},
        {"varlokctl.1", RenderManualPage(VarlokctlManual(paths))},
        {"varlokctl.bash", BashCompletion()},
        {"_varlokctl", ZshCompletion()},
        {"varlokctl.fish", FishCompletion()},
    };
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, text] : files) {
        if (!varlok::platform::ReplaceFileAtomically(folder / name, text)) {
            std::fprintf(stderr, "makedocs: cannot write %s\n", (folder / name).c_str());
            return 1;
        }
    }
    return 0;
}
