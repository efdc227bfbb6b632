#include "platform/desktopsettings.h"

#include "platform/debugoutput.h"
#include "platform/desktopsession.h"
#include "platform/gnomedesktopsettings.h"
#include "platform/kdedesktopsettings.h"
#include "platform/unsupporteddesktopsettings.h"
#include "platform/x11desktopsettings.h"

#include <cmath>
#include <string>

namespace varlok::platform {

namespace {

constexpr double kLibinputStepsPerUnit = 10.0;

}  // namespace

double LibinputSpeedFromPointerSpeed(int speed) {
    return (DesktopSettings::ClampPointerSpeed(speed) - DesktopSettings::kDefaultPointerSpeed) /
           kLibinputStepsPerUnit;
}

std::optional<int> PointerSpeedFromLibinputSpeed(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // Clamped before rounding so that no double can overflow the int.
    const double steps =
        std::clamp(value * kLibinputStepsPerUnit, -kLibinputStepsPerUnit, kLibinputStepsPerUnit);
    return DesktopSettings::ClampPointerSpeed(DesktopSettings::kDefaultPointerSpeed +
                                              static_cast<int>(std::lround(steps)));
}

std::shared_ptr<DesktopSettings> OpenDesktopSettings() {
    const DesktopSession session = CurrentDesktopSession();
    std::shared_ptr<DesktopSettings> settings;
    switch (ChooseDesktopBackend(session)) {
        case DesktopBackendKind::Gnome:
            settings = std::make_shared<GnomeDesktopSettings>();
            break;
        case DesktopBackendKind::Kde:
            settings = std::make_shared<KdeDesktopSettings>();
            break;
        case DesktopBackendKind::X11:
            settings = std::make_shared<X11DesktopSettings>();
            break;
        case DesktopBackendKind::None:
            settings = std::make_shared<UnsupportedDesktopSettings>();
            break;
    }
    DebugOutput::Write("DesktopSettings: " + std::string(settings->BackendName()) +
                       " (VARLOK_DESKTOP=" + session.forcedDesktop +
                       ", XDG_CURRENT_DESKTOP=" + session.currentDesktop + ", GNOME schema " +
                       (session.gnomeSchemaInstalled ? "found" : "missing") + ")");
    return settings;
}

}  // namespace varlok::platform
