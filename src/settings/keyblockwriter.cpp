#include "settings/keyblockwriter.h"

#include <algorithm>

namespace varlok::settings {

using device::LinkResult;

LinkResult KeyBlockWriter::Write(device::DeviceLink& link, unsigned index, KeySlot& slot) {
    const auto lock = link.LockIo();
    KeySlot window{};
    if (const LinkResult read = link.ReadStoredBlock(window, index); read != LinkResult::Success) {
        return read;
    }
    // Only the bytes the read moved: a link set to a smaller block size
    // leaves the rest of the slot alone.
    const std::size_t moved = std::min<std::size_t>(link.BlockSize(), window.size());
    const std::size_t block = std::min(kKeyBlockSize, moved);
    std::copy(window.begin() + static_cast<std::ptrdiff_t>(block),
              window.begin() + static_cast<std::ptrdiff_t>(moved),
              slot.begin() + static_cast<std::ptrdiff_t>(block));
    return link.WriteStoredBlock(slot, index);
}

LinkResult KeyBlockWriter::Write(device::DeviceLink& link, unsigned index, MouseMirror& mirror) {
    if (index >= kOnboardProfileCount) {
        return LinkResult::BadBlockIndex;
    }
    const LinkResult result = Write(link, index, mirror.keySlots[index]);
    if (result != LinkResult::Success) {
        return result;
    }
    const auto written = std::span(mirror.keySlots[index]).first(kKeyBlockSize);
    for (unsigned earlier = 0; earlier < index; ++earlier) {
        const std::size_t at = (index - earlier) * kKeyBlockSize;
        const std::size_t count = std::min(kKeyBlockSize, kKeyTableSize - at);
        std::copy_n(written.begin(), count,
                    mirror.keySlots[earlier].begin() + static_cast<std::ptrdiff_t>(at));
    }
    return result;
}

}  // namespace varlok::settings
