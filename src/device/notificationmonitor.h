#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidbus.h"
#include "device/hiddevice.h"
#include "device/mainwindowmessages.h"
#include "device/monitorhost.h"
#include "platform/event.h"

namespace varlok::device {

// Which device's notification collection a monitor watches.
enum class NotificationSource { Keyboard, Mouse };

struct NotificationSourceInfo {
    NotificationSource source;
    std::uint16_t productId;
    // Limit of one read; kWaitForever for none.
    std::chrono::milliseconds readTimeout;
    // Written to the debug output when the thread ends.
    std::string_view exitText;
};

inline constexpr std::uint16_t kNotificationVendorId = 0x0C45;
// The notification collection: consumer control.
inline constexpr std::uint16_t kNotificationUsagePage = 0x000C;
inline constexpr std::uint16_t kNotificationUsage = 0x0001;

inline constexpr std::array kNotificationSources{
    NotificationSourceInfo{NotificationSource::Keyboard, 0x6556, std::chrono::milliseconds{500},
                           "键盘同步线程设定退出"},
    NotificationSourceInfo{NotificationSource::Mouse, 0x7643, kWaitForever,
                           "鼠标同步线程设定测试退出"},
};

// What a device event makes the monitor do.
enum class EventAction {
    StartTimer,       // start `timer`
    SendMessage,      // send `message` and wait until it was handled
    ReactiveTrigger,  // MonitorHost::SetMouseReactiveTrigger
};

struct DeviceEventRule {
    NotificationSource source;
    std::uint16_t code;
    EventAction action;
    WindowMessage message;  // for SendMessage
    WindowTimer timer;      // for StartTimer
};

// Codes not listed are ignored.
inline constexpr std::array kDeviceEventRules{
    DeviceEventRule{NotificationSource::Keyboard, 0x401, EventAction::SendMessage,
                    WindowMessage::KeyboardEvent401, WindowTimer{}},
    DeviceEventRule{NotificationSource::Keyboard, 0x402, EventAction::SendMessage,
                    WindowMessage::KeyboardEvent402, WindowTimer{}},
    DeviceEventRule{NotificationSource::Mouse, 0x401, EventAction::StartTimer, WindowMessage{},
                    WindowTimer::RereadMouseRecord},
    DeviceEventRule{NotificationSource::Mouse, 0x402, EventAction::SendMessage,
                    WindowMessage::MouseChanged, WindowTimer{}},
    DeviceEventRule{NotificationSource::Mouse, 0x403, EventAction::ReactiveTrigger, WindowMessage{},
                    WindowTimer{}},
};

[[nodiscard]] const NotificationSourceInfo& SourceInfo(NotificationSource source);
[[nodiscard]] std::optional<DeviceEventRule> FindDeviceEventRule(NotificationSource source,
                                                                 std::uint16_t code);

// Watches one device's consumer-control collection and turns the event
// codes it reports into messages, timers and triggers of the main window.
// Owns its HidDevice; nothing else touches it. Runs on a thread of its own
// (Run): searching every second while the device is absent, reading while
// it is there.
class NotificationMonitor {
public:
    // Pause between searches, and after a read loop ended.
    static constexpr std::chrono::milliseconds kSearchPause{1000};
    static constexpr std::chrono::milliseconds kReopenPause{100};

    // host must outlive the thread that runs Run.
    NotificationMonitor(NotificationSource source, MonitorHost& host,
                        std::shared_ptr<HidBus> bus = HidBus::System());
    NotificationMonitor(const NotificationMonitor&) = delete;
    NotificationMonitor& operator=(const NotificationMonitor&) = delete;

    // The thread body: searches and reads until stop is signalled. The mouse
    // reads without a time limit, so a stop needs Wake as well.
    void Run(platform::Event& stop);

    // Any thread, after stop was signalled: closes the device, which cuts a
    // waiting read short, so Run notices the stop at once.
    void Wake();

private:
    // Opens the first collection of this source's device that passes the
    // checks; false when none is there.
    [[nodiscard]] bool OpenDevice();
    // Reads and acts until the device is gone (true) or stop is signalled
    // or the device was closed under the read (false).
    [[nodiscard]] bool ReadLoop(platform::Event& stop);
    void Act(std::uint16_t code);
    // The first usage of the first input item of the report just unpacked,
    // 0 when there is none.
    [[nodiscard]] std::uint16_t EventCode(std::uint8_t reportId);

    const NotificationSourceInfo& m_info;
    MonitorHost& m_host;
    // Guards m_device against Wake. The monitor thread holds it for
    // everything it does with the device except waiting in a read; a read
    // only needs the device's own session, which Close detaches safely.
    std::mutex m_deviceMutex;
    HidDevice m_device;
    bool m_enumerationFailing = false;
};

}  // namespace varlok::device
