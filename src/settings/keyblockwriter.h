#pragma once

#include <cstddef>

#include "device/devicelink.h"
#include "settings/mousemirror.h"

namespace varlok::settings {

// Sends the key table of one onboard profile to the mouse without touching
// any other profile's.
//
// The mouse keeps each profile's keys in a block of kKeyBlockSize bytes, the
// blocks kKeyBlockSize apart, yet the block commands always move the link's
// block size (512 bytes) from the profile's block on: a write of profile i
// also covers the blocks of profiles i+1 ... and, for the last profiles,
// memory past the last block. Sending the host's whole slot would put back
// whatever the host last read for those profiles and undo their later
// changes. So the writer reads the window first, puts the profile's own
// block into it and sends the window back: the other bytes go back exactly
// as the mouse holds them.
//
// Thread affinity: any thread; read and write happen under the link's I/O
// lock, so no other command lands between them. The mirror overload belongs
// to the mirror's (UI) thread.
class KeyBlockWriter {
public:
    static constexpr std::size_t kKeyBlockSize = device::kKeyBlockStep;

    // Writes block `index` (0-4) of `slot`: ReadStoredBlock of the window,
    // then WriteStoredBlock of the window with slot's first kKeyBlockSize
    // bytes in front. When the read succeeded, slot's bytes after its block
    // become the window as read (they mirror the mouse); a failed read sends
    // nothing and leaves slot as it was. Returns the first failure, or
    // Success.
    [[nodiscard]] static device::LinkResult Write(device::DeviceLink& link, unsigned index,
                                                  KeySlot& slot);

    // Writes the key slot `index` of the mirror as above and, once written,
    // copies its block into the slots of the earlier profiles, whose windows
    // cover it, so that the mirror's tables agree with the mouse.
    [[nodiscard]] static device::LinkResult Write(device::DeviceLink& link, unsigned index,
                                                  MouseMirror& mirror);
};

}  // namespace varlok::settings
