#include <gtest/gtest.h>
#include <QImage>
#include <QRegion>
#include <memory>
#include <vector>

#include "rendercontrol.h"
#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/lightpictureui.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"
#include "ui/verticallayoutui.h"

namespace varlok::ui::test {
namespace {

constexpr Argb kGround = 0xFF102030u;
constexpr Argb kDot = 0xFF16323Du;

// Keeps the region of every paint the window asked of it.
class RecordedPicture : public CLightPictureUI {
public:
    void DoPaint(PaintContext& context, const UiRect& paint) override {
        regions.push_back(context.Region());
        CLightPictureUI::DoPaint(context, paint);
    }
    std::vector<QRegion> regions;
};

void Describe(CLightPictureUI& picture) {
    picture.SetBkColor(kGround);
    picture.SetAttribute("lightcolor", "#FF16323D");
    picture.SetAttribute("lights", "4,4,12,12|20,4,28,12||");
}

class LightPictureTest : public UiTest {};

TEST_F(LightPictureTest, PaintsEachDotWithItsTintOverThePicture) {
    CLightPictureUI picture;
    Describe(picture);
    ASSERT_EQ(picture.GetLightCount(), 2u) << "empty places are dropped";
    picture.SetPos({10, 10, 50, 30});
    EXPECT_EQ(picture.GetLightRect(1), (UiRect{30, 14, 38, 22}));
    EXPECT_EQ(picture.GetLightRect(2), UiRect{});

    picture.SetLightTint(1, 0x7FFF0000u, 300);  // the alpha byte is no part of it; clamped
    picture.SetLightTint(5, 0x00FFFFFFu, 255);  // no such light: nothing happens
    EXPECT_EQ(picture.GetLightColor(1), 0x00FF0000u);
    EXPECT_EQ(picture.GetLightAlpha(1), 255);
    EXPECT_EQ(picture.GetLightAlpha(5), 0);

    const QImage image = RenderControl(picture, QSize(60, 40));
    EXPECT_EQ(image.pixel(11, 11), kGround) << "the picture around the dots";
    EXPECT_EQ(image.pixel(18, 18), kDot) << "an untinted dot";
    EXPECT_EQ(image.pixel(34, 18), 0xFFFF0000u) << "an opaque tint";
    picture.SetLightTint(1, 0x00FF0000u, 128);
    const QRgb half = RenderControl(picture, QSize(60, 40)).pixel(34, 18);
    EXPECT_NEAR(qRed(half), (0xFF * 128 + 0x16 * 127) / 255, 1);
    EXPECT_NEAR(qBlue(half), (0x3D * 127) / 255, 1);
}

TEST_F(LightPictureTest, AChangedTintRepaintsItsOwnLightOnceAndNothingElse) {
    TestWindow window{"main.xml"};
    ASSERT_TRUE(window.Create(nullptr, "lights"));
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto owned = std::make_unique<RecordedPicture>();
    RecordedPicture* picture = owned.get();
    Describe(*picture);
    root->Add(std::move(owned));
    window.GetPaintManager().AttachDialog(std::move(root));
    window.ShowWindow();
    ProcessEvents();
    ASSERT_FALSE(picture->regions.empty()) << "the offscreen window paints when shown";

    picture->regions.clear();
    picture->SetLightTint(0, 0x0000FF00u, 90);
    picture->SetLightTint(0, 0x0000FF00u, 90);  // no change
    ProcessEvents();
    ASSERT_EQ(picture->regions.size(), 1u);
    EXPECT_EQ(picture->regions[0], QRegion(qt::ToQRect(picture->GetLightRect(0))));

    // Two lights changed before the paint: both in one paint.
    picture->regions.clear();
    picture->SetLightTint(0, 0x000000FFu, 90);
    picture->SetLightTint(1, 0x000000FFu, 90);
    ProcessEvents();
    ASSERT_EQ(picture->regions.size(), 1u);
    EXPECT_EQ(picture->regions[0], QRegion(qt::ToQRect(picture->GetLightRect(0))) +
                                       QRegion(qt::ToQRect(picture->GetLightRect(1))));

    // The same tints again paint nothing.
    picture->regions.clear();
    picture->SetLightTint(1, 0xFF0000FFu, 90);
    ProcessEvents();
    EXPECT_TRUE(picture->regions.empty());

    // A frame's tints at once: only the light that changed repaints.
    const std::vector<CLightPictureUI::Tint> frame{{0x000000FFu, 90}, {0x00FFFFFFu, 10}};
    picture->SetLightTints(frame);
    ProcessEvents();
    ASSERT_EQ(picture->regions.size(), 1u);
    EXPECT_EQ(picture->regions[0], QRegion(qt::ToQRect(picture->GetLightRect(1))));
    EXPECT_EQ(picture->GetLightColor(1), 0x00FFFFFFu);
    window.Close();
}

}  // namespace
}  // namespace varlok::ui::test
