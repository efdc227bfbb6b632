#include <array>
#include <climits>
#include <memory>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include "rendercontrol.h"
#include "support/uidriver.h"
#include "ui/chartviewui.h"
#include "ui/circleprogressui.h"
#include "ui/controlfactory.h"
#include "ui/customcontrolgeometry.h"
#include "ui/customcontrols.h"
#include "ui/devicekeybuttonui.h"
#include "ui/qt/wndhost.h"
#include "ui/wndui.h"

namespace varlok::ui {
namespace {

struct Rgb {
    int red;
    int green;
    int blue;
};

// The slice colours as a designer would list them: red, green, blue.
constexpr std::array<Rgb, 18> kExpectedSlices = {{
    {63, 150, 245},
    {255, 90, 1},
    {106, 244, 192},
    {245, 234, 106},
    {252, 123, 151},
    {162, 245, 63},
    {157, 144, 252},
    {210, 144, 252},
    {127, 176, 203},
    {244, 196, 113},
    {162, 194, 133},
    {189, 23, 23},
    {189, 23, 179},
    {97, 23, 189},
    {23, 43, 189},
    {18, 136, 76},
    {136, 121, 18},
    {136, 38, 18},
}};

using test::kCanvas;

// UiRect has no comparison of its own; as a tuple it compares and prints.
std::tuple<int, int, int, int> Edges(const UiRect& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}

TEST(SliceColours, TableReadBothWays) {
    for (std::size_t i = 0; i < kExpectedSlices.size(); ++i) {
        const Rgb& rgb = kExpectedSlices[i];
        // Stored with red in the low byte.
        EXPECT_EQ(kSliceColours[i] & 0xFF, static_cast<std::uint32_t>(rgb.red)) << i;
        EXPECT_EQ((kSliceColours[i] >> 8) & 0xFF, static_cast<std::uint32_t>(rgb.green)) << i;
        EXPECT_EQ((kSliceColours[i] >> 16) & 0xFF, static_cast<std::uint32_t>(rgb.blue)) << i;
        EXPECT_EQ(kSliceColours[i] >> 24, 0U) << i;
        EXPECT_EQ(SliceColour(i), MakeArgb(0xFF, static_cast<std::uint8_t>(rgb.red),
                                           static_cast<std::uint8_t>(rgb.green),
                                           static_cast<std::uint8_t>(rgb.blue)))
            << i;
        // And back: the colour finds its own index only.
        const std::uint32_t packed = static_cast<std::uint32_t>(rgb.red) |
                                     (static_cast<std::uint32_t>(rgb.green) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue) << 16);
        const auto* found = std::find(kSliceColours.begin(), kSliceColours.end(), packed);
        EXPECT_EQ(found - kSliceColours.begin(), static_cast<std::ptrdiff_t>(i));
    }
    EXPECT_EQ(SliceColour(18), SliceColour(0));
    EXPECT_EQ(SliceColour(19), SliceColour(1));
    EXPECT_EQ(SliceColour(35), SliceColour(17));
}

TEST(CircleProgressGeometry, SweepIgnoresTheMinimum) {
    EXPECT_EQ(CircleSweepDegrees(60, 10, 110), 216);
    EXPECT_EQ(CircleSweepDegrees(0, 0, 100), 0);
    EXPECT_EQ(CircleSweepDegrees(50, 0, 100), 180);
    EXPECT_EQ(CircleSweepDegrees(100, 0, 100), 360);
    EXPECT_EQ(CircleSweepDegrees(33, 0, 100), 118);  // 118.8 truncated
    EXPECT_EQ(CircleSweepDegrees(-25, 0, 100), -90);
    // Faults of the original arithmetic made harmless: no range, overflow.
    EXPECT_EQ(CircleSweepDegrees(5, 7, 7), 0);
    EXPECT_EQ(CircleSweepDegrees(500, 0, 100), 360);
    EXPECT_EQ(CircleSweepDegrees(INT_MAX, INT_MIN, INT_MAX), 179);
    EXPECT_EQ(Edges(CircleCentreRect({0, 0, 100, 80})), Edges(UiRect{10, 10, 90, 70}));
}

TEST(PieGeometry, LayoutWithLegend) {
    const std::vector<double> values = {1, 1, 2};
    const PieLayout pie = LayoutPie({0, 0, 310, 210}, values, true);
    EXPECT_EQ(pie.diameter, 200);
    EXPECT_EQ(Edges(pie.pie), Edges(UiRect{5, 5, 205, 205}));
    EXPECT_EQ(Edges(pie.outerShadow), Edges(UiRect{1, 1, 209, 209}));
    EXPECT_EQ(Edges(pie.innerShadow), Edges(UiRect{4, 4, 206, 206}));
    ASSERT_EQ(pie.slices.size(), 3U);
    EXPECT_DOUBLE_EQ(pie.slices[0].startDegrees, 0);
    EXPECT_DOUBLE_EQ(pie.slices[0].sweepDegrees, 90);
    EXPECT_DOUBLE_EQ(pie.slices[1].startDegrees, 90);
    EXPECT_DOUBLE_EQ(pie.slices[2].startDegrees, 180);
    EXPECT_DOUBLE_EQ(pie.slices[2].sweepDegrees, 180);
    EXPECT_EQ(pie.slices[2].colour, SliceColour(2));
    ASSERT_EQ(pie.legend.size(), 3U);
    // (200 - 3 * 18 - 3 * 4) / 2 = 67.
    EXPECT_EQ(Edges(pie.legend[0].row), Edges(UiRect{215, 67, 333, 85}));
    EXPECT_EQ(Edges(pie.legend[0].swatch), Edges(UiRect{215, 67, 233, 85}));
    EXPECT_EQ(Edges(pie.legend[0].label), Edges(UiRect{238, 67, 333, 85}));
    EXPECT_EQ(pie.legend[2].row.top, 67 + 2 * 22);
    EXPECT_EQ(pie.legend[1].colour, SliceColour(1));
}

TEST(PieGeometry, LegendStartsAtTheTopAndDropsRowsBelowTheControl) {
    const std::vector<double> values(12, 1.0);
    const PieLayout pie = LayoutPie({0, 0, 310, 210}, values, true);
    ASSERT_EQ(pie.legend.size(), 10U);
    EXPECT_EQ(pie.legend[0].row.top, 5);
    EXPECT_EQ(pie.legend[9].row.top, 5 + 9 * 22);
    EXPECT_EQ(pie.legend[9].item, 9U);
}

TEST(PieGeometry, WithoutTextNineteenSlicesAndNoTotal) {
    const std::vector<double> values(19, 2.0);
    const PieLayout pie = LayoutPie({10, 20, 320, 230}, values, false);
    EXPECT_EQ(Edges(pie.pie), Edges(UiRect{65, 25, 265, 225}));
    EXPECT_TRUE(pie.legend.empty());
    ASSERT_EQ(pie.slices.size(), 19U);
    EXPECT_EQ(pie.slices[18].colour, pie.slices[0].colour);
    EXPECT_NEAR(pie.slices[18].startDegrees + pie.slices[18].sweepDegrees, 360, 1e-9);

    const std::vector<double> zeros = {0, 0};
    EXPECT_TRUE(LayoutPie({0, 0, 310, 210}, zeros, true).slices.empty());
}

TEST(BarGeometry, PillarsGapsAndLabels) {
    const std::vector<double> values = {50, 100, 0};
    const BarLayout bars = LayoutBars({10, 20, 210, 170}, values, true, 12, 20);
    EXPECT_EQ(Edges(bars.shadow), Edges(UiRect{10, 133, 210, 145}));
    ASSERT_EQ(bars.bars.size(), 3U);
    // Gap (200 / 20) * 2 = 20; heights (150 - 25) * value / 100, truncated.
    EXPECT_EQ(Edges(bars.bars[0].pillar), Edges(UiRect{30, 83, 50, 145}));
    EXPECT_EQ(Edges(bars.bars[0].label), Edges(UiRect{10, 145, 70, 170}));
    EXPECT_EQ(Edges(bars.bars[1].pillar), Edges(UiRect{70, 20, 90, 145}));
    EXPECT_EQ(Edges(bars.bars[1].label), Edges(UiRect{50, 145, 110, 170}));
    EXPECT_EQ(Edges(bars.bars[2].pillar), Edges(UiRect{110, 145, 130, 145}));

    const BarLayout noText = LayoutBars({0, 0, 100, 100}, values, false, 0, 10);
    EXPECT_EQ(Edges(noText.shadow), Edges(UiRect{0, 100, 100, 100}));
    EXPECT_EQ(Edges(noText.bars[1].pillar), Edges(UiRect{50, 0, 60, 100}));

    EXPECT_TRUE(LayoutBars({0, 0, 100, 100}, values, true, 0, 0).bars.empty());
    const std::vector<double> nothing = {0, 0};
    const BarLayout flat = LayoutBars({0, 0, 100, 100}, nothing, false, 0, 10);
    ASSERT_EQ(flat.bars.size(), 2U);
    EXPECT_EQ(flat.bars[0].pillar.Height(), 0);
}

class CustomControls : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureApplication(); }

    static QImage Render(CControlUI& control, QSize size, QRect paint = {}) {
        return test::RenderControl(control, size, paint);
    }

    static QRgb Opaque(Argb colour) { return colour | 0xFF000000u; }
};

constexpr Argb kBlue = MakeArgb(0xFF, 0, 0, 0xFF);
constexpr Argb kRed = MakeArgb(0xFF, 0xFF, 0, 0);
constexpr QRgb kWhitePixel = 0xFFFFFFFF;

TEST_F(CustomControls, CircleProgressSweepsClockwiseFromTheBottom) {
    CCircleProgressUI circle;
    circle.SetPos({0, 0, 100, 100});
    circle.SetBkColor(kBlue);
    circle.SetForeColor(kRed);
    circle.SetMinValue(10);
    circle.SetMaxValue(110);
    circle.SetValue(60);
    const QImage image = Render(circle, {100, 100});
    // 216° clockwise from the bottom: through the left and the top, ending
    // at 306° (upper right); the right side keeps the background.
    EXPECT_EQ(image.pixel(46, 95), Opaque(kRed));   // just past 90°, the bottom
    EXPECT_EQ(image.pixel(54, 95), Opaque(kBlue));  // just before it
    EXPECT_EQ(image.pixel(5, 50), Opaque(kRed));    // 180°, left
    EXPECT_EQ(image.pixel(50, 5), Opaque(kRed));    // 270°, top
    EXPECT_EQ(image.pixel(73, 11), Opaque(kRed));   // 300°
    EXPECT_EQ(image.pixel(82, 18), Opaque(kBlue));  // 315°
    EXPECT_EQ(image.pixel(95, 50), Opaque(kBlue));  // 0°, right
    EXPECT_EQ(image.pixel(82, 82), Opaque(kBlue));  // 45°
    EXPECT_EQ(image.pixel(50, 50), kWhitePixel);
    EXPECT_EQ(image.pixel(25, 50), kWhitePixel);  // inside the ring
    EXPECT_EQ(image.pixel(1, 1), kCanvas);        // outside the circle
}

TEST_F(CustomControls, CircleProgressAtZeroShowsBackgroundAndWhiteCentre) {
    CCircleProgressUI circle;
    circle.SetPos({10, 10, 110, 110});
    circle.SetBkColor(kBlue);
    circle.SetForeColor(kRed);
    circle.SetValue(0);
    const QImage image = Render(circle, {120, 120});
    EXPECT_EQ(image.pixel(60, 105), Opaque(kBlue));
    EXPECT_EQ(image.pixel(15, 60), Opaque(kBlue));
    EXPECT_EQ(image.pixel(60, 60), kWhitePixel);
    EXPECT_EQ(circle.GetClass(), "CircleProgress");
}

TEST_F(CustomControls, PieSlicesFollowClockwiseWithLegendSwatches) {
    CChartViewUI chart;
    chart.SetPos({0, 0, 310, 210});
    chart.AddItem("first", 1);
    chart.AddItem("second", 3);
    const QImage image = Render(chart, {310, 210});
    // Pie centre (105, 105), radius 100. Slice 0 covers 0°..90°: lower right.
    EXPECT_EQ(image.pixel(140, 140), Opaque(SliceColour(0)));
    EXPECT_EQ(image.pixel(70, 70), Opaque(SliceColour(1)));
    EXPECT_EQ(image.pixel(140, 70), Opaque(SliceColour(1)));
    EXPECT_EQ(image.pixel(70, 140), Opaque(SliceColour(1)));
    // Legend rows at (200 - 2 * 22) / 2 = 78 and 100; squares at x 215..233.
    EXPECT_EQ(image.pixel(224, 87), Opaque(SliceColour(0)));
    EXPECT_EQ(image.pixel(224, 109), Opaque(SliceColour(1)));
    EXPECT_EQ(image.pixel(300, 5), kCanvas);
}

TEST_F(CustomControls, PieOfOneItemAndTheNineteenthSliceColour) {
    CChartViewUI single;
    single.SetPos({0, 0, 310, 210});
    single.AddItem("only", 5);
    const QImage whole = Render(single, {310, 210});
    for (const QPoint point :
         {QPoint(105, 30), QPoint(30, 105), QPoint(180, 105), QPoint(105, 180), QPoint(105, 105)}) {
        EXPECT_EQ(whole.pixel(point), Opaque(SliceColour(0))) << point.x() << "," << point.y();
    }

    CChartViewUI nineteen;
    nineteen.SetPos({0, 0, 310, 210});
    nineteen.SetAttribute("showtext", "false");
    for (int i = 0; i < 19; ++i) {
        nineteen.AddItem("item", 1);
    }
    const QImage many = Render(nineteen, {310, 210});
    // Without legend the pie is centred: (155, 105). Item 18 ends at 360°,
    // its middle lies at about 350.5°.
    EXPECT_EQ(many.pixel(155 + 80, 105 - 13), Opaque(SliceColour(0)));
    EXPECT_EQ(many.pixel(155 + 80, 105 + 13), Opaque(SliceColour(0)));  // item 0
    EXPECT_NE(SliceColour(17), SliceColour(0));
}

TEST_F(CustomControls, ChartAttributesAreExactAndGoToTheBaseFirst) {
    CChartViewUI chart;
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Pie);
    chart.SetAttribute("view", "Histpgram");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Pie);
    chart.SetAttribute("View", "histpgram");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Pie);
    chart.SetAttribute("view", "histpgram");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Histogram);
    chart.SetAttribute("view", "bars");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Histogram);
    chart.SetAttribute("view", "pie");
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Pie);

    EXPECT_TRUE(chart.IsShowText());
    chart.SetAttribute("showtext", "True");
    EXPECT_FALSE(chart.IsShowText());
    chart.SetAttribute("showhtml", "true");
    EXPECT_TRUE(chart.IsShowHtml());
    chart.SetAttribute("showhtml", "1");
    EXPECT_FALSE(chart.IsShowHtml());
    chart.SetAttribute("shadowimageheight", "12");
    chart.SetAttribute("pillarimagewidth", "wide");
    chart.SetAttribute("font", "3");
    chart.SetAttribute("shadowimage", "chart/shadow.png");
    chart.SetAttribute("pillarimage", "chart/pillar.png");
    EXPECT_EQ(chart.GetShadowImageHeight(), 12);
    EXPECT_EQ(chart.GetPillarImageWidth(), 0);
    EXPECT_EQ(chart.GetFont(), 3);
    EXPECT_EQ(chart.GetShadowImage(), "chart/shadow.png");
    EXPECT_EQ(chart.GetPillarImage(), "chart/pillar.png");
    chart.SetAttribute("bkcolor", "#FF102030");
    chart.SetAttribute("name", "ms_chart");
    EXPECT_EQ(chart.GetBkColor(), 0xFF102030U);
    EXPECT_EQ(chart.GetName(), "ms_chart");
    EXPECT_EQ(chart.GetClass(), "ChartViewUI");
}

TEST_F(CustomControls, CapitalisedViewLeavesThePie) {
    CChartViewUI chart;
    chart.SetPos({0, 0, 310, 210});
    chart.SetAttribute("view", "Histpgram");
    chart.AddItem("a", 1);
    const QImage image = Render(chart, {310, 210});
    EXPECT_EQ(image.pixel(105, 105), Opaque(SliceColour(0)));
}

TEST_F(CustomControls, BarChartDrawsPillarsAndForgetsPicturesThatFail) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage pillar(20, 100, QImage::Format_ARGB32);
    pillar.fill(Qt::green);
    const QString pillarPath = folder.filePath("pillar.png");
    ASSERT_TRUE(pillar.save(pillarPath));

    CChartViewUI chart;
    chart.SetPos({0, 0, 200, 150});
    chart.SetAttribute("view", "histpgram");
    chart.SetAttribute("showtext", "false");
    chart.SetAttribute("pillarimage", pillarPath.toStdString());
    chart.SetAttribute("pillarimagewidth", "20");
    chart.SetAttribute("shadowimage", folder.filePath("missing.png").toStdString());
    chart.SetAttribute("shadowimageheight", "10");
    chart.AddItem("low", 50);
    chart.AddItem("high", 100);
    const QImage image = Render(chart, {200, 150});
    // Gap (200 / 20) * 2 = 20: pillars at x 20..40 (half height) and 60..80.
    EXPECT_EQ(image.pixel(30, 140), 0xFF00FF00U);
    EXPECT_EQ(image.pixel(30, 60), kCanvas);
    EXPECT_EQ(image.pixel(70, 5), 0xFF00FF00U);
    EXPECT_EQ(image.pixel(50, 140), kCanvas);
    EXPECT_TRUE(chart.GetShadowImage().empty());
    EXPECT_EQ(chart.GetPillarImage(), pillarPath.toStdString());

    chart.SetAttribute("pillarimage", folder.filePath("gone.png").toStdString());
    Render(chart, {200, 150});
    EXPECT_TRUE(chart.GetPillarImage().empty());
}

TEST_F(CustomControls, ChartPaintsNothingOutsideTheRepaintedArea) {
    CChartViewUI chart;
    chart.SetPos({0, 0, 310, 210});
    chart.AddItem("a", 1);
    const QImage image = Render(chart, {400, 300}, QRect(320, 220, 50, 50));
    EXPECT_EQ(image.pixel(105, 105), kCanvas);
}

TEST_F(CustomControls, KeyButtonAttributesAndLight) {
    CDeviceKeyButtonUI key;
    EXPECT_EQ(key.GetClass(), "DeviceKeyButton");
    EXPECT_TRUE(key.IsKeySetHidden());
    EXPECT_FALSE(key.IsLit());
    EXPECT_EQ(key.GetLightColor(), 255U);
    EXPECT_EQ(key.GetLightLevel(), 200);
    key.SetAttribute("LightImage", "keys/light.png");
    key.SetAttribute("KEYSETIMAGE", "keys/set.png");
    key.SetAttribute("gmnametextcolor", "#FF00FF");
    key.SetAttribute("normalimage", "keys/normal.png");
    EXPECT_EQ(key.GetLightImage(), "keys/light.png");
    EXPECT_EQ(key.GetKeySetImage(), "keys/set.png");
    EXPECT_EQ(key.GetNormalImage(), "keys/normal.png");
    key.SetLight(0xFF00FF00, 128, true);
    EXPECT_EQ(key.GetLightColor(), 0xFF00FF00U);
    EXPECT_EQ(key.GetLightLevel(), 128);
    EXPECT_TRUE(key.IsLit());
    key.SetKeySetHidden(false);
    EXPECT_FALSE(key.IsKeySetHidden());
}

TEST_F(CustomControls, KeyButtonDrawsTheLightTintedAndTheMarkOnlyWhenShown) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage light(40, 40, QImage::Format_ARGB32);
    light.fill(Qt::white);
    QImage mark(40, 40, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    mark.setPixel(35, 35, 0xFF000000);
    ASSERT_TRUE(light.save(folder.filePath("light.png")));
    ASSERT_TRUE(mark.save(folder.filePath("mark.png")));

    CDeviceKeyButtonUI key;
    key.SetPos({0, 0, 40, 40});
    key.SetAttribute("lightimage", folder.filePath("light.png").toStdString());
    key.SetAttribute("keysetimage", folder.filePath("mark.png").toStdString());
    EXPECT_EQ(Render(key, {40, 40}).pixel(20, 20), kCanvas);  // not lit, mark hidden

    key.SetLight(kRed, 255, true);
    const QImage lit = Render(key, {40, 40});
    EXPECT_EQ(lit.pixel(20, 20), Opaque(kRed));
    EXPECT_EQ(lit.pixel(35, 35), Opaque(kRed));

    key.SetKeySetHidden(false);
    key.SetLight(kRed, 255, false);
    const QImage marked = Render(key, {40, 40});
    EXPECT_EQ(marked.pixel(35, 35), 0xFF000000U);
    EXPECT_EQ(marked.pixel(20, 20), kCanvas);
}

TEST_F(CustomControls, HostedWindowFollowsPositionAndVisibility) {
    CWndUI host;
    EXPECT_EQ(host.GetClass(), "Wnd");
    host.SetPos({1, 2, 3, 4});  // nothing hosted: only the base's work

    auto window = std::make_unique<QWidget>();
    qt::AttachHostedWindow(host, window.get());
    host.SetPos({10, 20, 110, 70});
    EXPECT_EQ(window->geometry(), QRect(10, 20, 100, 50));
    EXPECT_TRUE(window->isVisible());
    host.SetVisible(false);
    EXPECT_FALSE(window->isVisible());
    host.SetVisible(true);
    EXPECT_TRUE(window->isVisible());
    host.SetInternVisible(false);
    EXPECT_FALSE(window->isVisible());
    host.SetInternVisible(true);

    window.reset();
    host.SetPos({0, 0, 10, 10});
    EXPECT_EQ(host.Internals().window, nullptr);
}

TEST_F(CustomControls, FactoryCreatesThemByClassNameAndTag) {
    RegisterCustomControls();
    const CControlFactory& factory = CControlFactory::GetInstance();
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"CCircleProgressUI", "CircleProgress"},
        {"CChartViewUI", "ChartViewUI"},
        {"CWndUI", "Wnd"},
        {"CDeviceKeyButtonUI", "DeviceKeyButton"},
        {"CircleProgress", "CircleProgress"},
        {"DeviceKeyButton", "DeviceKeyButton"},
        {"ChartView", "ChartViewUI"},
        {"Wnd", "Wnd"},
    };
    for (const auto& [name, className] : expected) {
        const std::unique_ptr<CControlUI> control = factory.CreateControl(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->GetClass(), className) << name;
    }
    EXPECT_NE(dynamic_cast<CCircleProgressUI*>(factory.CreateControl("circleprogress").get()),
              nullptr);
}

}  // namespace
}  // namespace varlok::ui
