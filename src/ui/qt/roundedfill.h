#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace varlok::ui::qt {

// Fills rect with colour as a rounded rectangle of the given corner radii,
// antialiased. Small shapes (the LED dots of the mouse picture repaint many
// times a second) are rasterised once and then copied: a rounded outline is
// costly to rasterise, a copy is not. Same pixels either way. UI thread.
void FillRoundedRect(QPainter& painter, const QRect& rect, qreal radiusX, qreal radiusY,
                     QColor colour);

}  // namespace varlok::ui::qt
