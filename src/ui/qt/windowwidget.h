#pragma once

// The top-level Qt window of a WindowImplBase: frameless, with the layout's
// round corners as its shape; forwards resizes, close requests, changes of
// activation and whether it is on screen.

#include <QWidget>

namespace varlok::ui {
class WindowImplBase;
}

namespace varlok::ui::qt {

class WindowWidget : public QWidget {
    Q_OBJECT
public:
    explicit WindowWidget(WindowImplBase& owner, QWidget* parent);
    // Null once the window object let go of this widget.
    [[nodiscard]] WindowImplBase* Owner() const { return m_owner; }
    void DetachOwner() { m_owner = nullptr; }
    // Re-applies the rounded shape for the current size.
    void UpdateShape();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    WindowImplBase* m_owner = nullptr;
};

}  // namespace varlok::ui::qt
