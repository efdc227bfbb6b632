#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "ui/uitypes.h"

namespace varlok::app {

// The 30 preset colours offered as swatches by the colour dialog and the
// lighting page, all fully opaque ARGB values. The swatch named
// ms_dpi_color_png_<n> stands for entry n.
inline constexpr std::size_t kPresetColourCount = 30;

[[nodiscard]] const std::array<ui::Argb, kPresetColourCount>& PresetColours();

// Entry index, or std::nullopt when index lies outside 0..29.
[[nodiscard]] std::optional<ui::Argb> PresetColour(int index);

// The first entry showing this colour (the alpha byte is ignored), or
// std::nullopt. Entries 0 and 13 are the same red; the lookup answers 0.
[[nodiscard]] std::optional<int> PresetColourIndex(ui::Argb colour);

}  // namespace varlok::app
