#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "ui/qt/roundedfill.h"

namespace varlok::ui::test {
namespace {

// The copied shape must be the very pixels a direct fill gives, wherever it
// lands, at any pixel ratio, for every colour it has seen before.
TEST(RoundedFillTest, CopiedShapesMatchDirectFills) {
    const QColor colours[] = {QColor(0x16, 0x32, 0x3D), QColor(255, 0, 0, 128)};
    for (const qreal ratio : {1.0, 2.0}) {
        for (const QRect rect : {QRect(3, 5, 8, 8), QRect(10, 1, 9, 14), QRect(0, 0, 90, 70)}) {
            for (const QColor& colour : colours) {
                QImage direct(QSize(100, 80) * ratio, QImage::Format_ARGB32_Premultiplied);
                direct.setDevicePixelRatio(ratio);
                direct.fill(Qt::darkGray);
                QImage copied = direct;
                {
                    QPainter painter(&direct);
                    painter.setRenderHint(QPainter::Antialiasing);
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(colour);
                    painter.drawRoundedRect(rect, 2.0, 3.0);
                }
                for (int pass = 0; pass < 2; ++pass) {  // rasterised, then from the cache
                    QImage target = copied;
                    QPainter painter(&target);
                    qt::FillRoundedRect(painter, rect, 2.0, 3.0, colour);
                    painter.end();
                    EXPECT_EQ(target, direct) << "ratio " << ratio << " rect " << rect.x() << ","
                                              << rect.y() << " pass " << pass;
                }
            }
        }
    }
}

}  // namespace
}  // namespace varlok::ui::test
