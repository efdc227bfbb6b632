#pragma once

#include <cstddef>

#include "device/devicelink.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/tableupload.h"

namespace varlok::keys {

// What the first two steps of a save to the mouse did.
struct StoreUpload {
    TableUpload cursorScripts;
    TableUpload macros;
    // The upload that was refused (too large for the mouse), if any: nothing
    // further, not even the key table, may be sent.
    [[nodiscard]] const TableUpload* Refusal() const {
        if (cursorScripts.status == UploadStatus::Refused) {
            return &cursorScripts;
        }
        return macros.status == UploadStatus::Refused ? &macros : nullptr;
    }
    [[nodiscard]] bool Refused() const { return Refusal() != nullptr; }
};

// The cursor-script table (0x17), then the macro table (0x15), each in its
// own BeginTransfer ... EndTransfer bracket, as a save to the mouse sends
// them before the active key table. A refused script table (too long for
// the mouse) stops there: the macros are not sent. capacityBytes is the
// mouse's macro memory (DeviceInfo byte 6 x 128).
[[nodiscard]] StoreUpload UploadStores(device::DeviceLink& link, const CursorScripts& scripts,
                                       const MacroStore& macros, std::size_t capacityBytes);

}  // namespace varlok::keys
