#pragma once

// The Qt widget behind every control: paints through the control's paint
// hooks and turns Qt input events into TEventUI for its DoEvent. A press in
// the window's caption area (see CPaintManagerUI::IsCaptionPoint) drags the
// window instead.

#include <QPoint>
#include <QWidget>

#include "ui/uievent.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::ui::qt {

class ControlWidget : public QWidget {
    Q_OBJECT
public:
    explicit ControlWidget(CControlUI& control);
    [[nodiscard]] CControlUI& Control() const { return *m_control; }
    [[nodiscard]] bool HasControl() const { return m_control != nullptr; }
    // Destroys the widget of a control that is being destroyed. While an
    // event or a notification is being delivered (see DeferredDeletion) the
    // widget, taken out of its parent, is deleted by the event loop instead;
    // from then on it ignores input and painting.
    static void Dispose(ControlWidget* widget);
    // The same for a window's widget.
    static void DisposeWidget(QWidget* widget);
    // Window client point of a point in this widget.
    [[nodiscard]] UiPoint ToWindowPoint(const QPointF& local) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Dispatch(EventType type, const QPointF& local, Qt::KeyboardModifiers modifiers);
    bool StartCaptionDrag(QMouseEvent* event);

    CControlUI* m_control = nullptr;
    bool m_captionDrag = false;
    QPoint m_dragStartGlobal;
    QPoint m_dragWindowStart;
};

}  // namespace varlok::ui::qt
