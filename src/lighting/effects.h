#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingsettings.h"

namespace varlok::lighting {

// One frame of the effect the mode byte selects: reads the lighting settings
// (Breathing also advances their phase byte), steps the effect state and
// writes the LEDs. False, with nothing touched, for a mode above 6.
bool RunEffectStep(LightingSettings& settings, EffectState& state, LedState& leds);

// The pause the worker sleeps before a step of the mode (Trail 40 ms,
// Gradient flow 20 ms, others none).
[[nodiscard]] std::chrono::milliseconds ExtraPause(std::uint8_t mode);
// The pause before every iteration: 2 x speed + 10 ms and 10 x speed ms.
[[nodiscard]] std::chrono::milliseconds SpeedPause(std::uint8_t speed);

}  // namespace varlok::lighting
