#include "varlokctl/mousefinder.h"

namespace varlok::tools {

using device::HidDevice;
using device::HidOpenError;

FindResult OpenConfigurationCollection(device::DeviceLink& link) {
    const auto lock = link.LockIo();
    HidDevice& device = link.Device();
    if (!device.FindPaths()) {
        return {FindOutcome::EnumerationFailed, {}, HidOpenError::None};
    }
    FindResult failure;
    while (const auto path = device.NextPath()) {
        if (HidDevice::ParseVendorId(*path) != link.VendorId() ||
            HidDevice::ParseProductId(*path) != link.ProductId()) {
            continue;
        }
        if (!device.Open(*path, true, true, true, false)) {
            const HidOpenError error = device.LastOpenError();
            // Lack of permission is what the user can fix, so it wins.
            if (failure.outcome != FindOutcome::PermissionDenied) {
                failure = {error == HidOpenError::PermissionDenied ? FindOutcome::PermissionDenied
                                                                   : FindOutcome::OpenFailed,
                           *path, error};
            }
            continue;
        }
        if (link.MatchesOpenDevice()) {
            link.SetConnected(true);
            device.FreePaths();
            return {FindOutcome::Found, *path, HidOpenError::None};
        }
        device.Close();
    }
    device.FreePaths();
    return failure;
}

const char* DescribeOpenError(device::HidOpenError error) {
    switch (error) {
        case HidOpenError::None:
            return "no error";
        case HidOpenError::NotFound:
            return "not found";
        case HidOpenError::PermissionDenied:
            return "permission denied";
        case HidOpenError::Busy:
            return "busy";
        case HidOpenError::Failed:
            return "failed";
    }
    return "failed";
}

}  // namespace varlok::tools
