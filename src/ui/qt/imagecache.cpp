#include "ui/qt/imagecache.h"

#include <QFileInfo>
#include <QSvgRenderer>
#include <algorithm>

#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/resourcemanager.h"

namespace varlok::ui::qt {

ImageDescription ParseImageDescription(std::string_view description) {
    ImageDescription image;
    if (description.find('=') == std::string_view::npos) {
        image.file = ToQString(description).trimmed();
    } else {
        for (const auto& [name, value] : attr::ParseList(description)) {
            if (attr::Equals(name, "file") || attr::Equals(name, "res")) {
                image.file = ToQString(value);
            } else if (attr::Equals(name, "source")) {
                image.source = ToQRect(attr::ParseRect(value));
            } else if (attr::Equals(name, "corner")) {
                const UiRect rc = attr::ParseRect(value);
                image.corner = QMargins(rc.left, rc.top, rc.right, rc.bottom);
            } else if (attr::Equals(name, "dest")) {
                image.dest = ToQRect(attr::ParseRect(value));
            } else if (attr::Equals(name, "fade")) {
                image.fade = std::clamp(attr::ParseInt(value), 0, 255);
            }
        }
    }
    image.valid = !image.file.isEmpty();
    return image;
}

ImageCache& ImageCache::Instance() {
    static ImageCache cache;
    return cache;
}

QImage ImageCache::Get(const QString& path, QSize size) {
    const bool svg = path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    const auto key = std::make_pair(
        path, svg ? std::make_pair(size.width(), size.height()) : std::make_pair(0, 0));
    if (auto it = m_images.find(key); it != m_images.end()) {
        return it->second;
    }
    QImage image;
    if (svg) {
        QSvgRenderer renderer(path);
        if (renderer.isValid() && size.width() > 0 && size.height() > 0) {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
    } else {
        image.load(path);
        if (!image.isNull()) {
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    m_images.emplace(key, image);
    return image;
}

void ImageCache::Clear() {
    m_images.clear();
}

namespace {

// Draws src of image into dst, splitting off the corner borders so that they
// keep their size (nine-slice).
void DrawNineSlice(QPainter& painter, const QImage& image, const QRect& src, const QRect& dst,
                   const QMargins& corner) {
    if (corner.isNull()) {
        painter.drawImage(dst, image, src);
        return;
    }
    const int l = std::min(corner.left(), dst.width() / 2);
    const int r = std::min(corner.right(), dst.width() / 2);
    const int t = std::min(corner.top(), dst.height() / 2);
    const int b = std::min(corner.bottom(), dst.height() / 2);
    const int xs[4] = {src.left(), src.left() + corner.left(), src.right() + 1 - corner.right(),
                       src.right() + 1};
    const int ys[4] = {src.top(), src.top() + corner.top(), src.bottom() + 1 - corner.bottom(),
                       src.bottom() + 1};
    const int xd[4] = {dst.left(), dst.left() + l, dst.right() + 1 - r, dst.right() + 1};
    const int yd[4] = {dst.top(), dst.top() + t, dst.bottom() + 1 - b, dst.bottom() + 1};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect s(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1));
            const QRect d(QPoint(xd[col], yd[row]), QPoint(xd[col + 1] - 1, yd[row + 1] - 1));
            if (s.isValid() && d.isValid() && !s.isEmpty() && !d.isEmpty()) {
                painter.drawImage(d, image, s);
            }
        }
    }
}

QImage Tinted(const QImage& source, QColor tint, int level) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int mix = std::clamp(level, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            if (a == 0) {
                continue;
            }
            const int r = (qRed(px) * (255 - mix) + tint.red() * mix) / 255;
            const int g = (qGreen(px) * (255 - mix) + tint.green() * mix) / 255;
            const int bl = (qBlue(px) * (255 - mix) + tint.blue() * mix) / 255;
            line[x] = qRgba(r, g, bl, a);
        }
    }
    return image;
}

}  // namespace

bool DrawImageDescription(QPainter& painter, const CPaintManagerUI* manager, const QRect& item,
                          std::string_view description, QColor tint, int tintLevel) {
    const ImageDescription desc = ParseImageDescription(description);
    if (!desc.valid) {
        return false;
    }
    QRect dst = item;
    if (!desc.dest.isNull()) {
        auto scale = [manager](int v) { return manager ? manager->ScaleValue(v) : v; };
        dst = QRect(item.left() + scale(desc.dest.left()), item.top() + scale(desc.dest.top()),
                    scale(desc.dest.width()), scale(desc.dest.height()));
    }
    if (dst.isEmpty()) {
        return true;
    }
    const QString path =
        ToQString(CResourceManager::GetInstance().ResolvePath(ToStdString(desc.file)));
    QImage image = ImageCache::Instance().Get(path, dst.size());
    if (image.isNull()) {
        return false;
    }
    if (tint.isValid() && tintLevel > 0) {
        image = Tinted(image, tint, tintLevel);
    }
    QRect src = desc.source.isNull() ? image.rect() : desc.source.intersected(image.rect());
    if (src.isEmpty()) {
        return false;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * desc.fade / 255.0);
    DrawNineSlice(painter, image, src, dst, desc.corner);
    painter.restore();
    return true;
}

}  // namespace varlok::ui::qt
