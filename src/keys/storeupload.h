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
    // The macros were refused (too large for the mouse): nothing further,
    // not even the key table, may be sent.
    [[nodiscard]] bool Refused() const { return macros.status == UploadStatus::Refused; }
};

// The cursor-script table (0x17), then the macro table (0x15), each in its
// own BeginTransfer ... EndTransfer bracket, as a save to the mouse sends
// them before the active key table. A script table too long for the mouse
// is left out without a message and the macros still go; capacityBytes is
// the mouse's macro memory (DeviceInfo byte 6 x 128).
[[nodiscard]] StoreUpload UploadStores(device::DeviceLink& link, const CursorScripts& scripts,
                                       const MacroStore& macros, std::size_t capacityBytes);

}  // namespace varlok::keys
