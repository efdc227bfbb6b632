#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>

#include "app/mainwindowmessages.h"
#include "device/deviceevents.h"
#include "ui/windowhandle.h"

namespace varlok::app {

// Control changes the device events cause, carried to the main window's UI
// thread as private messages (the application range 0x8000-0xBFFF).
enum class MonitorControlMessage : ui::MessageId {
    // The mouse arrived: select the stored device profile.
    SelectStoredDeviceProfile = 0x8001,
    ShowMouseTab = 0x8002,
    ShowMouseTabPanel = 0x8003,
    HideMouseTab = 0x8004,
    HideSameModeOption = 0x8005,
    // The mouse is there but its node may not be opened: the waiting page
    // shows how to install the udev rule, and the window comes forward.
    ShowPermissionHelp = 0x8006,
    HidePermissionHelp = 0x8007,
    // Another program took the mouse, or let it go: the waiting page names
    // the holder (WindowDeviceEvents::MouseHolder), and the window comes
    // forward when it is taken.
    MouseHolderChanged = 0x8008,
};
inline constexpr MonitorControlMessage kFirstMonitorControlMessage =
    MonitorControlMessage::SelectStoredDeviceProfile;
inline constexpr MonitorControlMessage kLastMonitorControlMessage =
    MonitorControlMessage::MouseHolderChanged;

[[nodiscard]] constexpr ui::MessageId MessageNumber(MonitorControlMessage message) {
    return static_cast<ui::MessageId>(message);
}

// What a device event code makes the main window do.
enum class DeviceEventAction {
    StartTimer,       // start `timer`
    SendMessage,      // send `message` and wait until it was handled
    ReactiveTrigger,  // arm the Reactive lighting effect's trigger
};

struct DeviceEventRule {
    device::DeviceType device;
    device::DeviceEventCode code;
    DeviceEventAction action;
    WindowMessage message;  // for SendMessage
    WindowTimer timer;      // for StartTimer
};

inline constexpr std::array kDeviceEventRules{
    DeviceEventRule{device::DeviceType::Keyboard, device::DeviceEventCode::ProfileSwitched,
                    DeviceEventAction::SendMessage, WindowMessage::KeyboardEvent401, WindowTimer{}},
    DeviceEventRule{device::DeviceType::Keyboard, device::DeviceEventCode::ConfigurationChanged,
                    DeviceEventAction::SendMessage, WindowMessage::KeyboardEvent402, WindowTimer{}},
    DeviceEventRule{device::DeviceType::Mouse, device::DeviceEventCode::ProfileSwitched,
                    DeviceEventAction::StartTimer, WindowMessage{}, WindowTimer::RereadMouseRecord},
    DeviceEventRule{device::DeviceType::Mouse, device::DeviceEventCode::ConfigurationChanged,
                    DeviceEventAction::SendMessage, WindowMessage::MouseChanged, WindowTimer{}},
    DeviceEventRule{device::DeviceType::Mouse, device::DeviceEventCode::ReactiveKey,
                    DeviceEventAction::ReactiveTrigger, WindowMessage{}, WindowTimer{}},
};

// The rule for an event, or none when the window does nothing with it.
[[nodiscard]] std::optional<DeviceEventRule> FindDeviceEventRule(device::DeviceType device,
                                                                 device::DeviceEventCode code);

// What the device monitors report, turned into the main window's messages,
// timers and control changes, over its handles. Posts, timers and control
// changes go through the window's handle, in call order (one queue carries
// them all, and a timer started after a post never fires ahead of it); sends
// go through a handle of their own, which shutdown closes before it stops the
// monitors, so that a monitor waiting in a send is released at once.
//
// Thread-safe; the handles are fixed at construction.
class WindowDeviceEvents : public device::DeviceEventSink {
public:
    // How the window is brought forward.
    struct Activation {
        // The registered number of kActivateMessageName.
        ui::MessageId message = 0;
        // Whether the mouse found at start brings the window forward (not
        // in a start that stays in the tray, "--hidden").
        bool atStart = true;
    };

    // window: the main window; sendHandle: the relay the monitors send
    // through; reactiveTrigger: the Reactive effect's trigger, set on the
    // reactive key event (the lighting worker clears it when it starts a
    // flash).
    WindowDeviceEvents(ui::WindowHandle window, ui::WindowHandle sendHandle, Activation activation,
                       std::atomic<bool>& reactiveTrigger);

    // The stored device profile is selected, ms_tab shown and selected,
    // ms_tab_panel shown, and timer 8 reads the whole mouse 500 ms later.
    void MouseArrived() override;
    // The window comes to the front, unless the activation says otherwise.
    void MouseFoundAtStart() override;
    // ms_deng_same_mode is hidden (offered only while another device type is
    // connected).
    void MouseStillPresent() override;
    // ms_tab is hidden and message 0x0C05 posted.
    void MouseRemoved() override;
    // The waiting page's permission help is shown or hidden.
    void MousePermissionDenied(bool denied) override;
    // Keeps the holder for the UI thread and posts MouseHolderChanged.
    void MouseInUse(const std::optional<platform::LockHolder>& holder) override;
    // The program that holds the mouse as last told, none when it is free.
    // Any thread.
    [[nodiscard]] std::optional<platform::LockHolder> MouseHolder() const;
    void DeviceEventReported(device::DeviceType device, device::DeviceEventCode code) override;

private:
    void PostControl(MonitorControlMessage message);
    void StartTimer(WindowTimer timer);

    const ui::WindowHandle m_window;
    const ui::WindowHandle m_sendHandle;
    const Activation m_activation;
    std::atomic<bool>& m_reactiveTrigger;
    mutable std::mutex m_holderMutex;
    std::optional<platform::LockHolder> m_holder;  // guarded by m_holderMutex
};

}  // namespace varlok::app
