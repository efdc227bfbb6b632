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
    // Destroys a widget whose control is gone. While Qt is delivering an event
    // to one of our widgets (a control may remove itself from its own
    // notification) the deletion waits for the event loop; otherwise it is
    // immediate.
    static void Dispose(ControlWidget* widget);
    static void DisposeWidget(QWidget* widget);
    // Counts events being delivered to our widgets (see Dispose).
    class DispatchScope {
    public:
        DispatchScope() { ++s_depth; }
        ~DispatchScope() { --s_depth; }
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;
        [[nodiscard]] static bool Active() { return s_depth > 0; }

    private:
        static inline int s_depth = 0;
    };
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
