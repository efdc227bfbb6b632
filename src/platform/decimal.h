#pragma once

#include <string_view>

namespace varlok::platform {

// Reads a decimal integer the way the Windows build's _wtoi does, which is how
// every number in the store files and in typed-in edits is read: leading blanks
// skipped, an optional sign, then digits up to the first non-digit. Text without
// digits reads as 0; values beyond int are clamped to INT_MIN/INT_MAX.
[[nodiscard]] int ParseDecimal(std::string_view text);

}  // namespace varlok::platform
