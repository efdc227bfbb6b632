#pragma once

// Pictures by image description (see CControlUI::SetBkImage): parsing, a
// process-wide cache of loaded files (PNG and the other formats Qt reads, SVG
// rendered at the size drawn) and drawing with source, nine-slice corners,
// destination, fade and an optional tint.

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPainter>
#include <QRect>
#include <QString>
#include <map>
#include <string_view>
#include <utility>

namespace varlok::ui {
class CPaintManagerUI;
}

namespace varlok::ui::qt {

struct ImageDescription {
    QString file;
    QRect source;     // null: the whole picture
    QMargins corner;  // nine-slice borders in picture pixels
    QRect dest;       // 96-dpi units relative to the control; null: whole control
    int fade = 255;
    bool valid = false;
};

[[nodiscard]] ImageDescription ParseImageDescription(std::string_view description);

class ImageCache {
public:
    static ImageCache& Instance();
    // The picture at path; for SVG files rendered at size (ignored for other
    // formats). Null image when it cannot be read (not retried until Clear).
    [[nodiscard]] QImage Get(const QString& path, QSize size);
    void Clear();

private:
    std::map<std::pair<QString, std::pair<int, int>>, QImage> m_images;
};

// Draws description into item (window coordinates). tint with tintLevel 1..255
// mixes the picture's colours towards tint. False when it cannot be drawn.
bool DrawImageDescription(QPainter& painter, const CPaintManagerUI* manager, const QRect& item,
                          std::string_view description, QColor tint = QColor(), int tintLevel = 0);

}  // namespace varlok::ui::qt
