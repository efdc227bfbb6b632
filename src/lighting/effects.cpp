#include "lighting/effects.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "lighting/effecttables.h"

namespace varlok::lighting {

namespace {

using std::chrono::milliseconds;

constexpr std::uint8_t kWheelSteps = kColourWheelTurn;  // one turn of the wheel
constexpr std::uint8_t kBreathSteps = FadeCurve.size();
constexpr std::uint8_t kWaveSteps = WaveTable.size();
constexpr std::uint8_t kStripSteps = kStripLeds;
constexpr std::uint8_t kWaveSevenColourSpacing = 15;  // wheel entries between strip LEDs
constexpr std::uint8_t kWaveSingleSpacing = 20;       // wave-table entries between strip LEDs
constexpr std::uint8_t kTrailHead = 254;
constexpr std::uint16_t kGradientMove = 7;
constexpr std::uint16_t kGradientSpacing = 21;  // table entries between strip LEDs
constexpr std::uint8_t kLastPhase = 2;          // the record's effect phase byte runs 0-2
constexpr std::uint8_t kReactiveStart = 128;
constexpr std::uint8_t kReactiveFall = 3;
constexpr std::uint8_t kReactiveColourStep = 14;

// What one step reads and writes.
struct Step {
    LightingSettings& settings;
    EffectState& state;
    LedState& leds;
    std::uint8_t brightness;  // the scale of the brightness level
    std::uint8_t direction;   // the direction byte as stepping wants it: 1 left, 0 right
};

std::uint8_t Scaled(std::uint8_t brightness, std::uint8_t factor) {
    return static_cast<std::uint8_t>((brightness * factor) >> 8);
}

// Steps an index that runs 0..last, starting again after last.
std::uint8_t NextInCycle(std::uint8_t value, std::uint8_t last) {
    return value >= last ? 0 : static_cast<std::uint8_t>(value + 1);
}

void SetRange(LedState& leds, std::size_t first, std::size_t end, LedColour value) {
    for (std::size_t i = first; i < end; ++i) {
        leds.Set(i, value);
    }
}

// The closing step of Wave, Trail, Spectrum and Gradient flow: the logo, the
// wheel and the two preview-only LEDs turn round the wheel together.
void LogoAndWheelCycle(const Step& step) {
    const std::uint8_t k = StepCounter(step.state.logoCounter, step.direction, kWheelSteps);
    SetRange(step.leds, kFirstLogoLed, kLedCount, {ColourWheel[k], step.brightness});
}

void Wave(const Step& step) {
    if (step.settings.SevenColour()) {
        std::uint8_t k = StepCounter(step.state.phaseCounter, step.direction, kWheelSteps);
        for (std::size_t i = 0; i < kStripLeds; ++i) {
            step.leds.Set(i, {ColourWheel[k], step.brightness});
            k = static_cast<std::uint8_t>((k + kWaveSevenColourSpacing) % kWheelSteps);
        }
    } else {
        const Rgb colour = step.settings.Colour();
        std::uint8_t w = StepCounter(step.state.phaseCounter, step.direction, kWaveSteps);
        for (std::size_t i = 0; i < kStripLeds; ++i) {
            step.leds.Set(i, {colour, Scaled(step.brightness, WaveTable[w])});
            w = static_cast<std::uint8_t>((w + kWaveSingleSpacing) % kWaveSteps);
        }
    }
    LogoAndWheelCycle(step);
}

void Trail(const Step& step) {
    // Direction 0 (right) runs the head toward higher LED numbers.
    const std::uint8_t head =
        StepCounter(step.state.phaseCounter, step.direction == 0 ? 1 : 0, kStripSteps);
    step.state.trail[head].Set(kTrailHead);
    if (head == 0) {
        step.state.trailColourIndex.Set(
            NextInCycle(step.state.trailColourIndex.Get(), TrailColours.size() - 1));
    }
    const Rgb colour = step.settings.SevenColour()
                           ? TrailColours[std::min<std::size_t>(step.state.trailColourIndex.Get(),
                                                                TrailColours.size() - 1)]
                           : step.settings.Colour();
    for (std::size_t i = 0; i < kStripLeds; ++i) {
        const std::uint8_t value = DecayTrail(step.state.trail[i].Get());
        step.state.trail[i].Set(value);
        step.leds.Set(i, {colour, Scaled(step.brightness, value)});
    }
    LogoAndWheelCycle(step);
}

void Spectrum(const Step& step) {
    const std::uint8_t k = StepCounter(step.state.phaseCounter, step.direction, kWheelSteps);
    SetRange(step.leds, 0, kStripLeds, {ColourWheel[k], step.brightness});
    LogoAndWheelCycle(step);
}

void GradientFlow(const Step& step) {
    constexpr auto kEntries = static_cast<std::uint16_t>(GradientTable.size());
    // A damaged position is taken back into the table first.
    std::uint16_t position = step.state.gradientPosition.load(std::memory_order_relaxed) % kEntries;
    if (step.direction != 0) {
        position = static_cast<std::uint16_t>((position + kGradientMove) % kEntries);
    } else {
        // Below 0 the position starts again at the table's end, not 7 short of it.
        position = position < kGradientMove ? kEntries - 1
                                            : static_cast<std::uint16_t>(position - kGradientMove);
    }
    step.state.gradientPosition.store(position, std::memory_order_relaxed);
    std::uint16_t g = position;
    for (std::size_t i = 0; i < kStripLeds; ++i) {
        // The strip brightens toward LED 17 (factor 17 up to 255).
        const auto ramp = static_cast<std::uint8_t>(14 * i + 17);
        step.leds.Set(i, {GradientTable[g], Scaled(step.brightness, ramp)});
        g = static_cast<std::uint16_t>((g + kGradientSpacing) % kEntries);
    }
    LogoAndWheelCycle(step);
}

void Breathing(const Step& step) {
    const std::uint8_t phase = StepCounter(step.state.phaseCounter, step.direction, kBreathSteps);
    if (phase == 0) {
        // One breath completed.
        step.settings.SetPhase(NextInCycle(step.settings.Phase(), kLastPhase));
        step.state.breathingColourIndex.Set(
            NextInCycle(step.state.breathingColourIndex.Get(), MouseSevenColours.size() - 1));
    }
    const Rgb colour =
        step.settings.SevenColour()
            ? MouseSevenColours[std::min<std::size_t>(step.state.breathingColourIndex.Get(),
                                                      MouseSevenColours.size() - 1)]
            : step.settings.Colour();
    SetRange(step.leds, 0, kLedCount, {colour, Scaled(FadeCurve[phase], step.brightness)});
}

void StaticZones(const Step& step) {
    SetRange(step.leds, 0, kStripLeds, {step.settings.Colour(), step.brightness});
    SetRange(step.leds, kFirstLogoLed, kWheelLed, {step.settings.LogoColour(), step.brightness});
    step.leds.Set(kWheelLed, {step.settings.WheelColour(), step.brightness});
    // LEDs 22 and 23 keep what the previous mode left.
}

void Reactive(const Step& step) {
    EffectState& state = step.state;
    if (state.reactiveTrigger.exchange(false, std::memory_order_relaxed)) {
        state.reactiveLevel.Set(kReactiveStart);
        state.reactiveActive.Set(1);
        const auto next =
            static_cast<std::uint8_t>(state.reactiveColourIndex.Get() + kReactiveColourStep);
        state.reactiveColourIndex.Set(next >= kWheelSteps ? 0 : next);
    }
    if (state.reactiveActive.Get() == 0) {
        SetRange(step.leds, 0, kLedCount, {});
        step.leds.RequestPreviewClear();
        return;
    }
    const auto level = static_cast<std::uint8_t>(state.reactiveLevel.Get() - kReactiveFall);
    state.reactiveLevel.Set(level);
    if (level <= kReactiveFall) {
        // This frame is still drawn.
        state.reactiveActive.Set(0);
    }
    // The flash rises and falls along the fade curve as the level runs from
    // 125 down to 2.
    const std::uint8_t fade = FadeCurve[std::min<std::size_t>(level, FadeCurve.size() - 1)];
    state.workColour = step.settings.SevenColour() ? ColourWheel[state.reactiveColourIndex.Get()]
                                                   : step.settings.Colour();
    state.workColour = ScaleWorkColour(ScaleWorkColour(state.workColour, fade), step.brightness);
    SetRange(step.leds, 0, kLedCount, {state.workColour, Scaled(step.brightness, fade)});
}

struct ModeEntry {
    void (*step)(const Step&);
    milliseconds extraPause;
};

// By mode byte.
constexpr std::array<ModeEntry, kModeCount> kModes{{
    {Wave, milliseconds(0)},
    {Trail, milliseconds(40)},
    {Spectrum, milliseconds(0)},
    {GradientFlow, milliseconds(20)},
    {Breathing, milliseconds(0)},
    {StaticZones, milliseconds(0)},
    {Reactive, milliseconds(0)},
}};
static_assert(kModes.size() == static_cast<std::size_t>(LightingMode::Reactive) + 1);

}  // namespace

bool RunEffectStep(LightingSettings& settings, EffectState& state, LedState& leds) {
    const std::uint8_t mode = settings.Mode();
    if (mode >= kModes.size()) {
        return false;
    }
    const Step step{settings, state, leds, BrightnessScale(settings.Brightness()),
                    static_cast<std::uint8_t>(settings.DirectionLeft() ? 1 : 0)};
    kModes[mode].step(step);
    return true;
}

milliseconds ExtraPause(std::uint8_t mode) {
    return mode < kModes.size() ? kModes[mode].extraPause : milliseconds(0);
}

milliseconds SpeedPause(std::uint8_t speed) {
    // Two sleeps of old, 2 x speed + 10 ms and 10 x speed ms, taken as one.
    return milliseconds(2 * speed + 10) + milliseconds(10 * speed);
}

}  // namespace varlok::lighting
