#pragma once

#include <cstdint>

namespace varlok::settings {

// Red, green and blue bytes as the device and the files keep them: the DPI
// stages' colours and the lighting's.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace varlok::settings
