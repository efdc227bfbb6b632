#include "lighting/effects.h"

#include <gtest/gtest.h>

#include <chrono>

#include "lighting/effecttables.h"

namespace varlok::lighting {
namespace {

using std::chrono::milliseconds;

// The settings record, the effect state of program start and the LEDs, with
// a step that runs the effect the mode byte selects.
class Effects : public ::testing::Test {
protected:
    void Choose(LightingMode mode, std::uint8_t brightnessLevel, bool left) {
        light.SetMode(static_cast<std::uint8_t>(mode));
        light.SetBrightness(brightnessLevel);
        light.SetDirectionLeft(left);
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(RunEffectStep(light, state, leds));
        }
    }
    void ExpectRange(std::size_t first, std::size_t end, LedColour expected) {
        for (std::size_t i = first; i < end; ++i) {
            EXPECT_EQ(leds.Get(i), expected) << "LED " << i;
        }
    }

    settings::SettingsRecord record;
    LightingSettings light{record};
    EffectState state;
    LedState leds;
};

TEST_F(Effects, WaveSingleColourWalksTheWaveTableAndSevenColourTheWheel) {
    Choose(LightingMode::Wave, 4, false);
    light.SetColour({0, 0, 255});
    Frames(1);
    // Right steps down from 0 to 95; LED i reads entry (95 + 20 i) mod 96.
    EXPECT_EQ(leds.Get(0), (LedColour{{0, 0, 255}, 21}));  // 255 x 22 >> 8
    EXPECT_EQ(leds.Get(1), (LedColour{{0, 0, 255}, 88}));  // entry 19 = 89
    EXPECT_EQ(state.phaseCounter.Get(), 95);
    // The logo and wheel cycle ran too: wheel entry 191.
    ExpectRange(18, 24, {{255, 0, 0}, 255});

    ResetEffectState(state);
    light.SetSevenColour(1);
    light.SetDirectionLeft(true);
    Frames(1);
    EXPECT_EQ(leds.Get(0), (LedColour{{255, 3, 0}, 255}));
    EXPECT_EQ(leds.Get(1), (LedColour{{255, 81, 0}, 255}));  // entry 16
    EXPECT_EQ(leds.Get(17), (LedColour{{0, 255, 1}, 255}));  // 1 + 15 x 17 = 256 -> 64
    ExpectRange(18, 24, {{255, 3, 0}, 255});
}

TEST_F(Effects, TrailHeadRunsUpForRightAndDownForLeftAndShows239First) {
    Choose(LightingMode::Trail, 4, false);
    light.SetColour({10, 20, 30});
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 1);
    EXPECT_EQ(state.trail[1].Get(), 239);
    EXPECT_EQ(leds.Get(1), (LedColour{{10, 20, 30}, 238}));  // 255 x 239 >> 8
    EXPECT_EQ(leds.Get(0), (LedColour{{10, 20, 30}, 0}));
    EXPECT_EQ(leds.Get(2), (LedColour{{10, 20, 30}, 0}));
    Frames(1);
    EXPECT_EQ(leds.Get(2), (LedColour{{10, 20, 30}, 238}));
    EXPECT_EQ(leds.Get(1), (LedColour{{10, 20, 30}, 223}));  // 239 - 15 = 224
    Frames(15);
    EXPECT_EQ(state.phaseCounter.Get(), 17);
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 0);

    ResetEffectState(state);
    light.SetDirectionLeft(true);
    light.SetBrightness(0);
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 17);
    EXPECT_EQ(leds.Get(17), (LedColour{{10, 20, 30}, 42}));  // 45 x 239 >> 8
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 16);
}

TEST_F(Effects, TrailSevenColourAdvancesItsColourWhenTheHeadReachesLed0) {
    Choose(LightingMode::Trail, 4, false);
    light.SetSevenColour(1);
    Frames(17);
    EXPECT_EQ(leds.Get(5).colour, (Rgb{255, 0, 0}));
    Frames(1);  // head 0
    EXPECT_EQ(state.trailColourIndex.Get(), 1);
    ExpectRange(0, 1, {{255, 128, 0}, 238});
    EXPECT_EQ(leds.Get(17).colour, (Rgb{255, 128, 0}));
    // After index 6 the colours start again.
    state.trailColourIndex.Set(6);
    Frames(18);
    EXPECT_EQ(state.trailColourIndex.Get(), 0);
}

TEST_F(Effects, SpectrumShowsTheWheelWhateverTheSevenColourFlag) {
    Choose(LightingMode::Spectrum, 4, false);
    light.SetSevenColour(0);
    light.SetColour({0, 0, 255});
    Frames(1);
    ExpectRange(0, 24, {{255, 0, 0}, 255});  // entry 191
    Frames(1);
    ExpectRange(0, 18, {{255, 0, 2}, 255});  // entry 190 = (255, 0, D[30])
    light.SetDirectionLeft(true);
    light.SetBrightness(2);
    Frames(1);
    ExpectRange(0, 18, {{255, 0, 0}, 149});  // back to 191
}

TEST_F(Effects, GradientFlowWrapsAtBothEndsAndBrightensTowardLed17) {
    Choose(LightingMode::GradientFlow, 4, false);
    state.gradientPosition = 3;
    Frames(1);
    EXPECT_EQ(state.gradientPosition.load(), 399);
    EXPECT_EQ(leds.Get(0), (LedColour{{0, 0, 0}, 16}));      // entry 399; 255 x 17 >> 8
    EXPECT_EQ(leds.Get(1), (LedColour{{255, 119, 0}, 30}));  // entry 20; 255 x 31 >> 8
    EXPECT_EQ(leds.Get(17).level, 254);                      // 255 x 255 >> 8
    Frames(1);
    EXPECT_EQ(state.gradientPosition.load(), 392);

    light.SetDirectionLeft(true);
    state.gradientPosition = 396;
    Frames(1);
    EXPECT_EQ(state.gradientPosition.load(), 3);
    state.gradientPosition = 0;
    Frames(1);
    EXPECT_EQ(leds.Get(0).colour, (Rgb{255, 22, 0}));  // entry 7
}

TEST_F(Effects, BreathingRightCountsDownFrom127AndChangesColourAtZero) {
    Choose(LightingMode::Breathing, 4, false);
    light.SetSevenColour(1);
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 127);
    ExpectRange(0, 24, {{255, 0, 0}, 0});
    Frames(63);
    EXPECT_EQ(state.phaseCounter.Get(), 64);
    ExpectRange(0, 24, {{255, 0, 0}, 254});  // 255 x 255 >> 8
    Frames(63);
    EXPECT_EQ(state.phaseCounter.Get(), 1);
    EXPECT_EQ(light.Phase(), 0);
    Frames(1);  // counter 0: one breath done
    EXPECT_EQ(light.Phase(), 1);
    EXPECT_EQ(state.breathingColourIndex.Get(), 1);
    ExpectRange(0, 24, {{0, 255, 0}, 0});
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 127);
    // Two breaths more: the phase byte wraps after 2.
    Frames(2 * 128 - 1);
    EXPECT_EQ(light.Phase(), 0);
    EXPECT_EQ(state.breathingColourIndex.Get(), 3);
    EXPECT_EQ(record.Get(LightingSettings::kPhase), 0);
}

TEST_F(Effects, BreathingLeftCountsUpAndASingleColourStays) {
    Choose(LightingMode::Breathing, 1, true);
    light.SetColour({9, 8, 7});
    Frames(1);
    EXPECT_EQ(state.phaseCounter.Get(), 1);
    Frames(62);
    ExpectRange(0, 24, {{9, 8, 7}, 96});  // counter 63: 97 x 255 >> 8
    Frames(65);
    EXPECT_EQ(state.phaseCounter.Get(), 0);
    EXPECT_EQ(light.Phase(), 1);
    ExpectRange(0, 24, {{9, 8, 7}, 0});
}

TEST_F(Effects, StaticZonesColourTheirZonesAndLeaveLeds22And23) {
    Choose(LightingMode::Spectrum, 4, false);
    Frames(1);
    Choose(LightingMode::StaticZones, 2, false);
    light.SetColour({1, 2, 3});
    light.SetLogoColour({4, 5, 6});
    light.SetWheelColour({7, 8, 9});
    Frames(1);
    ExpectRange(0, 18, {{1, 2, 3}, 149});
    ExpectRange(18, 21, {{4, 5, 6}, 149});
    ExpectRange(21, 22, {{7, 8, 9}, 149});
    ExpectRange(22, 24, {{255, 0, 0}, 255});
}

TEST_F(Effects, ReactiveFlashRisesAndFadesAndATriggerRestartsItWithTheNextColour) {
    Choose(LightingMode::Reactive, 2, false);
    light.SetSevenColour(1);
    // No flash: everything dark and the previews cleared.
    leds.Set(23, {{1, 1, 1}, 1});
    Frames(1);
    ExpectRange(0, 24, {});
    EXPECT_TRUE(leds.TakePreviewClear());

    state.reactiveTrigger = true;
    Frames(1);
    EXPECT_FALSE(state.reactiveTrigger.load());
    EXPECT_EQ(state.reactiveColourIndex.Get(), 14);
    EXPECT_EQ(state.reactiveLevel.Get(), 125);
    // Wheel 14 = (255, 65, 0); fade 2: x3 >> 8 = (2, 0, 0); then x150 >> 8.
    ExpectRange(0, 24, {{1, 0, 0}, 1});
    EXPECT_FALSE(leds.TakePreviewClear());
    Frames(20);  // level 65, fade 248
    ExpectRange(0, 24, {{145, 36, 0}, 144});

    state.reactiveTrigger = true;
    Frames(1);
    EXPECT_EQ(state.reactiveLevel.Get(), 125);
    EXPECT_EQ(state.reactiveColourIndex.Get(), 28);
    EXPECT_EQ(leds.Get(0).colour, (Rgb{1, 1, 0}));  // (255, 213, 0) x3 >> 8, x150 >> 8

    Frames(41);  // level 2: the last frame of the flash
    EXPECT_EQ(state.reactiveLevel.Get(), 2);
    EXPECT_EQ(state.reactiveActive.Get(), 0);
    EXPECT_EQ(leds.Get(0).colour, (Rgb{1, 1, 0}));
    Frames(1);
    ExpectRange(0, 24, {});
    EXPECT_TRUE(leds.TakePreviewClear());
}

TEST_F(Effects, ReactiveColourIndexStartsAgainPastOneTurnAndSingleColourIsUsed) {
    Choose(LightingMode::Reactive, 4, false);
    light.SetColour({200, 100, 0});
    state.reactiveColourIndex.Set(178);
    state.reactiveTrigger = true;
    Frames(21);
    EXPECT_EQ(state.reactiveColourIndex.Get(), 0);
    // Fade 248: x249 >> 8 = (194, 97, 0); brightness 255 keeps it.
    ExpectRange(0, 24, {{194, 97, 0}, 247});
}

TEST_F(Effects, ModeAboveSixTouchesNothingAndPausesFollowTheTables) {
    light.SetMode(7);
    leds.Set(3, {{5, 6, 7}, 8});
    state.phaseCounter.Set(9);
    EXPECT_FALSE(RunEffectStep(light, state, leds));
    EXPECT_EQ(leds.Get(3), (LedColour{{5, 6, 7}, 8}));
    EXPECT_EQ(state.phaseCounter.Get(), 9);

    const std::array<int, 5> speedPauses{10, 22, 34, 46, 58};
    for (std::uint8_t speed = 0; speed < speedPauses.size(); ++speed) {
        EXPECT_EQ(SpeedPause(speed), milliseconds(speedPauses[speed]));
    }
    const std::array<int, 8> extraPauses{0, 40, 0, 20, 0, 0, 0, 0};
    for (std::uint8_t mode = 0; mode < extraPauses.size(); ++mode) {
        EXPECT_EQ(ExtraPause(mode), milliseconds(extraPauses[mode]));
    }
}

}  // namespace
}  // namespace varlok::lighting
