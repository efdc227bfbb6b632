#include <memory>

#include "sim/virtualhidbackend.h"

// Kept apart from the backend so that only programs that attach to a bus
// need the bus's code.
namespace varlok::sim {

std::shared_ptr<VirtualMouse> AttachVirtualMouse(device::HidBus& bus) {
    auto mouse = std::make_shared<VirtualMouse>();
    bus.Attach(std::make_shared<VirtualHidBackend>(mouse));
    return mouse;
}

}  // namespace varlok::sim
