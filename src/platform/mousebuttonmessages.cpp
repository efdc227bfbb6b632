#include "platform/mousebuttonmessages.h"

namespace varlok::platform {

std::optional<std::uint32_t> MouseMessageOfButton(std::uint32_t button, bool pressed) {
    constexpr std::uint32_t kLeftDown = 0x201;
    constexpr std::uint32_t kRightDown = 0x204;
    constexpr std::uint32_t kMiddleDown = 0x207;
    constexpr std::uint32_t kWheel = 0x20A;
    constexpr std::uint32_t kSideDown = 0x20B;
    constexpr std::uint32_t kHorizontalWheel = 0x20E;
    // Each button's up message follows its down message.
    const std::uint32_t up = pressed ? 0 : 1;
    switch (button) {
        case kButtonLeft:
            return kLeftDown + up;
        case kButtonMiddle:
            return kMiddleDown + up;
        case kButtonRight:
            return kRightDown + up;
        case kButtonWheelUp:
        case kButtonWheelUp + 1:
            return pressed ? std::optional(kWheel) : std::nullopt;
        case kButtonWheelLeft:
        case kButtonWheelLeft + 1:
            return pressed ? std::optional(kHorizontalWheel) : std::nullopt;
        case kButtonBack:
        case kButtonForward:
            return kSideDown + up;
        default:
            return std::nullopt;
    }
}

}  // namespace varlok::platform
