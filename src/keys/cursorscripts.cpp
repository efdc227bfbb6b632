#include "keys/cursorscripts.h"

#include <algorithm>
#include <optional>

#include "keys/macrofile.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "platform/debugoutput.h"
#include "platform/entrynames.h"
#include "platform/inifile.h"
#include "platform/unreadablefiles.h"

namespace varlok::keys {

namespace {

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

int ActionPosition(int shot, int action) {
    return shot * CursorScripts::kActionsPerShot + action;
}

}  // namespace

CursorScripts::CursorScripts(std::filesystem::path dataFolder, std::filesystem::path installFolder,
                             platform::AtomicWriteFaultHook faultHook)
    : m_data(std::move(dataFolder)),
      m_install(std::move(installFolder)),
      m_faultHook(std::move(faultHook)) {}

std::filesystem::path CursorScripts::ListFilePath() const {
    return m_data / kMacroListFileName;
}

std::string CursorScripts::FixedName(int script) {
    return std::string(MacroStore::kGeneratedNamePrefix) + std::to_string(script + 1);
}

std::filesystem::path CursorScripts::ScriptFile(int script) const {
    std::string name = platform::IniFile(ListFilePath())
                           .Find(kCursorNameSection, std::to_string(script))
                           .value_or(FixedName(script));
    if (!platform::IsSafeEntryName(name)) {
        name = FixedName(script);
    }
    return platform::EntryFilePath(m_data, name, kExtension)
        .value_or(m_data / (name + std::string(kExtension)));
}

std::filesystem::path CursorScripts::DefaultFile(int script) const {
    return m_install / (FixedName(script) + std::string(kExtension));
}

bool CursorScripts::PrepareCursorScripts() {
    platform::IniFile list(ListFilePath(), m_faultHook);
    // Only the first run: a script file missing later stays missing and is
    // sent as an empty script, as the user left it.
    if (list.ReadInt(kCursorCountSection, kListCountKey) != 0) {
        return true;
    }
    std::vector<platform::IniValue> values{{std::string(kCursorCountSection),
                                            std::string(kListCountKey),
                                            std::to_string(kScriptCount)}};
    for (int script = 0; script < kScriptCount; ++script) {
        values.push_back(
            {std::string(kCursorNameSection), std::to_string(script), FixedName(script)});
    }
    bool whole = list.WriteValues(values) == platform::IniWriteResult::Ok;
    for (int script = 0; script < kScriptCount; ++script) {
        const std::filesystem::path file = ScriptFile(script);
        if (!Exists(file) && !CopyStoreFile(DefaultFile(script), file, m_faultHook)) {
            platform::DebugOutput::Write("PrepareCursorScripts: cannot copy " +
                                         DefaultFile(script).string());
            whole = false;
        }
    }
    return whole;
}

CursorScripts::Shot CursorScripts::LoadShot(int script, int shot) const {
    Shot values;
    const std::filesystem::path file = ScriptFile(script);
    for (int action = kPauseAction; action < kActionsPerShot; ++action) {
        const std::optional<std::string> text =
            ReadMacroActionText(file, ActionPosition(shot, action));
        const std::optional<MacroAction> parsed = text ? ParseMacroAction(*text) : std::nullopt;
        if (!parsed) {
            continue;
        }
        if (action == kPauseAction) {
            values.pauseMs = parsed->PauseMs();
        }
        const bool towards = (parsed->code & kDownBit) != 0;
        switch (parsed->code & ~kDownBit) {
            case kHorizontalMoveCode:
                values.horizontal = parsed->value;
                values.left = towards;
                break;
            case kVerticalMoveCode:
                values.vertical = parsed->value;
                values.up = towards;
                break;
            default:
                break;
        }
    }
    return values;
}

bool CursorScripts::SaveShot(int script, int shot, const Shot& values) {
    if (shot < 0 || shot >= kShotCount) {
        return false;
    }
    const std::filesystem::path file = ScriptFile(script);
    const auto current = [&file, shot](int action) {
        const std::optional<std::string> text =
            ReadMacroActionText(file, ActionPosition(shot, action));
        return (text ? ParseMacroAction(*text) : std::nullopt).value_or(MacroAction{});
    };
    MacroAction pause = current(kPauseAction);
    pause.SetPauseMs(std::clamp(values.pauseMs, 0, kMaxPauseMs));
    MacroAction horizontal = current(kHorizontalAction);
    horizontal.code = static_cast<std::uint8_t>(kHorizontalMoveCode | (values.left ? kDownBit : 0));
    horizontal.value = static_cast<std::uint8_t>(std::clamp(values.horizontal, 0, kMaxDistance));
    horizontal.label = std::string(values.left ? kMoveLeftLabel : kMoveRightLabel);
    MacroAction vertical = current(kVerticalAction);
    vertical.code = static_cast<std::uint8_t>(kVerticalMoveCode | (values.up ? kDownBit : 0));
    vertical.value = static_cast<std::uint8_t>(std::clamp(values.vertical, 0, kMaxDistance));
    vertical.label = std::string(values.up ? kMoveUpLabel : kMoveDownLabel);
    const std::string section(kActionSection);
    const std::vector<platform::IniValue> changes{
        {section, std::to_string(ActionPosition(shot, kPauseAction)), FormatMacroAction(pause)},
        {section, std::to_string(ActionPosition(shot, kHorizontalAction)),
         FormatMacroAction(horizontal)},
        {section, std::to_string(ActionPosition(shot, kVerticalAction)),
         FormatMacroAction(vertical)}};
    return platform::IniFile(file, m_faultHook).WriteValues(changes) ==
           platform::IniWriteResult::Ok;
}

int CursorScripts::SetAsideUnreadableFiles() const {
    int setAside = 0;
    for (int script = 0; script < kScriptCount; ++script) {
        setAside += platform::SetAsideIniIfNotText(ScriptFile(script)) ? 1 : 0;
    }
    return setAside;
}

bool CursorScripts::ResetScript(int script) {
    return CopyStoreFile(DefaultFile(script), ScriptFile(script), m_faultHook);
}

std::optional<StoreMessage> CursorScripts::ImportScript(int script,
                                                        const std::filesystem::path& source) {
    // Read once: what is checked is what is copied.
    const std::optional<ImportFile> imported = ReadImportFile(source);
    if (!imported) {
        return StoreMessage{std::string(kUnreadableFileMessage), {}};
    }
    if (imported->contents.count > kMaxActions) {
        return StoreMessage{std::string(kScriptTooLongMessage), {}};
    }
    if (!imported->contents.unreadable.empty()) {
        return StoreMessage{std::string(kUnreadableFileMessage), {}};
    }
    if (!WriteStoreFile(ScriptFile(script), imported->bytes, m_faultHook)) {
        return StoreMessage{std::string(kWriteFailedMessage), {}};
    }
    return std::nullopt;
}

bool CursorScripts::ExportScript(int script, const std::filesystem::path& target) const {
    return CopyStoreFile(ScriptFile(script), target, m_faultHook);
}

std::vector<std::vector<MacroAction>> CursorScripts::LoadAllScripts() const {
    const int count =
        std::clamp(platform::IniFile(ListFilePath()).ReadInt(kCursorCountSection, kListCountKey), 0,
                   kScriptCount);
    std::vector<std::vector<MacroAction>> scripts;
    for (int script = 0; script < count; ++script) {
        scripts.push_back(ReadMacroFile(ScriptFile(script)).actions);
    }
    return scripts;
}

TableUpload CursorScripts::UploadCursorScripts(device::DeviceLink& link) const {
    const std::vector<std::vector<MacroAction>> scripts = LoadAllScripts();
    TableUpload upload;
    upload.length = MacroTableLength(scripts);
    if (upload.length == 0) {
        return upload;
    }
    const std::optional<std::vector<std::uint8_t>> table =
        upload.length <= kMaxTableLength ? BuildMacroTable(scripts) : std::nullopt;
    if (!table) {
        upload.status = UploadStatus::Refused;
        upload.message = StoreMessage{std::string(kScriptTableTooLongMessage), {}};
        platform::DebugOutput::Write("UploadCursorScripts: a table of " +
                                     std::to_string(upload.length) + " bytes is not sent");
        return upload;
    }
    upload.status = UploadStatus::Sent;
    upload.link = SendTable(link, TableKind::CursorScripts, *table);
    return upload;
}

}  // namespace varlok::keys
