#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "device/devicelink.h"
#include "keys/macroaction.h"
#include "keys/storemessage.h"
#include "keys/tableupload.h"
#include "platform/atomicfile.h"

namespace varlok::keys {

// The mouse's four cursor scripts: per-shot pointer corrections, kept as
// four macro-format files ("name_1.cur" .. "name_4.cur", named in the list
// file msMacro.ini) in the mouse's data folder, with defaults in the
// installation folder. Each script describes 30 shots of six actions; of
// shot s the editor changes action 6s+3 (its pause), 6s+4 (the horizontal
// move) and 6s+5 (the vertical move) and keeps everything else of the file.
// Nothing is cached; every change is written at once, whole and atomically.
//
// Thread affinity: any thread; the cursor section drives it on the UI thread.
class CursorScripts {
public:
    static constexpr int kScriptCount = 4;
    static constexpr int kShotCount = 30;
    static constexpr int kActionsPerShot = 6;
    static constexpr int kMaxActions = kShotCount * kActionsPerShot;
    static constexpr int kPauseAction = 3;
    static constexpr int kHorizontalAction = 4;
    static constexpr int kVerticalAction = 5;
    static constexpr int kMaxDistance = 255;
    static constexpr int kMaxPauseMs = 65535;
    // The mouse's room for the script table.
    static constexpr std::size_t kMaxTableLength = 3072;
    static constexpr std::string_view kExtension = ".cur";

    // What the editor shows of one shot.
    struct Shot {
        int pauseMs = 0;
        int horizontal = 0;
        bool left = false;
        int vertical = 0;
        bool up = false;
        friend bool operator==(const Shot&, const Shot&) = default;
    };

    CursorScripts(std::filesystem::path dataFolder, std::filesystem::path installFolder,
                  platform::AtomicWriteFaultHook faultHook = {});

    // The first run: when the list file names no scripts, it gets
    // CURSORCOUNT 4 and the names "name_1" .. "name_4", and each default
    // script is copied into the data folder unless a file of that name is
    // already there. Once the list names scripts nothing is done, so a
    // script file missing later is not brought back. False when something
    // could not be written or a default is missing (the debug output says
    // which).
    bool PrepareCursorScripts();

    // The file of script (0..3): the list's CURSORNAME entry plus ".cur",
    // or "name_" script + 1 when that entry is missing or not a safe name.
    [[nodiscard]] std::filesystem::path ScriptFile(int script) const;
    [[nodiscard]] std::filesystem::path DefaultFile(int script) const;

    // Shot shot (0..29) of script: the pause of action 6s+3, and the moves
    // of the actions among 6s+3 .. 6s+5 whose codes are the horizontal and
    // vertical moves. A missing shot reads as all zero.
    [[nodiscard]] Shot LoadShot(int script, int shot) const;
    // Writes the shot back: the pause (ms / 10, at most 65535 ms) into
    // action 6s+3, the moves (at most 255) with their direction bit and
    // label into 6s+4 and 6s+5; every other field of those actions stays.
    // An action that is missing or cannot be read starts from zeros.
    bool SaveShot(int script, int shot, const Shot& values);

    // The start-up recovery: sets aside (platform::SetAsideUnreadable) a
    // script file that is not text. Any other file is a script: a shot or
    // action it lacks reads as zeros. How many were set aside.
    int SetAsideUnreadableFiles() const;

    // Replaces the script with its default.
    bool ResetScript(int script);
    // Replaces the script with a copy of source. Refused with
    // "message_text_18" when source claims more than 180 actions, and with
    // "message_macro_file_unreadable" when it is no script file (see
    // ReadImportFile) or holds an action that cannot be read; the script
    // then stays as it was.
    [[nodiscard]] std::optional<StoreMessage> ImportScript(int script,
                                                           const std::filesystem::path& source);
    bool ExportScript(int script, const std::filesystem::path& target) const;

    // The actions of the listed scripts (CURSORCOUNT of them, at most 4) as
    // they are sent: actions that cannot be read are left out.
    [[nodiscard]] std::vector<std::vector<MacroAction>> LoadAllScripts() const;
    // Builds the script table and sends it with BeginTransfer,
    // WriteCursorData, EndTransfer. A table above 3072 bytes is not sent:
    // refused with "message_cursor_table_too_long", so that a save to the
    // mouse stops there rather than leave the mouse with old scripts
    // unnoticed.
    [[nodiscard]] TableUpload UploadCursorScripts(device::DeviceLink& link) const;

private:
    [[nodiscard]] std::filesystem::path ListFilePath() const;
    [[nodiscard]] static std::string FixedName(int script);

    std::filesystem::path m_data;
    std::filesystem::path m_install;
    platform::AtomicWriteFaultHook m_faultHook;
};

}  // namespace varlok::keys
