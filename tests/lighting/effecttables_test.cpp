#include "lighting/effecttables.h"

#include <gtest/gtest.h>

namespace varlok::lighting {
namespace {

TEST(EffectTables, ColourWheelTurnsThroughSixSegmentsAndRepeatsItsStart) {
    // Segment starts and ends: (255,U,0) (D,255,0) (0,255,U) (0,D,255) (U,0,255) (255,0,D).
    EXPECT_EQ(ColourWheel[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(ColourWheel[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(ColourWheel[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(ColourWheel[63], (Rgb{0, 255, 0}));
    EXPECT_EQ(ColourWheel[64], (Rgb{0, 255, 1}));
    EXPECT_EQ(ColourWheel[96], (Rgb{0, 248, 255}));
    EXPECT_EQ(ColourWheel[128], (Rgb{1, 0, 255}));
    EXPECT_EQ(ColourWheel[142], (Rgb{65, 0, 255}));
    EXPECT_EQ(ColourWheel[160], (Rgb{255, 0, 248}));
    EXPECT_EQ(ColourWheel[191], (Rgb{255, 0, 0}));
    for (std::size_t i = 192; i < ColourWheel.size(); ++i) {
        EXPECT_EQ(ColourWheel[i], ColourWheel[i - 192]) << i;
    }
}

TEST(EffectTables, FadeCurveRisesAndMirrorsAndTheWaveTableIsItsMiddle) {
    EXPECT_EQ(FadeCurve[0], 0);
    EXPECT_EQ(FadeCurve[10], 10);
    EXPECT_EQ(FadeCurve[11], 12);
    EXPECT_EQ(FadeCurve[63], 255);
    EXPECT_EQ(FadeCurve[64], 255);
    EXPECT_EQ(FadeCurve[65], 248);
    EXPECT_EQ(FadeCurve[125], 2);
    EXPECT_EQ(FadeCurve[127], 0);
    for (std::size_t i = 1; i < 64; ++i) {
        EXPECT_GE(FadeCurve[i], FadeCurve[i - 1]) << i;
    }
    EXPECT_EQ(WaveTable.front(), 22);
    EXPECT_EQ(WaveTable[19], 89);
    EXPECT_EQ(WaveTable[47], 255);
    EXPECT_EQ(WaveTable[48], 255);
    EXPECT_EQ(WaveTable.back(), 22);
}

TEST(EffectTables, GradientIsOneTurnThenBlackAndTheColourListsAreFixed) {
    EXPECT_EQ(GradientTable[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(GradientTable[191], (Rgb{255, 0, 0}));
    EXPECT_EQ(GradientTable[192], (Rgb{0, 0, 0}));
    EXPECT_EQ(GradientTable[399], (Rgb{0, 0, 0}));
    EXPECT_EQ(MouseSevenColours[3], (Rgb{255, 255, 0}));
    EXPECT_EQ(MouseSevenColours[6], (Rgb{255, 255, 255}));
    EXPECT_EQ(TrailColours[1], (Rgb{255, 128, 0}));
    EXPECT_EQ(TrailColours[3], (Rgb{0, 0, 255}));
    EXPECT_EQ(TrailColours[5], (Rgb{0, 0, 255}));
    EXPECT_EQ(TrailColours[6], (Rgb{255, 0, 255}));
}

}  // namespace
}  // namespace varlok::lighting
