#pragma once

#include "platform/desktopsettings.h"

namespace varlok::platform {

// The backend for sessions whose settings we cannot reach (a Wayland compositor
// other than GNOME's or Plasma's, no display at all): supports nothing, changes
// nothing, reads nothing. Thread-safe.
class UnsupportedDesktopSettings final : public DesktopSettings {
public:
    [[nodiscard]] std::string_view BackendName() const override { return "none"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;
    [[nodiscard]] std::optional<int> PointerSpeed() const override;
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;
};

}  // namespace varlok::platform
