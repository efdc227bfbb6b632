#pragma once

#include "platform/buscaller.h"
#include "platform/desktopsettings.h"
#include "platform/inifile.h"

#include <filesystem>
#include <vector>

namespace varlok::platform {

// The KDE Plasma backend. Plasma keeps both settings in KConfig files:
//  - pointer speed: kcminputrc, group [Mouse], key XLbInptPointerAcceleration
//    (libinput acceleration -1..1, see LibinputSpeedFromPointerSpeed), which
//    Plasma's mouse module applies to the X server's libinput devices; on
//    Wayland KWin keeps it per device instead, in the group
//    [Libinput][VENDOR][PRODUCT][NAME] (decimal ids), key PointerAcceleration.
//    The group of every pointer device (touchpads aside, which have a speed of
//    their own) that KWin lists on its input-device bus interface is written
//    too, and the device's pointerAcceleration property set, so that the
//    speed takes effect at once; outside KWin's Wayland session no device is
//    listed and only [Mouse] is written;
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

    static constexpr const char* kLibinputGroup = "Libinput";
    static constexpr const char* kDeviceAccelerationKey = "PointerAcceleration";
    static constexpr const char* kKwinService = "org.kde.KWin";
    static constexpr const char* kDeviceManagerPath = "/org/kde/KWin/InputDevice";
    static constexpr const char* kDeviceManagerInterface = "org.kde.KWin.InputDeviceManager";
    static constexpr const char* kDeviceInterface = "org.kde.KWin.InputDevice";

    // The files live in `configFolder`, by default ConfigFolder() ($XDG_CONFIG_HOME
    // or ~/.config) as it is when the object is made. The folder is created on the
    // first write when missing.
    // kwin: connects to the bus on which KWin lists its input devices (by
    // default the session bus), once per SetPointerSpeed.
    explicit KdeDesktopSettings(
        std::filesystem::path configFolder,
        BusCallerFactory kwin = [] { return ConnectBusCaller(); });
    KdeDesktopSettings();

    [[nodiscard]] std::string_view BackendName() const override { return "KDE Plasma"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;

    // Applied once the file holds the value (for [Mouse] and every device
    // KWin lists, in one replacement of the file), whether or not KWin took
    // the live change and the signal could be sent: without a session bus no
    // KDE program runs that could hear it (this is written to DebugOutput).
    // Failed when the file could not be written.
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;

    // From the file; a missing file or key reads as Plasma's default, 10. nullopt
    // when the file cannot be read or holds no number.
    [[nodiscard]] std::optional<int> PointerSpeed() const override;

    // As SetPointerSpeed, in kdeglobals.
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;

private:
    DesktopApplyResult WriteAndNotify(const char* fileName,
                                      const std::vector<IniValue>& values) const;

    std::filesystem::path m_configFolder;
    BusCallerFactory m_kwin;
};

}  // namespace varlok::platform
