#include "ui/qt/editbox.h"

#include <QKeyEvent>

#include "ui/editui.h"
#include "ui/qt/deferreddeletion.h"
#include "ui/qt/focusloss.h"

namespace varlok::ui::qt {

EditBox::EditBox(CEditUI& control, QWidget* parent) : QLineEdit(parent), m_control(&control) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    connect(this, &QLineEdit::textEdited, this, [this]() {
        if (m_control != nullptr) {
            m_control->OnUserTextChanged();
        }
    });
}

bool EditBox::event(QEvent* event) {
    const DeferredDeletion::Scope scope;
    return QLineEdit::event(event);
}

void EditBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (m_control != nullptr) {
        TEventUI ev;
        ev.type = EventType::SetFocus;
        m_control->DoEvent(ev);
    }
}

void EditBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    TellFocusLoss(*this, event->reason(), [this] {
        if (m_control != nullptr) {
            TEventUI ev;
            ev.type = EventType::KillFocus;
            m_control->DoEvent(ev);
        }
    });
}

void EditBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_control != nullptr) {
        event->accept();
        TEventUI ev;
        ev.type = EventType::KeyDown;
        ev.key = kKeyReturn;
        m_control->DoEvent(ev);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace varlok::ui::qt
