#pragma once

// What the device monitors see happen, told in the devices' own terms: the
// mouse arrived, is still there, went away; a device reported one of its
// event codes. The application decides what each means for its windows.

#include <cstdint>
#include <optional>

#include "device/deviceidentity.h"
#include "platform/ownerlock.h"

namespace varlok::device {

// Event codes a device reports on its notification collection; others are
// ignored.
enum class DeviceEventCode : std::uint16_t {
    // The user switched the onboard profile on the device.
    ProfileSwitched = 0x401,
    // The device's configuration changed on the device.
    ConfigurationChanged = 0x402,
    // A key press that the Reactive lighting effect answers.
    ReactiveKey = 0x403,
};

// The code as a known event, or none.
[[nodiscard]] constexpr std::optional<DeviceEventCode> FindDeviceEventCode(std::uint16_t code) {
    switch (code) {
        case 0x401:
        case 0x402:
        case 0x403:
            return static_cast<DeviceEventCode>(code);
        default:
            return std::nullopt;
    }
}

// Thread affinity: called on the monitor threads, never on the UI thread,
// possibly by several monitors at once.
//
// The presence monitor calls the Mouse... members while it holds the mouse
// link's I/O lock; they must return without waiting for the UI thread,
// which may be waiting for that lock. DeviceEventReported is called without
// any lock and may wait for the UI thread; once the application has begun
// to shut down it must return at once.
class DeviceEventSink {
public:
    virtual ~DeviceEventSink() = default;

    // The mouse's configuration collection was found, opened and its link
    // marked connected.
    virtual void MouseArrived() = 0;
    // The first search after the start found the mouse (after MouseArrived).
    virtual void MouseFoundAtStart() = 0;
    // A check cycle found the connected mouse still there.
    virtual void MouseStillPresent() = 0;
    // The connected mouse is gone; its link is marked disconnected.
    virtual void MouseRemoved() = 0;
    // A search found the mouse but was refused its node for lack of
    // permission (denied), or a later search no longer was (the mouse was
    // opened, unplugged, or fails for another reason). Told on change only;
    // until the first call the mouse counts as not denied.
    virtual void MousePermissionDenied(bool denied) = 0;
    // A search found the mouse held by another program (holder: who, as its
    // lock file names it; both parts unknown when it names nobody), or a
    // later search no longer did (none). Told on change only, a change of
    // holder included; until the first call the mouse counts as free.
    virtual void MouseInUse(const std::optional<platform::LockHolder>& holder) = 0;
    // A device reported a known event code.
    virtual void DeviceEventReported(DeviceType device, DeviceEventCode code) = 0;
};

}  // namespace varlok::device
