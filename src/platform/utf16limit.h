#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varlok::platform {

// Cuts UTF-8 text to at most `maxUnits` UTF-16 code units, the unit in which the
// Windows build counts its 260-character buffers (a character outside the Basic
// Multilingual Plane takes two). Never splits a character: one that does not fit
// whole is dropped. A byte that is not valid UTF-8 counts as one unit and is kept
// as it is.
[[nodiscard]] std::string TruncateToUtf16Units(std::string_view utf8, std::size_t maxUnits);

}  // namespace varlok::platform
