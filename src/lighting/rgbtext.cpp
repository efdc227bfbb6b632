#include "lighting/rgbtext.h"

#include <array>
#include <cstdint>

namespace varlok::lighting {

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

std::optional<std::uint8_t> HexDigit(char digit) {
    if (digit >= 'A' && digit <= 'F') {
        digit = static_cast<char>(digit - 'A' + 'a');
    }
    const std::size_t value = kHexDigits.find(digit);
    if (value == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<Rgb> ParseRgbText(std::string_view text) {
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    std::array<std::uint8_t, 3> channels{};
    if (text.size() != 2 * channels.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const std::optional<std::uint8_t> high = HexDigit(text[2 * i]);
        const std::optional<std::uint8_t> low = HexDigit(text[2 * i + 1]);
        if (!high || !low) {
            return std::nullopt;
        }
        channels[i] = static_cast<std::uint8_t>(*high << 4 | *low);
    }
    return Rgb{channels[0], channels[1], channels[2]};
}

std::string RgbText(Rgb colour) {
    std::string text;
    for (const std::uint8_t channel : {colour.red, colour.green, colour.blue}) {
        text += kHexDigits[channel >> 4];
        text += kHexDigits[channel & 0x0F];
    }
    return text;
}

}  // namespace varlok::lighting
