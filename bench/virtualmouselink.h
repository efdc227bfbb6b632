#pragma once

// A virtual mouse that answers each exchange after `latency`, and a device
// link connected to its configuration collection, for the benchmarks.

#include <chrono>
#include <memory>
#include <string>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::bench {

struct VirtualMouseLink {
    explicit VirtualMouseLink(std::chrono::microseconds latency)
        : bus(std::make_shared<device::HidBus>()), mouse(sim::AttachVirtualMouse(*bus)), link(bus) {
        sim::VirtualMouse::Faults faults;
        faults.latency = latency;
        mouse->SetFaults(faults);
        // The benchmarks read no log; keeping one would cost memory.
        mouse->SetLogLimit(1);
        link.Init(device::DeviceType::Mouse);
        const std::string path =
            sim::VirtualHidBackend(mouse).PathOf(sim::MouseCollection::Configuration);
        opened = link.Device().Open(path, true, true, true, false);
        link.SetConnected(opened);
    }

    std::shared_ptr<device::HidBus> bus;
    std::shared_ptr<sim::VirtualMouse> mouse;
    device::DeviceLink link;
    bool opened = false;
};

}  // namespace varlok::bench
