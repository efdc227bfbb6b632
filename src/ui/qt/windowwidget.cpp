#include "ui/qt/windowwidget.h"

#include <QCloseEvent>
#include <QPainterPath>
#include <QRegion>

#include "ui/paintmanagerui.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/windowimplbase.h"

namespace varlok::ui::qt {

WindowWidget::WindowWidget(WindowImplBase& owner, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_owner(&owner) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

bool WindowWidget::event(QEvent* event) {
    const DeferredDeletion::Scope scope;
    return QWidget::event(event);
}

void WindowWidget::UpdateShape() {
    if (m_owner == nullptr) {
        return;
    }
    const UiSize corner = m_owner->GetPaintManager().GetRoundCorner();
    if ((corner.cx <= 0 && corner.cy <= 0) || isMaximized()) {
        clearMask();
        return;
    }
    const CPaintManagerUI& manager = m_owner->GetPaintManager();
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), manager.ScaleValue(corner.cx) / 2.0,
                        manager.ScaleValue(corner.cy) / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateShape();
    if (m_owner != nullptr) {
        m_owner->OnWidgetResized();
    }
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The window decides: a close request becomes WM_CLOSE for its handlers.
    event->ignore();
    if (m_owner != nullptr) {
        m_owner->OnWidgetCloseRequest();
    }
}

void WindowWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        // The handler may destroy the window object (this widget then
        // lives on until the event has been delivered, without an owner).
        if (m_owner != nullptr) {
            m_owner->OnWidgetActivationChanged(isActiveWindow());
        }
        return;
    }
    if (event->type() == QEvent::WindowStateChange) {
        UpdateShape();
        if (m_owner != nullptr) {
            m_owner->UpdateMaxRestoreButtons();
            m_owner->OnWidgetScreenStateChanged();
        }
    }
}

void WindowWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_owner != nullptr) {
        m_owner->OnWidgetScreenStateChanged();
    }
}

void WindowWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_owner != nullptr) {
        m_owner->OnWidgetScreenStateChanged();
    }
}

}  // namespace varlok::ui::qt
