#pragma once

// Finds the configuration collection a link is initialised for among the HID
// collections of its bus, opens it in the link and marks the link connected;
// when it cannot, says why. The presence monitor and varlokctl search alike.

#include <string>
#include <string_view>

#include "device/devicelink.h"
#include "device/hidbackend.h"

namespace varlok::device {

enum class SearchOutcome {
    Found,
    NotFound,
    // A collection of the link's vendor and product could not be opened for
    // lack of permission: the device is there, but not ours to use.
    PermissionDenied,
    // A collection of the link's vendor and product could not be opened for
    // another reason.
    OpenFailed,
    // Another program holds the owner lock of a device of the link's vendor
    // and product; nothing of it was opened.
    InUse,
    EnumerationFailed,
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NotFound;
    // The opened path, or the candidate that could not be opened.
    std::string path;
    HidOpenError openError = HidOpenError::None;
    // For InUse: the lock and who holds it.
    HidOwner owner;
};

// Walks the paths of the link's vendor, opens each for reading and writing
// (shared) and accepts the first whose attributes and caps match the link;
// the others are closed again. A failure to open counts only for paths that
// carry the link's product id. A device in use ends the search at once (all
// of its collections share the lock); otherwise lack of permission wins over
// other failures, since it is the one the user can fix. Takes the link's I/O
// lock.
[[nodiscard]] SearchResult SearchConfigurationCollection(DeviceLink& link);

// "permission denied", "not found", ... for messages.
[[nodiscard]] const char* DescribeOpenError(HidOpenError error);

}  // namespace varlok::device
