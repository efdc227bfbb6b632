#include "keys/storeupload.h"

namespace varlok::keys {

StoreUpload UploadStores(device::DeviceLink& link, const CursorScripts& scripts,
                         const MacroStore& macros, std::size_t capacityBytes) {
    StoreUpload upload;
    upload.cursorScripts = scripts.UploadCursorScripts(link);
    if (upload.cursorScripts.status != UploadStatus::Refused) {
        upload.macros = macros.UploadMacros(link, capacityBytes);
    }
    return upload;
}

}  // namespace varlok::keys
