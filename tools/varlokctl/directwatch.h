#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "device/deviceevents.h"
#include "device/hidbus.h"
#include "device/notificationmonitor.h"
#include "platform/event.h"
#include "varlokctl/watchline.h"

namespace varlok::tools {

// What watch can learn of the mouse without a window: whether it is there
// (its collections are listed and looked at without any access rights), the
// event codes it reports on its notification collection (read by a monitor
// thread; no owner lock is needed for either), and, while no other program
// holds the mouse, its record in force, read under the owner lock which is
// let go again at once. Construction, destruction and the reads belong to one
// thread; reported is called on the monitor's thread.
class DirectWatch final : private device::DeviceEventSink {
public:
    // Starts the monitor; bus must outlive this.
    DirectWatch(std::shared_ptr<device::HidBus> bus,
                std::function<void(std::uint16_t code)> reported);
    // Stops the monitor and waits for its thread.
    ~DirectWatch() override;
    DirectWatch(const DirectWatch&) = delete;
    DirectWatch& operator=(const DirectWatch&) = delete;

    // Whether the mouse's configuration collection is there.
    [[nodiscard]] bool Present() const;
    // The mouse now. read: whether its record could be read (it cannot while
    // another program has the mouse).
    [[nodiscard]] MouseStatus Probe(bool& read) const;

private:
    void MouseArrived() override {}
    void MouseFoundAtStart() override {}
    void MouseStillPresent() override {}
    void MouseRemoved() override {}
    void MousePermissionDenied(bool /*denied*/) override {}
    void MouseInUse(const std::optional<platform::LockHolder>& /*holder*/) override {}
    void DeviceEventReported(device::DeviceType device, device::DeviceEventCode code) override;

    std::shared_ptr<device::HidBus> m_bus;
    std::function<void(std::uint16_t code)> m_reported;
    platform::Event m_stop{true, false};
    device::NotificationMonitor m_monitor;
    std::thread m_thread;
};

}  // namespace varlok::tools
