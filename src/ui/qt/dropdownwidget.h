#pragma once

// The popup window of a combo box: holds the item widgets while the list is
// open and paints the list's frame. Closing it (a click outside, Escape)
// tells the combo box.

#include <QWidget>
#include <functional>

namespace varlok::ui::qt {

class DropDownWidget : public QWidget {
    Q_OBJECT
public:
    DropDownWidget();
    void SetColours(QColor background, QColor border);
    void SetOnHidden(std::function<void()> onHidden) { m_onHidden = std::move(onHidden); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QColor m_background{0x1C, 0x20, 0x27};
    QColor m_border{0x3D, 0xB8, 0xFF, 0x90};
    std::function<void()> m_onHidden;

public:
    std::function<void(int delta)> onWheel;
};

}  // namespace varlok::ui::qt
