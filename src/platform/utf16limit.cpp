#include "platform/utf16limit.h"

#include <cstdint>

namespace varlok::platform {

namespace {

struct Utf8Char {
    std::size_t bytes = 1;
    std::size_t utf16Units = 1;
};

bool IsContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at the start of `text`, or one byte
// when it is not well formed.
Utf8Char DecodeLength(std::string_view text) {
    auto lead = static_cast<std::uint8_t>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length == 1 || text.size() < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<std::uint8_t>(text[i]))) {
            return {};
        }
    }
    auto second = static_cast<std::uint8_t>(text[1]);
    bool overlongOrSurrogate = (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
                               (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F);
    if (overlongOrSurrogate) {
        return {};
    }
    return {length, length == 4 ? std::size_t{2} : std::size_t{1}};
}

}  // namespace

std::string TruncateToUtf16Units(std::string_view utf8, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t position = 0;
    while (position < utf8.size()) {
        Utf8Char next = DecodeLength(utf8.substr(position));
        if (units + next.utf16Units > maxUnits) {
            break;
        }
        units += next.utf16Units;
        position += next.bytes;
    }
    return std::string(utf8.substr(0, position));
}

}  // namespace varlok::platform
