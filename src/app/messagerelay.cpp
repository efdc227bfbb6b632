#include "app/messagerelay.h"

namespace varlok::app {

MessageRelay::~MessageRelay() {
    Close();
}

ui::WindowHandle MessageRelay::Open() {
    if (m_handle.Id() == 0 && !m_closed) {
        m_handle = ui::WindowHandle::Register(*this);
    }
    return m_handle;
}

void MessageRelay::Close() {
    m_closed = true;
    if (m_handle.Id() != 0) {
        ui::WindowHandle::Unregister(m_handle);
        m_handle = {};
    }
}

ui::LResult MessageRelay::HandleMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                        bool& handled) {
    return m_window.HandleMessage(message, wParam, lParam, handled);
}

}  // namespace varlok::app
