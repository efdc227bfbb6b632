#pragma once

#include <cstddef>

#include "device/devicelink.h"

namespace varlok::settings {

// What the uploads ahead of the key table report.
enum class UploadResult {
    Sent,     // done (whatever the device answered); the save goes on
    Refused,  // the user was told why, and nothing further may be sent
};

// The tables a save to the mouse sends ahead of the active key table: the
// cursor-script table, then the macro table. The keys core implements it
// over its stores; the exchanges never read macro or script files
// themselves.
//
// Thread affinity: called on the thread that runs the save, the UI thread.
class TableUploads {
public:
    virtual ~TableUploads() = default;

    // Builds both tables and sends them over link, each in its own transfer
    // bracket, or refuses (a table too large for the mouse, whose macro
    // memory is macroCapacityBytes) with the message that says why; after a
    // refusal nothing more is sent.
    [[nodiscard]] virtual UploadResult UploadTables(device::DeviceLink& link,
                                                    std::size_t macroCapacityBytes) = 0;
};

}  // namespace varlok::settings
