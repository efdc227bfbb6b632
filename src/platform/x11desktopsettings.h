#pragma once

#include "platform/desktopsettings.h"

#include <string>

namespace varlok::platform {

// The plain X11 backend (an X server without GNOME or Plasma managing the mouse):
// the pointer speed is the server's core pointer acceleration, which
// XChangePointerControl sets for every pointer device. There is no desktop-wide
// wheel-lines setting under plain X11.
//
// Thread-safe: each call opens its own Display connection and closes it before
// returning. No Xlib error handler is installed (they are process-wide): the
// requests sent are valid by construction, and a server that goes away in the
// middle of a call ends the process as it ends every other X client in it.
class X11DesktopSettings final : public DesktopSettings {
public:
    // The acceleration the server applies to pointer motion beyond `threshold`
    // pixels at once: numerator / denominator times as fast.
    struct PointerControl {
        int numerator = 2;
        int denominator = 1;
        int threshold = 4;
        friend bool operator==(const PointerControl&, const PointerControl&) = default;
    };

    // The mapping: acceleration speed / 5 in lowest terms, threshold 4. Speed 10 is
    // the X server's default (2/1, threshold 4); 5 is 1/1 (no acceleration); 1 is
    // 1/5 and 20 is 4/1, growing with every step in between. `speed` is clamped.
    [[nodiscard]] static PointerControl PointerControlForSpeed(int speed);

    // The inverse, for whatever the server holds (xset may set any fraction): the
    // nearest step to 5 x acceleration, clamped; the threshold is not considered.
    // std::nullopt for a fraction that is not positive.
    [[nodiscard]] static std::optional<int> SpeedForPointerControl(const PointerControl& control);

    // `displayName` as XOpenDisplay takes it; empty means $DISPLAY.
    explicit X11DesktopSettings(std::string displayName = {});

    [[nodiscard]] std::string_view BackendName() const override { return "X11"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;
    // Failed when the display cannot be opened.
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;
    [[nodiscard]] std::optional<int> PointerSpeed() const override;
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;

private:
    std::string m_displayName;
};

}  // namespace varlok::platform
