#pragma once

// Text formatting shared by the commands: bytes in the same two-digit
// lowercase hex, separated by single spaces, that the report trace uses, and
// labelled lines whose values start in one column.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varlok::tools {

// "04 24 00 ..." on one line.
[[nodiscard]] std::string HexBytes(std::span<const std::uint8_t> bytes);
// Sixteen bytes a line, each line led by its offset ("0040: 01 02 ...") and
// ended with a newline.
[[nodiscard]] std::string HexDump(std::span<const std::uint8_t> bytes);
// "ff3200" for a colour given as red, green, blue bytes.
[[nodiscard]] std::string HexColour(std::span<const std::uint8_t, 3> rgb);

// label, padded to the value column, then value and a newline.
[[nodiscard]] std::string LabelledLine(std::string_view label, std::string_view value);

}  // namespace varlok::tools
