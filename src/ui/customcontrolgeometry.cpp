#include "ui/customcontrolgeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace varlok::ui {

namespace {

constexpr int kLegendWidth = 100;
constexpr int kLegendRowSize = 18;
constexpr int kLegendRowStep = 22;
constexpr int kLegendLabelIndent = 23;
constexpr int kPieMargin = 5;
constexpr int kBarTextMargin = 25;

}  // namespace

bool RectsMeet(const UiRect& a, const UiRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

Argb SliceColour(std::size_t index) {
    const std::uint32_t bgr = kSliceColours[index % kSliceColours.size()];
    return MakeArgb(0xFF, static_cast<std::uint8_t>(bgr & 0xFF),
                    static_cast<std::uint8_t>((bgr >> 8) & 0xFF),
                    static_cast<std::uint8_t>((bgr >> 16) & 0xFF));
}

int CircleSweepDegrees(int value, int minimum, int maximum) {
    const double range = static_cast<double>(maximum) - static_cast<double>(minimum);
    if (range == 0) {
        return 0;
    }
    const double sweep = std::trunc(value * 1.0 / range * 360);
    return static_cast<int>(std::clamp(sweep, -360.0, 360.0));
}

UiRect CircleCentreRect(const UiRect& rc) {
    return {rc.left + kCircleRingWidth, rc.top + kCircleRingWidth, rc.right - kCircleRingWidth,
            rc.bottom - kCircleRingWidth};
}

PieLayout LayoutPie(const UiRect& control, std::span<const double> values, bool showText) {
    PieLayout layout;
    const int legendWidth = showText ? kLegendWidth : 0;
    const int width = control.Width() - legendWidth - 2 * kPieMargin;
    const int height = control.Height() - 2 * kPieMargin;
    const int d = std::min(width, height);
    const int x0 = control.left + (width - d) / 2 + kPieMargin;
    const int y0 = control.top + (height - d) / 2 + kPieMargin;
    layout.diameter = d;
    layout.pie = {x0, y0, x0 + d, y0 + d};
    layout.outerShadow = {x0 - 4, y0 - 4, x0 + d + 4, y0 + d + 4};
    layout.innerShadow = {x0 - 1, y0 - 1, x0 + d + 1, y0 + d + 1};

    const double total = std::accumulate(values.begin(), values.end(), 0.0);
    if (total > 0) {
        double start = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double sweep = values[i] / total * 360;
            layout.slices.push_back({start, sweep, SliceColour(i)});
            start += sweep;
        }
    }

    if (showText) {
        const int n = static_cast<int>(values.size());
        int ly = std::max(control.top + (height - n * kLegendRowSize - n * 4) / 2,
                          control.top + kPieMargin);
        const int left = x0 + d + 10;
        for (std::size_t i = 0; i < values.size(); ++i, ly += kLegendRowStep) {
            const UiRect row{left, ly, left + legendWidth + kLegendRowSize, ly + kLegendRowSize};
            if (!RectsMeet(row, control)) {
                continue;
            }
            layout.legend.push_back(
                {.item = i,
                 .row = row,
                 .swatch = {left, ly, left + kLegendRowSize, ly + kLegendRowSize},
                 .label = {left + kLegendLabelIndent, row.top, row.right, row.bottom},
                 .colour = SliceColour(i)});
        }
    }
    return layout;
}

BarLayout LayoutBars(const UiRect& control, std::span<const double> values, bool showText,
                     int shadowImageHeight, int pillarWidth) {
    BarLayout layout;
    const int margin = showText ? kBarTextMargin : 0;
    layout.shadow = {control.left, control.bottom - shadowImageHeight - margin, control.right,
                     control.bottom - margin};
    if (values.empty() || pillarWidth < 1) {
        return layout;
    }
    const double largest = *std::max_element(values.begin(), values.end());
    const int gap = (control.Width() / pillarWidth) * 2;
    const int base = control.bottom - margin;
    int x = gap;
    for (const double value : values) {
        const int height =
            largest > 0
                ? static_cast<int>(std::trunc((control.Height() - margin) * value / largest))
                : 0;
        layout.bars.push_back(
            {.pillar = {control.left + x, base - height, control.left + x + pillarWidth, base},
             .label = {control.left + x - gap, base, control.left + x + pillarWidth + gap,
                       control.bottom}});
        x += gap + pillarWidth;
    }
    return layout;
}

}  // namespace varlok::ui
