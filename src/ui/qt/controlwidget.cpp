#include "ui/qt/controlwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>
#include <QWindow>

#include "ui/controlui.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/convert.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/qt/focusloss.h"
#include "ui/qt/paintcontext.h"
#include "ui/qt/windowwidget.h"
#include "ui/windowimplbase.h"

namespace varlok::ui::qt {

namespace {

unsigned ToModifiers(Qt::KeyboardModifiers modifiers) {
    unsigned result = 0;
    if (modifiers & Qt::ShiftModifier) {
        result |= kModShift;
    }
    if (modifiers & Qt::ControlModifier) {
        result |= kModControl;
    }
    if (modifiers & Qt::AltModifier) {
        result |= kModAlt;
    }
    return result;
}

int ToVirtualKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Down:
            return kKeyDown;
        default:
            return 0;
    }
}

}  // namespace

void ControlWidget::Dispose(ControlWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    widget->m_control = nullptr;
    DisposeWidget(widget);
}

void ControlWidget::DisposeWidget(QWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    widget->hide();
    if (DeferredDeletion::Delivering()) {
        widget->setParent(nullptr);
        widget->deleteLater();
    } else {
        delete widget;
    }
}

ControlWidget::ControlWidget(CControlUI& control) : m_control(&control) {
    setAttribute(Qt::WA_Hover, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

UiPoint ControlWidget::ToWindowPoint(const QPointF& local) const {
    const UiRect& rc = m_control->GetPos();
    return UiPoint{rc.left + static_cast<int>(local.x()), rc.top + static_cast<int>(local.y())};
}

bool ControlWidget::event(QEvent* event) {
    if (m_control == nullptr) {
        // The control is gone: swallow input and painting until deletion.
        switch (event->type()) {
            case QEvent::Paint:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Enter:
            case QEvent::Leave:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                return true;
            default:
                return QWidget::event(event);
        }
    }
    const DeferredDeletion::Scope scope;
    return QWidget::event(event);
}

void ControlWidget::paintEvent(QPaintEvent* event) {
    if (m_control == nullptr) {
        return;
    }
    QPainter painter(this);
    const UiRect& rc = m_control->GetPos();
    painter.translate(-rc.left, -rc.top);
    const QRect paintRect = event->rect().translated(rc.left, rc.top);
    PaintContext context(painter, event->region().translated(rc.left, rc.top),
                         m_control->GetManager());
    m_control->DoPaint(context, ToUiRect(paintRect));
    if (m_control->IsChangerColor() && m_control->GetChangerAlpha() > 0) {
        QColor overlay = ToQColor(m_control->GetChangerColor() | 0xFF000000u);
        overlay.setAlpha(m_control->GetChangerAlpha());
        painter.fillRect(ToQRect(rc), overlay);
    }
    // The root's paint is the window's: its first one is the window's first.
    if (CPaintManagerUI* manager = m_control->GetManager();
        manager != nullptr && manager->GetRoot() == m_control && manager->GetOwnerWindow()) {
        manager->GetOwnerWindow()->NoteControlsPainted();
    }
}

void ControlWidget::Dispatch(EventType type, const QPointF& local,
                             Qt::KeyboardModifiers modifiers) {
    TEventUI ev;
    ev.type = type;
    ev.ptMouse = ToWindowPoint(local);
    ev.modifiers = ToModifiers(modifiers);
    m_control->DoEvent(ev);
}

bool ControlWidget::StartCaptionDrag(QMouseEvent* event) {
    CPaintManagerUI* manager = m_control->GetManager();
    if (manager == nullptr || manager->GetPaintWindow() == nullptr ||
        window() != manager->GetPaintWindow() || manager->GetPaintWindow()->isMaximized()) {
        return false;
    }
    if (!manager->IsCaptionPoint(ToWindowPoint(event->position()))) {
        return false;
    }
    // The compositor moves the window where it can: Wayland lets no program
    // place its own window, and an X11 window manager takes the same request
    // (_NET_WM_MOVERESIZE). Where nothing takes it (no window manager, the
    // offscreen platform), the window follows the pointer itself.
    if (QWindow* handle = window()->windowHandle();
        handle != nullptr && handle->startSystemMove()) {
        return true;
    }
    m_captionDrag = true;
    m_dragStartGlobal = event->globalPosition().toPoint();
    m_dragWindowStart = window()->pos();
    return true;
}

void ControlWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (StartCaptionDrag(event)) {
            return;
        }
        Dispatch(EventType::ButtonDown, event->position(), event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        Dispatch(EventType::RightButtonDown, event->position(), event->modifiers());
    }
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (m_captionDrag) {
            m_captionDrag = false;
            return;
        }
        Dispatch(EventType::ButtonUp, event->position(), event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        Dispatch(EventType::RightButtonUp, event->position(), event->modifiers());
    }
}

void ControlWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (m_captionDrag) {
        const QPoint delta = event->globalPosition().toPoint() - m_dragStartGlobal;
        window()->move(m_dragWindowStart + delta);
        return;
    }
    Dispatch(EventType::MouseMove, event->position(), event->modifiers());
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        Dispatch(EventType::DoubleClick, event->position(), event->modifiers());
    }
}

void ControlWidget::enterEvent(QEnterEvent* event) {
    Dispatch(EventType::MouseEnter, event->position(), event->modifiers());
}

void ControlWidget::leaveEvent(QEvent* /*event*/) {
    Dispatch(EventType::MouseLeave, mapFromGlobal(QCursor::pos()), Qt::NoModifier);
}

void ControlWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    TEventUI ev;
    ev.type = EventType::ScrollWheel;
    ev.ptMouse = ToWindowPoint(event->position());
    ev.wheelDelta = event->angleDelta().y();
    ev.modifiers = ToModifiers(event->modifiers());
    m_control->DoEvent(ev);
}

void ControlWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    Dispatch(EventType::SetFocus, QPointF(), Qt::NoModifier);
}

void ControlWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    TellFocusLoss(*this, event->reason(), [this] {
        // A control that went meanwhile left its widget behind.
        if (m_control != nullptr) {
            Dispatch(EventType::KillFocus, QPointF(), Qt::NoModifier);
        }
    });
}

void ControlWidget::keyPressEvent(QKeyEvent* event) {
    const int key = ToVirtualKey(event->key());
    if (key == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    TEventUI ev;
    ev.type = EventType::KeyDown;
    ev.key = key;
    ev.modifiers = ToModifiers(event->modifiers());
    m_control->DoEvent(ev);
}

}  // namespace varlok::ui::qt
