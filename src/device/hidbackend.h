#pragma once

// The seam between HidDevice and the operating system (or the virtual mouse).
// A backend lists the top-level collections it can reach as paths of the form
// "<scheme>:<node>#vid_XXXX&pid_XXXX[&mi_XX][&colXX]" and opens them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidtypes.h"

namespace varlok::device {

struct HidOpenRequest {
    bool read = false;
    bool write = false;
    bool exclusive = false;
};

enum class HidOpenError {
    None,
    NotFound,
    PermissionDenied,
    Busy,
    Failed,
    // Another program holds the device's owner lock; the node was not opened.
    InUse,
};

enum class TransferStatus { Done, TimedOut, Aborted, Failed };

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    std::size_t bytes = 0;
};

// One open HID interface node. Read and Write are called by one thread at a
// time; Abort may be called from any thread and makes a waiting Read or Write
// return Aborted promptly. An Abort that comes before the transfer reaches
// its wait must not be lost: that transfer returns Aborted as well (HidDevice
// aborts a connection it is closing, and never transfers on it afterwards).
// Destroying the connection releases the node; the owner guarantees no
// transfer is still running on it by then.
class HidConnection {
public:
    virtual ~HidConnection() = default;

    // The complete report descriptor of the interface the path belongs to
    // (all of its top-level collections).
    [[nodiscard]] virtual std::vector<std::uint8_t> ReportDescriptor() const = 0;
    [[nodiscard]] virtual HidAttributes Attributes() const = 0;

    // Receives the next input report of the interface, whatever collection it
    // belongs to. The first byte is the report id (0 for unnumbered reports).
    [[nodiscard]] virtual TransferResult Read(std::span<std::uint8_t> buffer,
                                              std::chrono::milliseconds timeout) = 0;
    // Sends one output report; its first byte is the report id (0 when unnumbered).
    [[nodiscard]] virtual TransferResult Write(std::span<const std::uint8_t> report,
                                               std::chrono::milliseconds timeout) = 0;
    virtual void Abort() = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Path prefix without the colon: "hidraw", "sim".
    [[nodiscard]] virtual std::string_view Scheme() const = 0;
    // Appends one path per top-level collection present now. False when the
    // enumeration itself failed (not when it found nothing).
    [[nodiscard]] virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Null on failure, with the reason in error.
    [[nodiscard]] virtual std::unique_ptr<HidConnection> Open(std::string_view path,
                                                              const HidOpenRequest& request,
                                                              HidOpenError& error) = 0;
    // Whether the collection behind the path is still the one that was
    // enumerated (the presence probe). Must not be fooled by a node number
    // that another device took over after an unplug.
    [[nodiscard]] virtual bool Probe(std::string_view path) = 0;
    // The name under which an opener that may write takes the owner lock of
    // the physical device the path belongs to: the same for every collection
    // of one device, never the same for two devices present at once, and
    // usable as a file name. Empty when the device needs no owner lock (or
    // the path names nothing present).
    [[nodiscard]] virtual std::string OwnerKey(std::string_view /*path*/) { return {}; }
};

}  // namespace varlok::device
