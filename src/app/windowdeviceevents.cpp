#include "app/windowdeviceevents.h"
#include "platform/startupphases.h"

#include <algorithm>

namespace varlok::app {

std::optional<DeviceEventRule> FindDeviceEventRule(device::DeviceType device,
                                                   device::DeviceEventCode code) {
    const auto found = std::ranges::find_if(kDeviceEventRules, [&](const DeviceEventRule& rule) {
        return rule.device == device && rule.code == code;
    });
    if (found == kDeviceEventRules.end()) {
        return std::nullopt;
    }
    return *found;
}

WindowDeviceEvents::WindowDeviceEvents(ui::WindowHandle window, ui::WindowHandle sendHandle,
                                       Activation activation, std::atomic<bool>& reactiveTrigger)
    : m_window(window),
      m_sendHandle(sendHandle),
      m_activation(activation),
      m_reactiveTrigger(reactiveTrigger) {}

void WindowDeviceEvents::MouseArrived() {
    platform::MarkStartupPhase("mouse connected");
    PostControl(MonitorControlMessage::SelectStoredDeviceProfile);
    PostControl(MonitorControlMessage::ShowMouseTab);
    PostControl(MonitorControlMessage::ShowMouseTabPanel);
    StartTimer(WindowTimer::ReadMouseConfiguration);
}

void WindowDeviceEvents::MouseFoundAtStart() {
    if (m_activation.atStart) {
        m_window.Post(m_activation.message);
    }
}

void WindowDeviceEvents::MouseStillPresent() {
    PostControl(MonitorControlMessage::HideSameModeOption);
}

void WindowDeviceEvents::MouseRemoved() {
    PostControl(MonitorControlMessage::HideMouseTab);
    m_window.Post(MessageNumber(WindowMessage::MouseRemoved));
}

void WindowDeviceEvents::MousePermissionDenied(bool denied) {
    PostControl(denied ? MonitorControlMessage::ShowPermissionHelp
                       : MonitorControlMessage::HidePermissionHelp);
}

void WindowDeviceEvents::MouseInUse(const std::optional<platform::LockHolder>& holder) {
    {
        const std::lock_guard lock(m_holderMutex);
        m_holder = holder;
    }
    PostControl(MonitorControlMessage::MouseHolderChanged);
}

std::optional<platform::LockHolder> WindowDeviceEvents::MouseHolder() const {
    const std::lock_guard lock(m_holderMutex);
    return m_holder;
}

void WindowDeviceEvents::DeviceEventReported(device::DeviceType device,
                                             device::DeviceEventCode code) {
    const std::optional<DeviceEventRule> rule = FindDeviceEventRule(device, code);
    if (!rule) {
        return;
    }
    switch (rule->action) {
        case DeviceEventAction::StartTimer:
            StartTimer(rule->timer);
            break;
        case DeviceEventAction::SendMessage:
            static_cast<void>(m_sendHandle.Send(MessageNumber(rule->message)));
            break;
        case DeviceEventAction::ReactiveTrigger:
            m_reactiveTrigger.store(true);
            break;
    }
}

void WindowDeviceEvents::PostControl(MonitorControlMessage message) {
    m_window.Post(MessageNumber(message));
}

void WindowDeviceEvents::StartTimer(WindowTimer timer) {
    m_window.SetTimer(TimerId(timer), static_cast<unsigned>(TimerPeriod(timer).count()));
}

}  // namespace varlok::app
