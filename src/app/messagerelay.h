#pragma once

#include "ui/messagetarget.h"
#include "ui/windowhandle.h"

namespace varlok::app {

// A second window handle for a window: messages sent through it reach the
// window's HandleMessage like any other, but the handle can be closed on its
// own. The main window's monitors send through one, so that shutdown can
// release a monitor waiting in a send (closing the handle answers it with 0)
// while the window itself still receives its messages.
//
// Open, Close and the destructor run on the UI thread; Handle() may be read
// from any thread once Open returned (before the handle is shared).
class MessageRelay : public ui::MessageTarget {
public:
    explicit MessageRelay(ui::MessageTarget& window) : m_window(window) {}
    // Closes the handle.
    ~MessageRelay() override;
    MessageRelay(const MessageRelay&) = delete;
    MessageRelay& operator=(const MessageRelay&) = delete;

    // Registers the relay's handle; a second call keeps the first handle. A
    // relay that was closed stays closed.
    ui::WindowHandle Open();
    // Unregisters it: queued messages are dropped, waiting senders get 0 and
    // later posts and sends through it do nothing.
    void Close();
    [[nodiscard]] ui::WindowHandle Handle() const { return m_handle; }

    ui::LResult HandleMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                              bool& handled) override;

private:
    ui::MessageTarget& m_window;
    ui::WindowHandle m_handle;
    bool m_closed = false;
};

}  // namespace varlok::app
