#pragma once

// The Linux HID backend: the kernel's hidraw nodes, found through sysfs.
// Every top-level collection of an interface gets its own path, as Windows
// shows them:
//   "hidraw:/dev/hidraw3#vid_0c45&pid_7643&mi_01&col02"
// with "&mi_XX" only for USB interfaces and "&colXX" only when the interface
// has more than one top-level collection. Thread-safe.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidbackend.h"

namespace varlok::device {

class HidrawBackend : public HidBackend {
public:
    // Opens a node with open(2) flags; returns the descriptor, or -errno.
    using NodeOpener = std::function<int(const std::string& node, int flags)>;

    // sysfsRoot and devRoot are "/sys" and "/dev" on a real system; tests
    // point them at a tree of their own and hand in an opener that needs no
    // device node.
    HidrawBackend(std::string sysfsRoot, std::string devRoot, NodeOpener opener = {});

    [[nodiscard]] std::string_view Scheme() const override { return "hidraw"; }
    // True with no paths when the machine has no hidraw class at all; false
    // only when the class folder exists but cannot be read.
    [[nodiscard]] bool Enumerate(std::vector<std::string>& paths) override;
    // Opens the node read-only, write-only or read-write by the request,
    // non-blocking. Without read and write access no node is opened: the
    // connection then offers the descriptor and attributes only.
    // EACCES/EPERM give PermissionDenied, ENOENT/ENODEV/ENXIO NotFound,
    // EBUSY Busy, anything else Failed. A path that names a node outside the
    // dev root, or a node now held by a device with other ids, is NotFound.
    [[nodiscard]] std::unique_ptr<HidConnection> Open(std::string_view path,
                                                      const HidOpenRequest& request,
                                                      HidOpenError& error) override;
    // The node exists and sysfs still shows the device the path was
    // enumerated for: the same device folder (which carries the kernel's
    // instance number) and the same HID_ID. Paths never enumerated here are
    // checked against the ids and interface number they carry.
    [[nodiscard]] bool Probe(std::string_view path) override;
    // "hidraw-VVVV-PPPP-" and a hash of the physical device's sysfs folder
    // (relative to the sysfs root): for USB the USB device, which holds all
    // of the mouse's interfaces and so all of its hidraw nodes; for other
    // transports the HID device's parent. Node numbers play no part, so a
    // node renumbered after a replug keeps its key as long as the device
    // sits on the same port.
    [[nodiscard]] std::string OwnerKey(std::string_view path) override;

private:
    struct Identity {
        std::string deviceFolder;  // canonical sysfs folder of the HID device
        std::string hidId;         // HID_ID line of its uevent
    };
    struct NodeInfo;

    [[nodiscard]] std::optional<NodeInfo> ReadNode(const std::string& name) const;
    // The node name ("hidraw3") of a path of this backend, or empty when the
    // path does not name a hidraw node under the dev root.
    [[nodiscard]] std::string NodeNameOf(std::string_view path) const;

    std::string m_sysfsRoot;
    std::string m_devRoot;
    NodeOpener m_opener;
    mutable std::mutex m_mutex;
    std::map<std::string, Identity, std::less<>> m_identities;  // by path
};

}  // namespace varlok::device
