#include "ui/desktopaccess.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
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

}  // namespace varlok::ui
