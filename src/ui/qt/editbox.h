#pragma once

// The line edit inside a CEditUI: real text input (cursor, selection, input
// methods) with a transparent background; focus changes and Enter go to the
// control as TEventUI, user edits to CEditUI::OnUserTextChanged.

#include <QLineEdit>

namespace varlok::ui {
class CEditUI;
}

namespace varlok::ui::qt {

class EditBox : public QLineEdit {
    Q_OBJECT
public:
    EditBox(CEditUI& control, QWidget* parent);
    void DetachControl() { m_control = nullptr; }

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CEditUI* m_control = nullptr;
};

}  // namespace varlok::ui::qt
