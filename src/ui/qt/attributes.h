#pragma once

// Parsing of attribute values as layouts write them: colours, rectangles,
// sizes, booleans, integers, and attribute lists.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/uitypes.h"

namespace varlok::ui::attr {

// Case-insensitive ASCII comparison of attribute and class names.
[[nodiscard]] bool Equals(std::string_view a, std::string_view b);
// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB"; nullopt when malformed.
[[nodiscard]] std::optional<Argb> ParseColour(std::string_view value);
// "l,t,r,b"; missing numbers read 0.
[[nodiscard]] UiRect ParseRect(std::string_view value);
// "cx,cy".
[[nodiscard]] UiSize ParseSize(std::string_view value);
// Decimal integer with optional sign; leading spaces skipped; otherwise 0.
[[nodiscard]] int ParseInt(std::string_view value);
// "true" / "1" (any case) are true.
[[nodiscard]] bool ParseBool(std::string_view value);
// name="value" name2='value2' ...; a malformed tail is dropped.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> ParseList(std::string_view list);

}  // namespace varlok::ui::attr
