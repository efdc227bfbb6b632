#include "ui/windowhandle.h"

#include "ui/qt/messagehub.h"

namespace varlok::ui {

using qt::MessageHub;

WindowHandle WindowHandle::Register(MessageTarget& target) {
    return WindowHandle(MessageHub::Register(target));
}

void WindowHandle::Unregister(const WindowHandle& handle) {
    if (handle.m_id != 0) {
        MessageHub::Unregister(handle.m_id);
    }
}

bool WindowHandle::IsValid() const {
    return m_id != 0 && MessageHub::IsRegistered(m_id);
}

bool WindowHandle::Post(MessageId message, WParam wParam, LParam lParam) const {
    return m_id != 0 && MessageHub::Post(m_id, message, wParam, lParam);
}

LResult WindowHandle::Send(MessageId message, WParam wParam, LParam lParam) const {
    return m_id == 0 ? 0 : MessageHub::Send(m_id, message, wParam, lParam);
}

bool WindowHandle::SetTimer(std::uintptr_t id, unsigned periodMs) const {
    return m_id != 0 && MessageHub::SetTimer(m_id, id, periodMs);
}

bool WindowHandle::KillTimer(std::uintptr_t id) const {
    return m_id != 0 && MessageHub::KillTimer(m_id, id);
}

MessageId RegisterWindowMessage(std::string_view name) {
    return MessageHub::RegisterMessageName(name);
}

int RunMessageLoop() {
    return MessageHub::RunLoop();
}

void PostQuitMessage(int exitCode) {
    MessageHub::PostQuit(exitCode);
}

bool IsUiThread() {
    return MessageHub::IsUiThread();
}

}  // namespace varlok::ui
