#include "platform/unsupporteddesktopsettings.h"

namespace varlok::platform {

bool UnsupportedDesktopSettings::Supports(DesktopSetting /*setting*/) const {
    return false;
}

DesktopApplyResult UnsupportedDesktopSettings::SetPointerSpeed(int /*speed*/) {
    return DesktopApplyResult::Unsupported;
}

std::optional<int> UnsupportedDesktopSettings::PointerSpeed() const {
    return std::nullopt;
}

DesktopApplyResult UnsupportedDesktopSettings::SetWheelLines(int /*lines*/) {
    return DesktopApplyResult::Unsupported;
}

}  // namespace varlok::platform
