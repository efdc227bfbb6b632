#pragma once

// Shows the virtual mouse as HID collections under the scheme "sim", the way
// the real mouse appears: interface 0, a plain pointer; interface 1 with the
// consumer-control collection (col01) and the configuration collection
// (col02). Beside it sits a decoy of the same vendor with product id 0x7644
// and a configuration-like collection that never answers, so that hosts must
// filter by product id and by caps. Thread-safe.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/deviceidentity.h"
#include "device/hidbackend.h"
#include "device/hidbus.h"
#include "sim/virtualmouse.h"

namespace varlok::sim {

inline constexpr std::uint16_t kMouseVendorId = device::kVendorId;
inline constexpr std::uint16_t kMouseProductId = device::kMouseProductId;
inline constexpr std::uint16_t kDecoyProductId = 0x7644;
inline constexpr std::uint16_t kSimVersionNumber = 0x0100;

class VirtualHidBackend : public device::HidBackend {
public:
    explicit VirtualHidBackend(std::shared_ptr<VirtualMouse> mouse);

    [[nodiscard]] std::string_view Scheme() const override { return "sim"; }
    // The decoy first, then (while plugged) the mouse's pointer, consumer and
    // configuration collections.
    [[nodiscard]] bool Enumerate(std::vector<std::string>& paths) override;
    [[nodiscard]] std::unique_ptr<device::HidConnection> Open(std::string_view path,
                                                              const device::HidOpenRequest& request,
                                                              device::HidOpenError& error) override;
    // True while the path is one that Enumerate would list now: a path of an
    // earlier plug-in of the mouse is gone for good.
    [[nodiscard]] bool Probe(std::string_view path) override;
    // kOwnerKey for the mouse's collections, of every plug-in: varlok
    // --simulate and varlokctl --simulate share the virtual mouse's memory,
    // so they take turns as with a real mouse. The decoy needs no lock.
    [[nodiscard]] std::string OwnerKey(std::string_view path) override;
    static constexpr std::string_view kOwnerKey = "sim";

    // The paths of the mouse's collections for the present plug-in, e.g.
    // "sim:mouse-1-if1#vid_0c45&pid_7643&mi_01&col02"; empty while unplugged.
    [[nodiscard]] std::string PathOf(MouseCollection collection) const;
    [[nodiscard]] static std::string DecoyPath();

    [[nodiscard]] const std::shared_ptr<VirtualMouse>& Mouse() const { return m_mouse; }

private:
    std::shared_ptr<VirtualMouse> m_mouse;
};

// Creates a plugged-in mouse, attaches its backend to the bus (replacing any
// "sim" backend there) and returns the mouse for the caller to drive.
[[nodiscard]] std::shared_ptr<VirtualMouse> AttachVirtualMouse(device::HidBus& bus);

}  // namespace varlok::sim
