#include "app/windowmonitorhost.h"

namespace varlok::app {

WindowMonitorHost::WindowMonitorHost(ui::WindowHandle window, ui::WindowHandle sendHandle,
                                     ui::MessageId activateMessage)
    : m_window(window), m_sendHandle(sendHandle), m_activateMessage(activateMessage) {}

void WindowMonitorHost::Post(device::WindowMessage message) {
    m_window.Post(device::MessageNumber(message));
}

void WindowMonitorHost::PostActivateMessage() {
    m_window.Post(m_activateMessage);
}

void WindowMonitorHost::Send(device::WindowMessage message) {
    static_cast<void>(m_sendHandle.Send(device::MessageNumber(message)));
}

void WindowMonitorHost::StartTimer(device::WindowTimer timer, std::chrono::milliseconds period) {
    m_window.SetTimer(device::TimerId(timer), static_cast<unsigned>(period.count()));
}

void WindowMonitorHost::SelectDeviceProfile(int entryIndex) {
    if (entryIndex >= 0) {
        PostControl(MonitorControlMessage::SelectDeviceProfile,
                    static_cast<ui::WParam>(entryIndex));
    }
}

void WindowMonitorHost::ShowMouseTab() {
    PostControl(MonitorControlMessage::ShowMouseTab);
}

void WindowMonitorHost::ShowMouseTabPanel() {
    PostControl(MonitorControlMessage::ShowMouseTabPanel);
}

void WindowMonitorHost::HideMouseTab() {
    PostControl(MonitorControlMessage::HideMouseTab);
}

void WindowMonitorHost::HideSameModeOption() {
    PostControl(MonitorControlMessage::HideSameModeOption);
}

void WindowMonitorHost::SetMouseReactiveTrigger() {
    m_reactiveTrigger.store(true);
}

bool WindowMonitorHost::TakeMouseReactiveTrigger() {
    return m_reactiveTrigger.exchange(false);
}

void WindowMonitorHost::PostControl(MonitorControlMessage message, ui::WParam wParam) {
    m_window.Post(MessageNumber(message), wParam);
}

}  // namespace varlok::app
