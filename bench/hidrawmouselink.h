#pragma once

// A device link to the mouse's configuration collection over the hidraw
// backend itself, for the benchmarks that count what the host pays per
// report: a sysfs tree of its own (the tests' FakeSysfs) describes the
// mouse's interface 1, and its node is one end of a SOCK_SEQPACKET pair,
// which keeps report boundaries as hidraw does. A thread of its own plays
// the mouse on the other end: it answers every report with the virtual
// mouse's firmware, `latency` after it came.

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "device/hidrawbackend.h"
#include "fakesysfs.h"
#include "sim/mousedescriptors.h"
#include "sim/mousefirmware.h"

namespace varlok::bench {

class HidrawMouseLink {
public:
    explicit HidrawMouseLink(std::chrono::microseconds latency) : m_latency(latency) {
        const std::span<const std::uint8_t> descriptor = sim::ConfigInterfaceDescriptor();
        m_sysfs.AddDevice(kNode, 0x0C45, 0x7643, 1,
                          std::vector<std::uint8_t>(descriptor.begin(), descriptor.end()));
        int ends[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
            return;
        }
        m_hostEnd = ends[0];
        m_deviceEnd = ends[1];
        auto backend = std::make_shared<device::HidrawBackend>(
            m_sysfs.Sys(), m_sysfs.Dev(), [this](const std::string&, int flags) {
                const int fd = ::fcntl(m_hostEnd, F_DUPFD_CLOEXEC, 0);
                ::fcntl(fd, F_SETFL, flags & O_NONBLOCK);
                return fd;
            });
        bus->Attach(backend);
        m_device = std::thread([this] { PlayMouse(); });
        link.Init(device::DeviceType::Mouse);
        std::vector<std::string> paths;
        static_cast<void>(backend->Enumerate(paths));
        for (const std::string& path : paths) {
            if (path.find("&col02") != std::string::npos) {
                opened = link.Device().Open(path, true, true, true, false);
            }
        }
        link.SetConnected(opened);
    }
    ~HidrawMouseLink() {
        link.SetConnected(false);
        link.Device().Close();
        m_quit = true;
        ::shutdown(m_hostEnd, SHUT_RDWR);
        if (m_device.joinable()) {
            m_device.join();
        }
        ::close(m_hostEnd);
        ::close(m_deviceEnd);
    }
    HidrawMouseLink(const HidrawMouseLink&) = delete;
    HidrawMouseLink& operator=(const HidrawMouseLink&) = delete;

    std::shared_ptr<device::HidBus> bus = std::make_shared<device::HidBus>();
    device::DeviceLink link{bus};
    bool opened = false;

private:
    static constexpr int kNode = 3;

    void PlayMouse() {
        std::array<std::uint8_t, device::ReportFrame::kSize> request{};
        while (!m_quit) {
            const ssize_t received = ::recv(m_deviceEnd, request.data(), request.size(), 0);
            if (received <= 0) {
                return;
            }
            const device::ReportFrame answer =
                m_firmware.Handle(std::span(request).first(static_cast<std::size_t>(received)));
            if (m_latency.count() > 0) {
                std::this_thread::sleep_for(m_latency);
            }
            if (::send(m_deviceEnd, answer.Raw().data(), answer.Raw().size(), 0) < 0) {
                return;
            }
        }
    }

    device::testing::FakeSysfs m_sysfs;
    std::chrono::microseconds m_latency;
    int m_hostEnd = -1;
    int m_deviceEnd = -1;
    sim::MouseFirmware m_firmware;
    std::atomic<bool> m_quit{false};
    std::thread m_device;
};

}  // namespace varlok::bench
