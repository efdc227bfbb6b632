#include "lighting/effectstate.h"

namespace varlok::lighting {

std::uint8_t StepCounter(settings::SharedByte& counter, std::uint8_t direction, std::uint8_t n) {
    auto value = static_cast<std::uint8_t>(counter.Get() + (direction != 0 ? 1 : 255));
    if (value >= n) {
        value = direction != 0 ? 0 : static_cast<std::uint8_t>(n - 1);
    }
    counter.Set(value);
    return value;
}

Rgb ScaleWorkColour(Rgb colour, std::uint8_t factor) {
    const auto scale = [factor](std::uint8_t channel) {
        return static_cast<std::uint8_t>((channel * (factor + 1)) >> 8);
    };
    return Rgb{scale(colour.red), scale(colour.green), scale(colour.blue)};
}

std::uint8_t DecayTrail(std::uint8_t value) {
    struct Band {
        std::uint8_t lowest;
        std::uint8_t step;
    };
    // Highest band first; 0 stays 0.
    static constexpr Band kBands[] = {{128, 15}, {64, 10}, {32, 7}, {17, 3}, {1, 1}};
    for (const Band& band : kBands) {
        if (value >= band.lowest) {
            return static_cast<std::uint8_t>(value - band.step);
        }
    }
    return 0;
}

void ResetEffectState(EffectState& state) {
    state.phaseCounter.Set(0);
    state.logoCounter.Set(0);
    for (settings::SharedByte& byte : state.trail) {
        byte.Set(0);
    }
}

}  // namespace varlok::lighting
