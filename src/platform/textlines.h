#pragma once

#include <string_view>
#include <vector>

namespace varlok::platform {

// The lines of a text, split at '\n' (a final '\n' ends the last line and
// starts none). The views point into text.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace varlok::platform
