#pragma once

// Sending a macro or cursor-script table to the mouse, and what an upload
// reports to its caller.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/devicelink.h"
#include "keys/storemessage.h"

namespace varlok::keys {

enum class TableKind {
    Macros,         // WriteMacroData (0x15)
    CursorScripts,  // WriteCursorData (0x17)
};

enum class UploadStatus {
    // The table went out (whatever the mouse answered: see link).
    Sent,
    // No records, or records without any bytes: nothing was sent.
    NothingToSend,
    // Too large for the mouse; nothing was sent. The message, when there is
    // one, says why.
    Refused,
};

struct TableUpload {
    UploadStatus status = UploadStatus::NothingToSend;
    std::optional<StoreMessage> message;
    // The table's length in bytes (as it was or would have been).
    std::size_t length = 0;
    // The first command of the transfer that did not succeed, else Success.
    device::LinkResult link = device::LinkResult::Success;
};

// BeginTransfer, the table's write command, EndTransfer, with the link's I/O
// lock held throughout so that no other command comes between them. All
// three are sent whatever the others answer (EndTransfer always closes the
// bracket); returns the first result that was not Success, else Success.
[[nodiscard]] device::LinkResult SendTable(device::DeviceLink& link, TableKind kind,
                                           std::span<const std::uint8_t> table);

}  // namespace varlok::keys
