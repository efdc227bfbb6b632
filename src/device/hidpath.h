#pragma once

// Reading the markers of a HID collection path
// ("<scheme>:<node>#vid_0c45&pid_7643&mi_01&col02"), shared by HidDevice and
// the backends.

#include <cstdint>
#include <optional>
#include <string_view>

namespace varlok::device {

// The hexadecimal number that follows the first occurrence of marker (matched
// without regard to case), read the way "%x" reads it: leading hex digits,
// none giving 0; a longer number keeps its low 32 bits. Empty when the marker
// does not occur.
[[nodiscard]] std::optional<std::uint32_t> HexAfterMarker(std::string_view path,
                                                          std::string_view marker);

}  // namespace varlok::device
