#pragma once

#include <cstdint>
#include <optional>

#include "lighting/lightingsettings.h"

namespace varlok::lighting {

// A change of the lighting made in one go (the bus service's): each field
// that is set replaces its setting, the others keep theirs. The lighting page
// applies it in the order of the fields, as the controls would one by one:
// the mode first (choosing the wave turns seven-colour mode on), a colour
// turns seven-colour mode off, and an explicit seven-colour choice comes last.
struct EffectChange {
    std::optional<std::uint8_t> mode;
    // 0-4 each; speed 0 is the fastest.
    std::optional<std::uint8_t> brightness;
    std::optional<std::uint8_t> speed;
    std::optional<bool> left;
    // The single colour (also the bottom zone's) and the zone colours.
    std::optional<Rgb> colour;
    std::optional<Rgb> wheel;
    std::optional<Rgb> logo;
    std::optional<bool> sevenColour;
};

}  // namespace varlok::lighting
