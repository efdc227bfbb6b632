#include "storecheck.h"

#include <optional>

#include "keys/macrofile.h"
#include "keys/macrostore.h"
#include "platform/atomicfile.h"
#include "platform/entrynames.h"
#include "platform/unreadablefiles.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"
#include "sim/virtualmousestatefile.h"

namespace varlok::soak {

namespace {

using profiles::kProfileCategories;
using profiles::ProfileReadResult;
using profiles::ProfileStore;

bool IsSetAside(const std::filesystem::path& path) {
    return path.filename().string().find(platform::kUnreadableMark) != std::string::npos;
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Whether a start set the file aside (its name in any case, then the mark):
// its entry has no file until the next save writes one.
bool WasSetAside(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + std::string(platform::kUnreadableMark);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > prefix.size() &&
            platform::SameNameIgnoringCase(name.substr(0, prefix.size()), prefix)) {
            return true;
        }
    }
    return false;
}

void CheckProfiles(const std::filesystem::path& data, const std::filesystem::path& install,
                   StartFill fill, std::vector<std::string>& faults) {
    settings::MouseMirror mirror;
    ProfileStore store({data, install}, mirror, [] { return std::optional<int>(10); });
    for (const auto& info : kProfileCategories) {
        const std::vector<std::string> names = store.Names(info.category);
        for (int index = 0; index < static_cast<int>(names.size()); ++index) {
            const std::string& name = names[static_cast<std::size_t>(index)];
            const auto file = store.FileOf(info.category, name);
            if (!file || !Exists(*file)) {
                if (!file || !WasSetAside(*file)) {
                    faults.push_back("entry \"" + name + "\" of " + std::string(info.nameSection) +
                                     " has no file");
                }
                continue;
            }
            if (IsTemporaryFile(*file) || IsSetAside(*file)) {
                faults.push_back("entry \"" + name + "\" is the file " + file->filename().string());
            }
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(*file, error);
            if (size != profiles::kProfileHeaderSize + info.bodyLength) {
                faults.push_back(file->filename().string() + " holds " + std::to_string(size) +
                                 " bytes");
            }
            if (store.Load(info.category, index) != ProfileReadResult::Loaded) {
                faults.push_back(file->filename().string() + " does not load");
            }
        }
    }
    // The next start fills its lists from what is there.
    if (fill == StartFill::Run && store.InitProfileLists().failure) {
        faults.push_back("the start-up fill failed");
    }
}

void CheckMacros(const std::filesystem::path& data, std::vector<std::string>& faults) {
    const keys::MacroStore macros(data);
    const std::vector<std::string> names = macros.LoadMacroList();
    for (int index = 0; index < static_cast<int>(names.size()); ++index) {
        const auto file = macros.MacroFilePath(index);
        // A macro added and not yet saved has no file.
        if (!file || !Exists(*file)) {
            continue;
        }
        const platform::FileContents contents = platform::ReadWholeFile(*file);
        if (const auto fault = keys::MacroFileFault(contents.bytes, *file)) {
            faults.push_back(file->filename().string() + ": " + *fault);
        }
    }
}

}  // namespace

bool IsTemporaryFile(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return name.starts_with('.') && name.find(".tmp-") != std::string::npos;
}

StoreCheck CheckStores(const std::filesystem::path& data, const std::filesystem::path& install,
                       const std::filesystem::path& state, StartFill fill) {
    StoreCheck check;
    CheckProfiles(data, install, fill, check.faults);
    CheckMacros(data, check.faults);
    if (!state.empty() && Exists(state)) {
        const platform::FileContents contents = platform::ReadWholeFile(state);
        std::string why;
        if (!sim::VirtualMouseStateFile::Decode(contents.bytes, why)) {
            check.faults.push_back("the virtual mouse's state file does not decode: " + why);
        }
    }
    for (const std::filesystem::path& folder : {data, state.parent_path()}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            check.temporaries += IsTemporaryFile(entry.path()) ? 1 : 0;
        }
    }
    return check;
}

}  // namespace varlok::soak
