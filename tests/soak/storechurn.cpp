// The store side of the kill campaign (tests/soak/kill-campaign).
//
//   varlok_store_churn churn SEED DATA INSTALL
//     changes the profile and macro stores in DATA without end, the way the
//     profile and macro pages do (adds, copies, renames, deletes, saves,
//     program links, macro edits), choosing each step from SEED; it is meant
//     to be killed.
//   varlok_store_churn check DATA INSTALL [STATE]
//     checks what a killed program left: every list entry has its file, of
//     its size and with its magic, and loads; every macro file parses and no
//     listed macro lost its actions to a file of another name; a virtual
//     mouse state file STATE decodes; temporary files are counted and must
//     be taken for no entry. Prints one line per fault and exits 1 on any.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "keys/macrostore.h"
#include "platform/atomicfile.h"
#include "platform/entrynames.h"
#include "profiles/profilelisteditor.h"
#include "profiles/profilenames.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"
#include "storecheck.h"

namespace {

using varlok::keys::MacroAction;
using varlok::keys::MacroStore;
using varlok::profiles::CategoryInfo;
using varlok::profiles::kProfileCategories;
using varlok::profiles::ProfileCategory;
using varlok::profiles::ProfileListEditor;
using varlok::profiles::ProfileReadResult;
using varlok::profiles::ProfileStore;

// Names as users type them, long and foreign ones included; the unsafe ones
// are refused by the stores before any file is touched.
std::string RandomName(std::mt19937& random) {
    static const std::vector<std::string> kParts{
        "Game", "work", "Ünïcødé", "名前", "a b", "../up", "x", std::string(60, 'L'), " ", "Copy"};
    std::string name = kParts[random() % kParts.size()];
    if (random() % 2 == 0) {
        name += std::to_string(random() % 100);
    }
    return name;
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::vector<MacroAction> RandomActions(std::mt19937& random) {
    std::vector<MacroAction> actions(1 + random() % 40);
    for (MacroAction& action : actions) {
        const bool down = random() % 2 == 0;
        action.code = static_cast<std::uint8_t>(0x04 | (down ? 0x80 : 0));
        action.value = static_cast<std::uint8_t>(0x04 + random() % 26);
        action.downFlag = down ? 1 : 0;
        action.label = "keyboard_key_A";
        action.SetPauseMs(static_cast<long long>(random() % 5000));
    }
    return actions;
}

// One step of a profile page, on a random list.
void ProfileStep(std::mt19937& random, ProfileStore& store, ProfileListEditor& editor) {
    const ProfileCategory category =
        kProfileCategories[random() % kProfileCategories.size()].category;
    const auto& info = CategoryInfo(category);
    std::vector<std::string> names = store.Names(category);
    const int selected = names.empty() ? 0 : static_cast<int>(random() % names.size());
    switch (random() % 6) {
        case 0: {  // add, as the add button does
            names.push_back(ProfileListEditor::NewProfileName(names));
            std::vector<std::uint8_t> body(info.bodyLength, 0);
            static_cast<void>(store.ReadDefault(category, body));
            static_cast<void>(editor.AddEntry(category, names, body));
            break;
        }
        case 1: {  // copy: the file first, then the entry
            if (names.empty()) {
                break;
            }
            const std::string name =
                ProfileListEditor::CopyName(names, names[static_cast<std::size_t>(selected)]);
            std::vector<std::uint8_t> body(info.bodyLength, 0);
            if (!varlok::profiles::IsSafeProfileName(name) ||
                editor.ReadEntry(category, names[static_cast<std::size_t>(selected)], body) !=
                    ProfileReadResult::Loaded ||
                !editor.WriteEntry(category, name, body)) {
                break;
            }
            names.push_back(name);
            static_cast<void>(editor.AppendEntry(category, names));
            break;
        }
        case 2: {  // delete, never the last entry
            if (names.size() < 2) {
                break;
            }
            const std::string removed = names[static_cast<std::size_t>(selected)];
            names.erase(names.begin() + selected);
            static_cast<void>(editor.DeleteEntry(category, selected, names, removed));
            break;
        }
        case 3: {  // rename to a name the list does not hold
            const std::string name = RandomName(random);
            if (names.empty() || ProfileListEditor::ListHolds(names, name) ||
                !varlok::profiles::IsSafeProfileName(name)) {
                break;
            }
            static_cast<void>(
                editor.Rename(category, selected, names[static_cast<std::size_t>(selected)], name));
            break;
        }
        case 4:  // a program link
            static_cast<void>(editor.WriteLink(
                category, selected, random() % 2 ? "" : "/usr/bin/" + RandomName(random)));
            break;
        default: {  // choose an entry and change a setting: the save
            static_cast<void>(store.Ini().Write(info.selectSection, varlok::profiles::kSelectKey,
                                                std::to_string(selected)));
            store.TakeBody(category, RandomBytes(random, info.bodyLength));
            static_cast<void>(store.Save(category));
            break;
        }
    }
}

// The macro rename under way, written before it starts and removed once it
// is done, so that the check knows which two states the list and the files
// may be in: "index\nold name\nnew name\nwhether the old name had a file".
constexpr std::string_view kRenameIntentFile = "churn-rename.intent";

void MacroStep(std::mt19937& random, MacroStore& macros) {
    const std::vector<std::string> names = macros.LoadMacroList();
    const int count = static_cast<int>(names.size());
    const int index = count == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(count));
    switch (random() % 4) {
        case 0:
            static_cast<void>(macros.AddMacro());
            break;
        case 1:
            static_cast<void>(macros.SaveMacroActions(index, RandomActions(random)));
            break;
        case 2: {
            if (count == 0) {
                break;
            }
            const std::vector<MacroAction> actions = RandomActions(random);
            const bool save = random() % 2 == 0;
            const std::string name = RandomName(random);
            const auto file = macros.MacroFilePath(index);
            std::error_code error;
            const bool hadFile = file && std::filesystem::exists(*file, error);
            const std::filesystem::path intent = macros.DataFolder() / kRenameIntentFile;
            if (!varlok::platform::ReplaceFileAtomically(
                    intent, std::to_string(index) + "\n" + names[static_cast<std::size_t>(index)] +
                                "\n" + name + "\n" + (hadFile ? "1" : "0") + "\n")) {
                break;
            }
            static_cast<void>(macros.RenameMacro(
                index, name, save ? std::optional(std::span(actions)) : std::nullopt));
            std::filesystem::remove(intent, error);
            break;
        }
        default:
            static_cast<void>(macros.DeleteMacro(index));
            break;
    }
}

int Churn(unsigned seed, const std::filesystem::path& data, const std::filesystem::path& install) {
    std::mt19937 random(seed);
    varlok::settings::MouseMirror mirror;
    ProfileStore store({data, install}, mirror, [] { return std::optional<int>(10); });
    ProfileListEditor editor(store);
    MacroStore macros(data);
    // What a rename killed earlier left has been checked.
    std::error_code error;
    std::filesystem::remove(data / kRenameIntentFile, error);
    static_cast<void>(store.InitProfileLists());
    for (;;) {
        if (random() % 3 == 0) {
            MacroStep(random, macros);
        } else {
            ProfileStep(random, store, editor);
        }
    }
}

// A rename that was killed: the macro has the old or the new name, and the
// actions it had are in the file of the name it has.
void CheckRenameIntent(const std::filesystem::path& data, std::vector<std::string>& faults) {
    const MacroStore macros(data);
    const std::vector<std::string> names = macros.LoadMacroList();
    std::ifstream intent(data / kRenameIntentFile);
    std::string index;
    std::string oldName;
    std::string newName;
    std::string hadFile;
    if (std::getline(intent, index) && std::getline(intent, oldName) &&
        std::getline(intent, newName) && std::getline(intent, hadFile)) {
        const std::size_t at = std::stoul(index);
        const std::string name = at < names.size() ? names[at] : "";
        const auto file = macros.MacroFilePath(static_cast<int>(at));
        std::error_code error;
        if (name != oldName && name != newName) {
            faults.push_back("macro " + index + " renamed from \"" + oldName + "\" to \"" +
                             newName + "\" is named \"" + name + "\"");
        } else if (hadFile == "1" && !(file && std::filesystem::exists(*file, error))) {
            faults.push_back("macro \"" + name + "\" lost its actions in a rename from \"" +
                             oldName + "\" to \"" + newName + "\"");
        }
    }
}

int Check(const std::filesystem::path& data, const std::filesystem::path& install,
          const std::filesystem::path& state) {
    varlok::soak::StoreCheck check =
        varlok::soak::CheckStores(data, install, state, varlok::soak::StartFill::Run);
    CheckRenameIntent(data, check.faults);
    for (const std::string& fault : check.faults) {
        std::cout << "FAULT: " << fault << "\n";
    }
    std::cout << "temporary files " << check.temporaries << "\n";
    return check.faults.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "churn") {
        return Churn(static_cast<unsigned>(std::stoul(args[1])), args[2], args[3]);
    }
    if ((args.size() == 3 || args.size() == 4) && args[0] == "check") {
        return Check(args[1], args[2], args.size() == 4 ? args[3] : "");
    }
    std::cerr << "usage: varlok_store_churn churn SEED DATA INSTALL\n"
                 "       varlok_store_churn check DATA INSTALL [STATE]\n";
    return 2;
}
