// makeprofiles DEFINITION FOLDER: writes the default profile files the
// program installs (msdevicedefault.config, msdengdefault.led,
// mskeydefault.pro) into FOLDER, made from the readable DEFINITION
// (data/defaultprofiles.ini). Run by the build.

#include <cstdio>
#include <filesystem>

#include "platform/inifile.h"
#include "profiles/defaultprofiles.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: makeprofiles DEFINITION FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path definition = argv[1];
    if (!std::filesystem::is_regular_file(definition)) {
        std::fprintf(stderr, "makeprofiles: cannot read %s\n", argv[1]);
        return 1;
    }
    const auto reading =
        varlok::profiles::ReadDefaultProfiles(varlok::platform::IniFile(definition));
    if (!reading.profiles) {
        std::fprintf(stderr, "makeprofiles: %s: %s\n", argv[1], reading.error.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[2], error);
    if (!varlok::profiles::WriteDefaultProfiles(*reading.profiles, argv[2])) {
        std::fprintf(stderr, "makeprofiles: cannot write the profiles into %s\n", argv[2]);
        return 1;
    }
    return 0;
}
