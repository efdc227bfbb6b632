#include "platform/x11desktopsettings.h"

#include "platform/debugoutput.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <utility>

namespace varlok::platform {

namespace {

constexpr int kStepsPerUnit = 5;  // speed / 5 is the acceleration
constexpr int kThreshold = 4;     // the X server's default threshold

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Xlib needs XInitThreads before any other call when several threads use it,
// even on separate connections (it guards process-wide tables only then). libX11
// 1.8 does this itself at load time; for older ones this is the first call the
// backend makes. Thread-safe.
void InitXlibThreads() {
    static const bool initialised = XInitThreads() != 0;
    (void)initialised;
}

DisplayPtr OpenDisplay(const std::string& name) {
    InitXlibThreads();
    DisplayPtr display(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
    if (!display) {
        DebugOutput::Write("DesktopSettings X11: cannot open display " +
                           (name.empty() ? std::string("$DISPLAY") : name));
    }
    return display;
}

}  // namespace

X11DesktopSettings::PointerControl X11DesktopSettings::PointerControlForSpeed(int speed) {
    speed = ClampPointerSpeed(speed);
    const int divisor = std::gcd(speed, kStepsPerUnit);
    return {speed / divisor, kStepsPerUnit / divisor, kThreshold};
}

std::optional<int> X11DesktopSettings::SpeedForPointerControl(const PointerControl& control) {
    if (control.numerator <= 0 || control.denominator <= 0) {
        return std::nullopt;
    }
    const double steps = static_cast<double>(kStepsPerUnit) * control.numerator /
                         static_cast<double>(control.denominator);
    return ClampPointerSpeed(
        static_cast<int>(std::lround(std::min(steps, static_cast<double>(kMaxPointerSpeed)))));
}

X11DesktopSettings::X11DesktopSettings(std::string displayName)
    : m_displayName(std::move(displayName)) {}

bool X11DesktopSettings::Supports(DesktopSetting setting) const {
    return setting == DesktopSetting::PointerSpeed;
}

DesktopApplyResult X11DesktopSettings::SetPointerSpeed(int speed) {
    DisplayPtr display = OpenDisplay(m_displayName);
    if (!display) {
        return DesktopApplyResult::Failed;
    }
    const PointerControl control = PointerControlForSpeed(speed);
    XChangePointerControl(display.get(), True, True, control.numerator, control.denominator,
                          control.threshold);
    // XCloseDisplay, as `display` goes, sends the request and waits until the server
    // has processed it, so the change is in place when the caller sees the result.
    return DesktopApplyResult::Applied;
}

std::optional<int> X11DesktopSettings::PointerSpeed() const {
    DisplayPtr display = OpenDisplay(m_displayName);
    if (!display) {
        return std::nullopt;
    }
    PointerControl control;
    XGetPointerControl(display.get(), &control.numerator, &control.denominator, &control.threshold);
    return SpeedForPointerControl(control);
}

DesktopApplyResult X11DesktopSettings::SetWheelLines(int /*lines*/) {
    return DesktopApplyResult::Unsupported;
}

}  // namespace varlok::platform
