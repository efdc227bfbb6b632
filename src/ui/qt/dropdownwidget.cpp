#include "ui/qt/dropdownwidget.h"

#include <QPainter>
#include <QWheelEvent>

#include "ui/qt/deferreddeletion.h"

namespace varlok::ui::qt {

DropDownWidget::DropDownWidget() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void DropDownWidget::SetColours(QColor background, QColor border) {
    m_background = background;
    m_border = border;
    update();
}

bool DropDownWidget::event(QEvent* event) {
    const DeferredDeletion::Scope scope;
    return QWidget::event(event);
}

void DropDownWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(m_border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DropDownWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_onHidden) {
        m_onHidden();
    }
}

void DropDownWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (onWheel) {
        onWheel(event->angleDelta().y());
    }
}

}  // namespace varlok::ui::qt
