#pragma once

// Finds the configuration collection a link is initialised for among the
// HID collections of its bus, opens it in the link and marks it connected,
// the way the presence monitor does, but reporting why it failed.

#include <string>

#include "device/devicelink.h"
#include "device/hidbackend.h"

namespace varlok::tools {

enum class FindOutcome {
    Found,
    NotFound,
    // A candidate path could not be opened for lack of permission.
    PermissionDenied,
    // A candidate path could not be opened for another reason.
    OpenFailed,
    EnumerationFailed,
};

struct FindResult {
    FindOutcome outcome = FindOutcome::NotFound;
    // The opened path, or the candidate that could not be opened.
    std::string path;
    device::HidOpenError openError = device::HidOpenError::None;
};

// Walks the paths whose vendor and product ids are the link's, opens each
// for reading and writing (shared) and accepts the first whose attributes and
// caps match the link. Holds the link's I/O lock meanwhile.
[[nodiscard]] FindResult OpenConfigurationCollection(device::DeviceLink& link);

// "permission denied", "not found", ... for messages.
[[nodiscard]] const char* DescribeOpenError(device::HidOpenError error);

}  // namespace varlok::tools
