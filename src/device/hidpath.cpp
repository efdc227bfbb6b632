#include "device/hidpath.h"

#include <algorithm>
#include <cctype>

namespace varlok::device {

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::uint32_t> HexAfterMarker(std::string_view path, std::string_view marker) {
    const auto found =
        std::search(path.begin(), path.end(), marker.begin(), marker.end(), SameLetter);
    if (found == path.end() || marker.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (auto it = found + static_cast<std::ptrdiff_t>(marker.size()); it != path.end(); ++it) {
        const int digit = HexDigit(*it);
        if (digit < 0) {
            break;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace varlok::device
