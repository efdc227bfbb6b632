#include "keys/storeuploader.h"

#include "keys/storeupload.h"

namespace varlok::keys {

settings::UploadResult StoreUploader::UploadTables(device::DeviceLink& link,
                                                   std::size_t macroCapacityBytes) {
    const StoreUpload upload = UploadStores(link, m_scripts, m_macros, macroCapacityBytes);
    const TableUpload* refusal = upload.Refusal();
    if (refusal == nullptr) {
        return settings::UploadResult::Sent;
    }
    if (refusal->message && m_tell) {
        m_tell(*refusal->message);
    }
    return settings::UploadResult::Refused;
}

}  // namespace varlok::keys
