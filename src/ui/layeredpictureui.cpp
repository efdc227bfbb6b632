#include "ui/layeredpictureui.h"

#include <QImage>
#include <QPaintDevice>

#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/imagecache.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui {

// The layers as last rasterised, and for what.
struct CLayeredPictureUI::Raster {
    QImage image;
    QSize size;
    qreal ratio = 0;
    Argb background = 0;
};

CLayeredPictureUI::CLayeredPictureUI() : m_raster(std::make_unique<Raster>()) {}

CLayeredPictureUI::~CLayeredPictureUI() = default;

std::string_view CLayeredPictureUI::GetClass() const {
    return "LayeredPictureUI";
}

void CLayeredPictureUI::SetAttribute(std::string_view name, std::string_view value) {
    if (!attr::Equals(name, "layers")) {
        CControlUI::SetAttribute(name, value);
        return;
    }
    m_layers.clear();
    while (!value.empty()) {
        const std::size_t bar = value.find('|');
        if (const std::string_view layer = value.substr(0, bar); !layer.empty()) {
            m_layers.emplace_back(layer);
        }
        value = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);
    }
    m_raster->size = QSize();  // rasterise again
    Invalidate();
}

void CLayeredPictureUI::DoPaint(PaintContext& context, const UiRect& /*paint*/) {
    QPainter& painter = context.Painter();
    const QRect item = qt::ToQRect(GetPos());
    if (item.isEmpty()) {
        return;
    }
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    Raster& raster = *m_raster;
    if (raster.size != item.size() || raster.ratio != ratio || raster.background != GetBkColor()) {
        raster.image = QImage(item.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        raster.image.setDevicePixelRatio(ratio);
        raster.image.fill(qt::ToQColor(GetBkColor()));
        QPainter layerPainter(&raster.image);
        for (const std::string& layer : m_layers) {
            qt::DrawImageDescription(layerPainter, GetManager(), QRect(QPoint(0, 0), item.size()),
                                     layer);
        }
        layerPainter.end();
        raster.size = item.size();
        raster.ratio = ratio;
        raster.background = GetBkColor();
    }
    // Piece by piece: one copy of a region of many scattered pieces would be
    // one fill over all their lines, which Qt spreads over worker threads.
    const QRegion area = context.Region().intersected(item);
    for (const QRect& piece : area) {
        const QRectF source(QPointF(piece.topLeft() - item.topLeft()) * ratio,
                            QSizeF(piece.size()) * ratio);
        painter.drawImage(QRectF(piece), raster.image, source);
    }
    PaintBorder(context);
}

}  // namespace varlok::ui
