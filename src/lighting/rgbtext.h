#pragma once

// Colours as text, "rrggbb": how the command-line tool and the bus service
// take and give them.

#include <optional>
#include <string>
#include <string_view>

#include "lighting/lightingsettings.h"

namespace varlok::lighting {

// Six hex digits RRGGBB in either case, optionally led by '#'; nothing when
// the text is no such colour.
[[nodiscard]] std::optional<Rgb> ParseRgbText(std::string_view text);

// Six lowercase hex digits.
[[nodiscard]] std::string RgbText(Rgb colour);

}  // namespace varlok::lighting
