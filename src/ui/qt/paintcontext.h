#pragma once

// The painting surface handed to controls' paint hooks: the painter of the
// control's widget, translated so that window client coordinates can be used,
// and the window area being repainted.

#include <QPainter>
#include <QRect>
#include <QRegion>

namespace varlok::ui {

class CPaintManagerUI;

class PaintContext {
public:
    PaintContext(QPainter& painter, const QRect& paintRect, CPaintManagerUI* manager)
        : m_painter(painter), m_paintRect(paintRect), m_region(paintRect), m_manager(manager) {}
    PaintContext(QPainter& painter, const QRegion& region, CPaintManagerUI* manager)
        : m_painter(painter),
          m_paintRect(region.boundingRect()),
          m_region(region),
          m_manager(manager) {}

    [[nodiscard]] QPainter& Painter() const { return m_painter; }
    // In window client coordinates.
    [[nodiscard]] const QRect& PaintRect() const { return m_paintRect; }
    // The area being repainted, piece by piece; PaintRect() bounds it.
    [[nodiscard]] const QRegion& Region() const { return m_region; }
    [[nodiscard]] CPaintManagerUI* Manager() const { return m_manager; }

private:
    QPainter& m_painter;
    QRect m_paintRect;
    QRegion m_region;
    CPaintManagerUI* m_manager = nullptr;
};

}  // namespace varlok::ui
