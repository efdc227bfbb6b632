#pragma once

#include "platform/desktopsettings.h"

#include <string>

namespace varlok::platform {

// The GNOME backend: the pointer speed is the GSettings key "speed" (a double,
// -1..1, see LibinputSpeedFromPointerSpeed) of org.gnome.desktop.peripherals.mouse,
// which mutter applies to every mouse at once. GNOME has no wheel-lines setting.
//
// Calls must not overlap (see DesktopSettings): besides the in-memory backend's
// unlocked table, each write hands a change notification to every GSettings
// object of the backend, whichever thread made it and may be dropping it. Each call
// looks the schema up, makes a GSettings object on a main context of its own (so
// that no change notification is left queued on another thread's context) and
// drops both before returning. A schema or key that is not installed makes calls
// fail; it never aborts the process, as g_settings_new would.
class GnomeDesktopSettings final : public DesktopSettings {
public:
    static constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
    static constexpr const char* kSpeedKey = "speed";

    // `schemaId` other than kMouseSchema only for tests (a schema that is missing).
    explicit GnomeDesktopSettings(std::string schemaId = kMouseSchema);

    // Whether the default schema source holds the schema with its "speed" key.
    [[nodiscard]] static bool SchemaInstalled(const std::string& schemaId = kMouseSchema);

    [[nodiscard]] std::string_view BackendName() const override { return "GNOME"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;
    // Writes the key and waits for the settings backend (dconf) to store it.
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;
    [[nodiscard]] std::optional<int> PointerSpeed() const override;
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;

private:
    std::string m_schemaId;
};

}  // namespace varlok::platform
