#pragma once

// Where the custom controls paint: the circle progress sweep, the pie and
// bar chart layouts and the pie's slice colours. Pure functions of the
// control's rectangle and values, so that the shapes can be checked exactly;
// the controls only draw what these return. Angles are in degrees, clockwise
// from the positive x axis (90 is the bottom), as CRenderEngine::FillPie
// takes them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ui/uitypes.h"

namespace varlok::ui {

// True when the two rectangles share at least one pixel.
[[nodiscard]] bool RectsMeet(const UiRect& a, const UiRect& b);

// Pie slice colours by index, stored with red in the low byte (0x00BBGGRR).
inline constexpr std::array<std::uint32_t, 18> kSliceColours = {
    0xF5963F, 0x015AFF, 0xC0F46A, 0x6AEAF5, 0x977BFC, 0x3FF5A2, 0xFC909D, 0xFC90D2, 0xCBB07F,
    0x71C4F4, 0x85C2A2, 0x1717BD, 0xB317BD, 0xBD1761, 0xBD2B17, 0x4C8812, 0x127988, 0x122688,
};

// The opaque colour of slice index (taken modulo the table's size).
[[nodiscard]] Argb SliceColour(std::size_t index);

// The circle progress's sweep: value ÷ (maximum − minimum) × 360, truncated.
// The minimum is deliberately not subtracted from the value, so that existing
// layouts keep their look (10..110 at 60 sweeps 216°). An empty range sweeps
// 0; the result is limited to one full turn either way.
[[nodiscard]] int CircleSweepDegrees(int value, int minimum, int maximum);
// The circle progress's foreground pie starts at the bottom.
inline constexpr double kCircleStartDegrees = 90.0;
// Width of the ring: the white centre is the rectangle inset by this much.
inline constexpr int kCircleRingWidth = 10;
[[nodiscard]] UiRect CircleCentreRect(const UiRect& rc);

struct PieSlice {
    double startDegrees = 0;
    double sweepDegrees = 0;
    Argb colour = 0;
};

struct LegendRow {
    std::size_t item = 0;
    // The whole row, the colour square at its left and the label's box.
    UiRect row;
    UiRect swatch;
    UiRect label;
    Argb colour = 0;
};

struct PieLayout {
    int diameter = 0;
    UiRect pie;
    // A soft shadow of two ellipses drawn before the slices.
    UiRect outerShadow;
    UiRect innerShadow;
    std::vector<PieSlice> slices;
    // Only the rows that meet the control's rectangle.
    std::vector<LegendRow> legend;
};

inline constexpr Argb kPieOuterShadowColour = MakeArgb(30, 30, 30, 30);
inline constexpr Argb kPieInnerShadowColour = MakeArgb(100, 100, 100, 100);

// Slices follow each other from 0°, each value ÷ total × 360. Without a
// positive total there are no slices (nothing sensible to divide).
[[nodiscard]] PieLayout LayoutPie(const UiRect& control, std::span<const double> values,
                                  bool showText);

struct Bar {
    UiRect pillar;
    UiRect label;
};

struct BarLayout {
    // Where the shadow image goes (drawn only when the chart has one).
    UiRect shadow;
    std::vector<Bar> bars;
};

// Bars of pillarWidth with a gap of (control width ÷ pillarWidth) × 2 before
// each, heights scaled to the largest value. A pillar width below 1 gives no
// bars; without a positive largest value every pillar is empty.
[[nodiscard]] BarLayout LayoutBars(const UiRect& control, std::span<const double> values,
                                   bool showText, int shadowImageHeight, int pillarWidth);

}  // namespace varlok::ui
