#include "ui/desktopaccess.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>

#include "ui/qt/windowwidget.h"
#include "ui/windowimplbase.h"

namespace varlok::ui {

bool SaveWindowPicture(WindowImplBase& window, const std::filesystem::path& file) {
    qt::WindowWidget* widget = window.GetWindowWidget();
    if (widget == nullptr) {
        return false;
    }
    window.GetPaintManager().UpdateLayout();
    const QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(QString::fromStdString(file.string()), "PNG");
}

UiPoint CursorPosition() {
    const QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

bool SetApplicationIcon(const std::filesystem::path& picture) {
    const QIcon icon(QString::fromStdString(picture.string()));
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        return false;
    }
    QGuiApplication::setWindowIcon(icon);
    return true;
}

bool WritePictureAsPng(const std::filesystem::path& picture, int size,
                       const std::filesystem::path& file) {
    if (size <= 0) {
        return false;
    }
    // SVG pictures are drawn at the size (Qt's SVG image plugin), bitmaps
    // scaled to it.
    QImageReader reader(QString::fromStdString(picture.string()));
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    return !image.isNull() && image.save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace varlok::ui
