#pragma once

#include "platform/desktopsettings.h"

#include <filesystem>

namespace varlok::platform {

// The KDE Plasma backend. Plasma keeps both settings in KConfig files:
//  - pointer speed: kcminputrc, group [Mouse], key XLbInptPointerAcceleration
//    (libinput acceleration -1..1, see LibinputSpeedFromPointerSpeed), which
//    Plasma's mouse module applies to the X server's libinput devices;
//  - wheel lines: kdeglobals, group [KDE], key WheelScrollLines.
// After a change it broadcasts what Plasma's own mouse settings page broadcasts:
// the D-Bus signal org.kde.KGlobalSettings.notifyChange(int 3 = SettingsChanged,
// int 0 = SETTINGS_MOUSE) on the object /KGlobalSettings of the session bus, on
// which KDE programs re-read their mouse settings.
//
// Files are changed through IniFile: one key replaced, every other line kept byte
// for byte, the file replaced atomically. A missing file is created with "\n"
// line ends, as KConfig writes them. Thread-safe; writers of the same file in this
// process are serialised.
class KdeDesktopSettings final : public DesktopSettings {
public:
    static constexpr const char* kInputFile = "kcminputrc";
    static constexpr const char* kMouseGroup = "Mouse";
    static constexpr const char* kAccelerationKey = "XLbInptPointerAcceleration";
    static constexpr const char* kGlobalsFile = "kdeglobals";
    static constexpr const char* kGlobalsGroup = "KDE";
    static constexpr const char* kWheelLinesKey = "WheelScrollLines";

    static constexpr const char* kNotifyObject = "/KGlobalSettings";
    static constexpr const char* kNotifyInterface = "org.kde.KGlobalSettings";
    static constexpr const char* kNotifySignal = "notifyChange";
    static constexpr int kSettingsChanged = 3;
    static constexpr int kMouseSettings = 0;

    // The files live in `configFolder`, by default ConfigFolder() ($XDG_CONFIG_HOME
    // or ~/.config) as it is when the object is made. The folder is created on the
    // first write when missing.
    explicit KdeDesktopSettings(std::filesystem::path configFolder);
    KdeDesktopSettings();

    [[nodiscard]] std::string_view BackendName() const override { return "KDE Plasma"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;

    // Applied once the file holds the value, whether or not the signal could be
    // sent: without a session bus no KDE program runs that could hear it (this is
    // written to DebugOutput). Failed when the file could not be written.
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;

    // From the file; a missing file or key reads as Plasma's default, 10. nullopt
    // when the file cannot be read or holds no number.
    [[nodiscard]] std::optional<int> PointerSpeed() const override;

    // As SetPointerSpeed, in kdeglobals.
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;

private:
    DesktopApplyResult WriteAndNotify(const char* fileName, const char* group, const char* key,
                                      const std::string& value) const;

    std::filesystem::path m_configFolder;
};

}  // namespace varlok::platform
