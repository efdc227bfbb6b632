#pragma once

// A virtual mouse with a connected link for the upload tests, and the
// requests of the log by command.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "device/reportframe.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::keys::test {

struct LinkedMouse {
    LinkedMouse() {
        link.Init(device::DeviceType::Mouse);
        const auto lock = link.LockIo();
        const std::string path =
            sim::VirtualHidBackend(mouse).PathOf(sim::MouseCollection::Configuration);
        EXPECT_TRUE(link.Device().Open(path, true, true, true, false));
        link.SetConnected(true);
        mouse->ClearLog();
    }

    // The command bytes of the requests the mouse received, in order.
    [[nodiscard]] std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> commands;
        for (const sim::LoggedReport& report : mouse->Log()) {
            if (report.direction == sim::LoggedReport::Direction::HostToDevice) {
                commands.push_back(report.bytes[device::ReportFrame::kCommandIndex]);
            }
        }
        return commands;
    }

    std::shared_ptr<device::HidBus> bus = std::make_shared<device::HidBus>();
    std::shared_ptr<sim::VirtualMouse> mouse = sim::AttachVirtualMouse(*bus);
    device::DeviceLink link{bus};
};

}  // namespace varlok::keys::test
