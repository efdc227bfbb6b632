#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include "rendercontrol.h"
#include "support/uitest.h"
#include "ui/buttonui.h"
#include "ui/layeredpictureui.h"

namespace varlok::ui::test {
namespace {

class LayeredPictureTest : public UiTest {};

QImage RenderRegion(CControlUI& control, QSize size, const QRegion& region) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(kCanvas);
    QPainter painter(&image);
    painter.setClipRegion(region);  // as Qt clips a widget's paint event
    PaintContext context(painter, region, nullptr);
    const QRect box = region.boundingRect();
    control.DoPaint(context, {box.left(), box.top(), box.right() + 1, box.bottom() + 1});
    return image;
}

// The copied layers are the pixels the same layers give painted directly,
// for the whole picture and for scattered pieces of it, after any change.
TEST_F(LayeredPictureTest, CopiesThePixelsOfItsLayers) {
    const QSize canvas(60, 50);
    CControlUI direct;
    direct.SetPos({5, 4, 55, 44});
    direct.SetBkColor(0xFF102030u);
    direct.SetBkImage("file='pictures/green.svg' dest='10,10,30,30'");
    CLayeredPictureUI picture;
    picture.SetPos({5, 4, 55, 44});
    picture.SetBkColor(0xFF102030u);
    picture.SetAttribute("layers", "|file='pictures/green.svg' dest='10,10,30,30'|");
    ASSERT_EQ(picture.GetLayers().size(), 1u) << "empty layers are dropped";

    const QImage expected = RenderControl(direct, canvas);
    EXPECT_EQ(RenderControl(picture, canvas), expected);
    EXPECT_NE(expected.pixel(25, 24), 0xFF102030u) << "the layer is drawn";

    const QRegion pieces = QRegion(8, 6, 4, 4) + QRegion(24, 20, 6, 6);
    const QImage piecewise = RenderRegion(picture, canvas, pieces);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb want = pieces.contains(QPoint(x, y)) ? expected.pixel(x, y) : kCanvas;
            ASSERT_EQ(piecewise.pixel(x, y), want) << x << "," << y;
        }
    }

    // A new colour or size is rasterised again.
    direct.SetBkColor(0xFF400000u);
    picture.SetBkColor(0xFF400000u);
    direct.SetPos({0, 0, 40, 40});
    picture.SetPos({0, 0, 40, 40});
    EXPECT_EQ(RenderControl(picture, canvas), RenderControl(direct, canvas));
}

// What lies beneath a control that paints every pixel is not painted first;
// only square, opaque backgrounds painted the plain way qualify.
TEST_F(LayeredPictureTest, OnlySquareOpaqueBackgroundsFillTheirRect) {
    CLayeredPictureUI picture;
    EXPECT_FALSE(picture.FillsItsRect());
    picture.SetBkColor(0xFF11151Bu);
    EXPECT_TRUE(picture.FillsItsRect());
    picture.SetBorderRound({4, 4});
    EXPECT_FALSE(picture.FillsItsRect()) << "rounded corners leave pixels";
    picture.SetBorderRound({0, 0});
    picture.SetBkColor(0x8011151Bu);
    EXPECT_FALSE(picture.FillsItsRect()) << "see-through";
    CButtonUI button;
    button.SetBkColor(0xFF11151Bu);
    EXPECT_FALSE(button.FillsItsRect()) << "a button paints its states its own way";
}

}  // namespace
}  // namespace varlok::ui::test
