#include "app/desktopaccess.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include "ui/qt/windowwidget.h"
#include "ui/windowimplbase.h"

// The only place outside the UI layer that calls Qt, for what the UI layer's
// boundary does not offer yet.
namespace varlok::app {

bool SaveWindowPicture(ui::WindowImplBase& window, const std::filesystem::path& file) {
    ui::qt::WindowWidget* widget = window.GetWindowWidget();
    if (widget == nullptr) {
        return false;
    }
    window.GetPaintManager().UpdateLayout();
    const QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(QString::fromStdString(file.string()), "PNG");
}

ui::UiPoint CursorPosition() {
    const QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

}  // namespace varlok::app

namespace varlok::app {

bool SetApplicationIcon(const std::filesystem::path& picture) {
    const QIcon icon(QString::fromStdString(picture.string()));
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        return false;
    }
    QGuiApplication::setWindowIcon(icon);
    return true;
}

}  // namespace varlok::app
