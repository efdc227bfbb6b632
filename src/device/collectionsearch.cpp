#include "device/collectionsearch.h"

namespace varlok::device {

SearchResult SearchConfigurationCollection(DeviceLink& link) {
    const auto lock = link.LockIo();
    HidDevice& device = link.Device();
    if (!device.FindPaths()) {
        return {SearchOutcome::EnumerationFailed, {}, HidOpenError::None, {}};
    }
    SearchResult failure;
    while (const auto path = device.NextPath()) {
        // Only the vendor is filtered before opening; product, usage page and
        // usage are checked on the open collection.
        if (HidDevice::ParseVendorId(*path) != link.VendorId()) {
            continue;
        }
        if (!device.Open(*path, /*read=*/true, /*write=*/true, /*overlapped=*/true,
                         /*exclusive=*/false)) {
            const HidOpenError error = device.LastOpenError();
            if (error == HidOpenError::InUse &&
                HidDevice::ParseProductId(*path) == link.ProductId()) {
                SearchResult inUse{SearchOutcome::InUse, *path, error, device.LastOpenOwner()};
                device.FreePaths();
                return inUse;
            }
            if (HidDevice::ParseProductId(*path) == link.ProductId() &&
                failure.outcome != SearchOutcome::PermissionDenied) {
                failure = {error == HidOpenError::PermissionDenied ? SearchOutcome::PermissionDenied
                                                                   : SearchOutcome::OpenFailed,
                           *path,
                           error,
                           {}};
            }
            continue;
        }
        if (link.MatchesOpenDevice()) {
            link.SetConnected(true);
            device.FreePaths();
            return {SearchOutcome::Found, *path, HidOpenError::None, {}};
        }
        device.Close();
    }
    device.FreePaths();
    return failure;
}

const char* DescribeOpenError(HidOpenError error) {
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
        case HidOpenError::InUse:
            return "in use by another program";
    }
    return "failed";
}

}  // namespace varlok::device
