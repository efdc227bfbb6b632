#pragma once

#include <cstdint>
#include <optional>

namespace varlok::platform {

// Mouse buttons as X numbers them (and Wayland and Qt can be told in):
// 1 left, 2 middle, 3 right, 4/5 a vertical wheel step, 6/7 a horizontal
// one, 8 back, 9 forward.
inline constexpr std::uint32_t kButtonLeft = 1;
inline constexpr std::uint32_t kButtonMiddle = 2;
inline constexpr std::uint32_t kButtonRight = 3;
inline constexpr std::uint32_t kButtonWheelUp = 4;
inline constexpr std::uint32_t kButtonWheelLeft = 6;
inline constexpr std::uint32_t kButtonBack = 8;
inline constexpr std::uint32_t kButtonForward = 9;

// The Windows mouse message of a button's press or release: 0x201/0x202
// left, 0x204/0x205 right, 0x207/0x208 middle, 0x20B/0x20C a side button,
// 0x20A a wheel step and 0x20E a horizontal one (on press only). None for
// other buttons and for a wheel's release.
[[nodiscard]] std::optional<std::uint32_t> MouseMessageOfButton(std::uint32_t button, bool pressed);

}  // namespace varlok::platform
