#include "varlokctl/hexformat.h"

#include <algorithm>
#include <cstdio>

namespace varlok::tools {
namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kValueColumn = 22;

void AppendHex(std::string& text, std::uint8_t byte) {
    constexpr char kDigits[] = "0123456789abcdef";
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

}  // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text.push_back(' ');
        }
        AppendHex(text, bytes[i]);
    }
    return text;
}

std::string HexDump(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kBytesPerLine) {
        char label[32];
        std::snprintf(label, sizeof label, "%04zx: ", offset);
        text += label;
        text += HexBytes(bytes.subspan(offset, std::min(kBytesPerLine, bytes.size() - offset)));
        text.push_back('\n');
    }
    return text;
}

std::string HexColour(std::span<const std::uint8_t, 3> rgb) {
    std::string text;
    for (std::uint8_t byte : rgb) {
        AppendHex(text, byte);
    }
    return text;
}

std::string LabelledLine(std::string_view label, std::string_view value) {
    std::string text(label);
    text.resize(std::max(text.size() + 1, kValueColumn), ' ');
    text += value;
    text += '\n';
    return text;
}

}  // namespace varlok::tools
