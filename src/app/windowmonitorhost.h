#pragma once

#include <atomic>

#include "device/monitorhost.h"
#include "ui/windowhandle.h"

namespace varlok::app {

// Control changes the monitors ask for, carried to the main window's UI
// thread as private messages (the application range 0x8000-0xBFFF).
enum class MonitorControlMessage : ui::MessageId {
    SelectDeviceProfile = 0x8001,  // wParam: the entry index
    ShowMouseTab = 0x8002,
    ShowMouseTabPanel = 0x8003,
    HideMouseTab = 0x8004,
    HideSameModeOption = 0x8005,
};

[[nodiscard]] constexpr ui::MessageId MessageNumber(MonitorControlMessage message) {
    return static_cast<ui::MessageId>(message);
}

// The monitors' view of the main window, over its handles. Posts, timers and
// control changes go through the window's handle, in call order (one queue
// carries them all); sends go through a handle of their own, which shutdown
// closes before it stops the monitors, so that a monitor waiting in a send is
// released at once. Nothing here waits for the UI thread except Send.
//
// Thread-safe; the handles are fixed at construction.
class WindowMonitorHost : public device::MonitorHost {
public:
    // window: the main window; sendHandle: the relay the monitors send
    // through; activateMessage: the registered number of
    // device::kActivateMessageName.
    WindowMonitorHost(ui::WindowHandle window, ui::WindowHandle sendHandle,
                      ui::MessageId activateMessage);

    void Post(device::WindowMessage message) override;
    void PostActivateMessage() override;
    void Send(device::WindowMessage message) override;
    void StartTimer(device::WindowTimer timer, std::chrono::milliseconds period) override;
    void SelectDeviceProfile(int entryIndex) override;
    void ShowMouseTab() override;
    void ShowMouseTabPanel() override;
    void HideMouseTab() override;
    void HideSameModeOption() override;
    // Arms the trigger; the Reactive lighting effect takes it with
    // TakeMouseReactiveTrigger.
    void SetMouseReactiveTrigger() override;

    // True once per SetMouseReactiveTrigger (several arms before a take
    // count once). Any thread.
    [[nodiscard]] bool TakeMouseReactiveTrigger();

private:
    void PostControl(MonitorControlMessage message, ui::WParam wParam = 0);

    const ui::WindowHandle m_window;
    const ui::WindowHandle m_sendHandle;
    const ui::MessageId m_activateMessage;
    std::atomic<bool> m_reactiveTrigger{false};
};

}  // namespace varlok::app
