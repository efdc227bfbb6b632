// The profile store over a hand-edited msProfile.ini: the start-up fill, a
// load of the first entries of each list and a save of each list, in a data
// folder of its own. Whatever the INI holds, nothing is ever written outside
// the data folder (the listing of its parent stays as it was), the default
// files stay as they are, and no temporary file is left behind.
//
// Input: msProfile.ini as a FuzzedDataProvider string (it ends at a
// backslash followed by another character, "\\" is one backslash; a file
// without backslashes is taken whole), then the bytes every profile file the
// INI names is written with before the fill; without them, each gets a copy
// of its default file.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include <unistd.h>

#include "fuzzsupport.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"

namespace {

namespace fs = std::filesystem;
using varlok::profiles::ProfileCategory;
using varlok::profiles::ProfileStore;

// Entries of each list whose files are written, loaded and saved.
constexpr int kEntriesTried = 4;

std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = varlok::fuzz::ReadFile(entry.path());
    }
    return files;
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct Folders {
    Folders() {
        fs::create_directory(install);
        for (const auto& category : varlok::profiles::kProfileCategories) {
            fs::copy_file(fs::path(VARLOK_BUILD_DATA_DIR) / category.defaultFile,
                          install / category.defaultFile);
        }
        defaults = Contents(install);
    }
    fs::path root = varlok::fuzz::ScratchFolder();
    fs::path data = root / "data";
    fs::path install = root / "install";
    std::map<std::string, std::string> defaults;
};

void WriteListedFiles(ProfileStore& store, const Folders& folders, const std::string& bytes) {
    for (const auto& category : varlok::profiles::kProfileCategories) {
        const int count = std::min(store.Count(category.category), kEntriesTried);
        const std::string& contents =
            bytes.empty() ? folders.defaults.at(std::string(category.defaultFile)) : bytes;
        for (int index = 0; index < count; ++index) {
            if (const auto file =
                    store.FileOf(category.category, store.Name(category.category, index))) {
                varlok::fuzz::WriteFile(*file, contents);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folders folders;
    FuzzedDataProvider input(data, size);
    const std::string ini = input.ConsumeRandomLengthString(4096);
    const std::string files = input.ConsumeRemainingBytesAsString();

    fs::remove_all(folders.data);
    fs::create_directory(folders.data);
    varlok::fuzz::WriteFile(folders.data / ProfileStore::kIniFileName, ini);
    varlok::settings::MouseMirror mirror;
    ProfileStore store({folders.data, folders.install}, mirror,
                       [] { return std::optional<int>(10); });
    WriteListedFiles(store, folders, files);

    static_cast<void>(store.InitProfileLists());
    for (const auto& category : varlok::profiles::kProfileCategories) {
        const int count = std::min(store.Count(category.category), kEntriesTried);
        for (int index = -1; index <= count; ++index) {
            static_cast<void>(store.Load(category.category, index));
        }
        static_cast<void>(store.Save(category.category));
    }

    VARLOK_FUZZ_CHECK((Listing(folders.root) == std::set<std::string>{"data", "install"}));
    VARLOK_FUZZ_CHECK(Contents(folders.install) == folders.defaults);
    // No save leaves its temporary behind: "." + target + ".tmp-" + this
    // process's id + "-" + a counter. (A profile may well be named
    // "x.tmp-"; only the full pattern is a leftover.)
    const std::string temporaryMark = ".tmp-" + std::to_string(::getpid()) + "-";
    for (const fs::directory_entry& entry : fs::directory_iterator(folders.data)) {
        VARLOK_FUZZ_CHECK(entry.is_regular_file() && !entry.is_symlink());
        const std::string name = entry.path().filename().string();
        VARLOK_FUZZ_CHECK(
            !(name.starts_with('.') && name.find(temporaryMark) != std::string::npos));
    }
    return 0;
}
