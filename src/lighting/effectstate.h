#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "lighting/ledstate.h"
#include "settings/sharedbyte.h"

namespace varlok::lighting {

// What the mouse effects carry from one frame to the next. All of it starts
// at zero (program start). The worker steps it; the lighting page resets the
// counters and the trail from the UI thread and the notification monitor arms
// the Reactive trigger from its own thread, so every field is a relaxed
// atomic. Any thread.
struct EffectState {
    settings::SharedByte phaseCounter;                   // PhaseCounter
    settings::SharedByte logoCounter;                    // LogoCounter
    std::array<settings::SharedByte, kStripLeds> trail;  // MouseTrail
    std::atomic<std::uint16_t> gradientPosition{0};      // GradientPosition, 0-399
    settings::SharedByte breathingColourIndex;           // 0-6
    settings::SharedByte trailColourIndex;               // 0-6
    settings::SharedByte reactiveColourIndex;            // 0-191
    settings::SharedByte reactiveLevel;
    settings::SharedByte reactiveActive;
    std::atomic<bool> reactiveTrigger{false};  // MouseReactiveTrigger
    Rgb workColour;                            // the work colour; only the worker uses it
};

// Steps a counter by one in the direction (not 0: up, 0: down) cyclically
// over 0..n-1 as the effects walk their tables; returns the new value.
std::uint8_t StepCounter(settings::SharedByte& counter, std::uint8_t direction, std::uint8_t n);
// Each channel becomes the high byte of channel x (factor + 1).
[[nodiscard]] Rgb ScaleWorkColour(Rgb colour, std::uint8_t factor);
// The Trail effect's fading of one trail byte, by band.
[[nodiscard]] std::uint8_t DecayTrail(std::uint8_t value);
// Counters and trail back to zero (the page does this on a mode or direction
// change); the other fields keep their values.
void ResetEffectState(EffectState& state);

}  // namespace varlok::lighting
