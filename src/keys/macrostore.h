#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/devicelink.h"
#include "keys/macroaction.h"
#include "keys/storemessage.h"
#include "keys/tableupload.h"
#include "platform/atomicfile.h"
#include "platform/inifile.h"

namespace varlok::keys {

// The sections and keys of the mouse's list file, msMacro.ini: the macro
// list and the cursor script list.
inline constexpr std::string_view kMacroListFileName = "msMacro.ini";
inline constexpr std::string_view kMacroCountSection = "MACROCOUNT";
inline constexpr std::string_view kMacroNameSection = "MACRONAME";
inline constexpr std::string_view kCursorCountSection = "CURSORCOUNT";
inline constexpr std::string_view kCursorNameSection = "CURSORNAME";
inline constexpr std::string_view kListCountKey = "count";

enum class MacroStoreStatus {
    Done,
    // Nothing to do (a rename to the macro's own name, an index past the list).
    Unchanged,
    // Not allowed; the message says why and nothing changed.
    Refused,
    // The disk failed; the message says so and the store is as it was.
    Failed,
};

struct MacroStoreResult {
    MacroStoreStatus status = MacroStoreStatus::Done;
    std::optional<StoreMessage> message;
    // The macro's index: the new one after AddMacro and ImportMacro.
    int index = -1;
};

// The mouse's macro store: the list file msMacro.ini (count and names of the
// macros, in list order; the cursor script names live there too) and one
// .mac file per macro, named after it, in the mouse's data folder. A macro's
// index in the list is the p1 byte of the key codes that run it. Nothing is
// cached: every operation reads what it needs when it runs.
//
// Names are the user's text and become file names: one that could leave the
// data folder or break the INI file is refused, and a name read from a
// damaged list is never used as a path (the macro then has no actions).
// Every change of a file replaces it whole and atomically, so a crash leaves
// the old or the new file and the list and the files agree.
//
// The refusals that depend on the macro editor (unsaved changes) and the
// confirmation before a delete are the editor's; the store carries out what
// it is asked.
//
// Thread affinity: any thread; operations on one store are not serialised
// against each other beyond the per-file locks (the UI thread drives them).
class MacroStore {
public:
    static constexpr int kMaxMacros = 50;
    static constexpr std::string_view kExtension = ".mac";
    static constexpr std::string_view kGeneratedNamePrefix = "name_";

    explicit MacroStore(std::filesystem::path dataFolder,
                        platform::AtomicWriteFaultHook faultHook = {});

    [[nodiscard]] const std::filesystem::path& DataFolder() const { return m_folder; }
    [[nodiscard]] std::filesystem::path ListFilePath() const;

    // Whether a name may become a macro: a safe entry name (not empty, no
    // path separator, no "." or "..", no control character, no surrounding
    // blanks, not too long) that holds neither '=' nor '['.
    [[nodiscard]] static bool IsUsableMacroName(std::string_view name);

    // The names of the list, in list order (MACROCOUNT limited to 0..50; a
    // missing name reads "0").
    [[nodiscard]] std::vector<std::string> LoadMacroList() const;
    // The file of macro index; std::nullopt past the list or for a name that
    // is not safe.
    [[nodiscard]] std::optional<std::filesystem::path> MacroFilePath(int index) const;
    // The macro's actions; none for a macro without a file.
    [[nodiscard]] std::vector<MacroAction> LoadMacroActions(int index) const;

    // Appends "name_" n, n counting up from the list's count + 1 past the
    // names in use (and past stray files of such a name, which would
    // otherwise give the new macro actions). Refused at 50 macros ("message_text_17" with 50). No
    // file is created: a macro without one has no actions.
    MacroStoreResult AddMacro();
    // Writes the macro's file: count, name and actions in order.
    MacroStoreResult SaveMacroActions(int index, std::span<const MacroAction> actions);
    // Renames macro index. Unchanged for its own name (in any letter case);
    // refused for a name that cannot be used or that another macro has in
    // any letter case ("message_text_5"), and when a file of the new name
    // is in the way ("message_macro_rename_blocked"): then the list and the
    // file keep the old name, as they do when the disk fails (Failed). With
    // editorActions, they are saved into the file first, as the editor hands
    // them over.
    MacroStoreResult RenameMacro(
        int index, std::string_view newName,
        std::optional<std::span<const MacroAction>> editorActions = std::nullopt);
    // Removes the macro from the list (later macros move down by one) and
    // deletes its file. The list file is written anew with the cursor
    // script names.
    MacroStoreResult DeleteMacro(int index);
    // Adds a macro as AddMacro does and gives it a byte-for-byte copy of the
    // file. Refused without change ("message_macro_file_unreadable") when
    // the file is no macro file (see ReadImportFile: not a regular file, too
    // large, not text, no action count) or holds an action that cannot be
    // read. The file is written before the list names it.
    MacroStoreResult ImportMacro(const std::filesystem::path& source);
    // Copies the macro's file to target (replacing it); a macro without file
    // is exported as an empty macro.
    MacroStoreResult ExportMacro(int index, const std::filesystem::path& target);

    // The start-up recovery: sets aside (platform::SetAsideUnreadable)
    // msMacro.ini when it is not text, then every listed macro's file that
    // is no macro (MacroFileFault), so that no save replaces what it held;
    // the macro then has no file, as one added and not yet saved. How many
    // were set aside.
    int SetAsideUnreadableFiles() const;

    // The actions of every macro in list order, as they are sent: actions
    // that cannot be read are left out (and named on the debug output).
    [[nodiscard]] std::vector<std::vector<MacroAction>> LoadAllMacros() const;
    // Builds the macro table and sends it with BeginTransfer, WriteMacroData,
    // EndTransfer. capacityBytes is the mouse's macro memory (DeviceInfo byte
    // 6 x 128). A table longer than that is refused with "message_text_16"
    // and the number of actions to remove; nothing is sent. No macros:
    // nothing to send.
    [[nodiscard]] TableUpload UploadMacros(device::DeviceLink& link,
                                           std::size_t capacityBytes) const;

private:
    [[nodiscard]] platform::IniFile ListFile() const;
    [[nodiscard]] std::optional<std::filesystem::path> FileOfName(std::string_view name) const;
    // msMacro.ini written anew: the macro list and the four cursor names.
    [[nodiscard]] bool RewriteList(std::span<const std::string> names) const;
    [[nodiscard]] std::string GeneratedName(std::span<const std::string> names) const;
    // Writes count index + 1 and entry index's name into the list file.
    [[nodiscard]] bool AppendToList(int index, const std::string& name) const;

    std::filesystem::path m_folder;
    platform::AtomicWriteFaultHook m_faultHook;
};

}  // namespace varlok::keys
