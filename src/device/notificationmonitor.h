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

#include "device/deviceevents.h"
#include "device/deviceidentity.h"
#include "device/hidbus.h"
#include "device/hiddevice.h"
#include "platform/event.h"

namespace varlok::device {

struct NotificationSourceInfo {
    DeviceType device;
    // Limit of one read; kWaitForever for none.
    std::chrono::milliseconds readTimeout;
    // Written to the debug output when the thread ends.
    std::string_view exitText;
};

// The devices whose notification collections are watched.
inline constexpr std::array kNotificationSources{
    NotificationSourceInfo{DeviceType::Keyboard, std::chrono::milliseconds{500},
                           "键盘同步线程设定退出"},
    NotificationSourceInfo{DeviceType::Mouse, kWaitForever, "鼠标同步线程设定测试退出"},
};

// The row of a watched device (the mouse's for a device that is not watched).
[[nodiscard]] const NotificationSourceInfo& SourceInfo(DeviceType device);

// Watches one device's consumer-control collection and reports the known
// event codes it sends.
// Owns its HidDevice; nothing else touches it. Runs on a thread of its own
// (Run): searching every second while the device is absent, reading while
// it is there.
class NotificationMonitor {
public:
    // Pause between searches, and after a read loop ended.
    static constexpr std::chrono::milliseconds kSearchPause{1000};
    static constexpr std::chrono::milliseconds kReopenPause{100};

    // events must outlive the thread that runs Run.
    NotificationMonitor(DeviceType device, DeviceEventSink& events,
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
    const std::uint16_t m_productId;
    DeviceEventSink& m_events;
    // Guards m_device against Wake. The monitor thread holds it for
    // everything it does with the device except waiting in a read; a read
    // only needs the device's own session, which Close detaches safely.
    std::mutex m_deviceMutex;
    HidDevice m_device;
    bool m_enumerationFailing = false;
};

}  // namespace varlok::device
