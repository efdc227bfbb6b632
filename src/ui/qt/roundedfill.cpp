#include "ui/qt/roundedfill.h"

#include <QImage>
#include <QPaintDevice>
#include <map>
#include <tuple>

namespace varlok::ui::qt {

namespace {

// Larger shapes are painted rarely (cards, dialogs) and would cost memory.
constexpr int kMaxCachedArea = 64 * 64;
// Distinct small shapes of a skin are few; a bound keeps a changing colour
// from growing the cache without end.
constexpr std::size_t kMaxCachedShapes = 256;

void DrawDirect(QPainter& painter, const QRectF& rect, qreal radiusX, qreal radiusY,
                QColor colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(rect, radiusX, radiusY);
    painter.restore();
}

using ShapeKey = std::tuple<int, int, qreal, qreal, QRgb, qreal>;

const QImage& CachedShape(const ShapeKey& key) {
    static std::map<ShapeKey, QImage> shapes;
    if (const auto found = shapes.find(key); found != shapes.end()) {
        return found->second;
    }
    if (shapes.size() >= kMaxCachedShapes) {
        shapes.clear();
    }
    const auto [width, height, radiusX, radiusY, rgba, ratio] = key;
    QImage image(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawDirect(painter, QRectF(0, 0, width, height), radiusX, radiusY, QColor::fromRgba(rgba));
    painter.end();
    return shapes.emplace(key, std::move(image)).first->second;
}

}  // namespace

void FillRoundedRect(QPainter& painter, const QRect& rect, qreal radiusX, qreal radiusY,
                     QColor colour) {
    const bool plainTranslation = painter.transform().type() <= QTransform::TxTranslate;
    const QPaintDevice* device = painter.device();
    if (!plainTranslation || device == nullptr || rect.isEmpty() ||
        rect.width() * rect.height() > kMaxCachedArea) {
        DrawDirect(painter, rect, radiusX, radiusY, colour);
        return;
    }
    const ShapeKey key{rect.width(), rect.height(), radiusX,
                       radiusY,      colour.rgba(), device->devicePixelRatio()};
    painter.drawImage(rect.topLeft(), CachedShape(key));
}

}  // namespace varlok::ui::qt
