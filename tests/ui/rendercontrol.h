#pragma once

// Paints a control as its window would, onto a plain canvas image, so that
// tests can check pixels at chosen points.

#include <QImage>
#include <QPainter>
#include <QRect>

#include "ui/controlui.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui::test {

inline constexpr QRgb kCanvas = 0xFF808080;

// paint: the area being repainted (window coordinates); empty means all.
inline QImage RenderControl(CControlUI& control, QSize size, QRect paint = {}) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(kCanvas);
    QPainter painter(&image);
    const QRect area = paint.isNull() ? image.rect() : paint;
    PaintContext context(painter, area, nullptr);
    control.DoPaint(
        context, {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    return image;
}

}  // namespace varlok::ui::test
