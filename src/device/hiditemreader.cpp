#include "device/hiditemreader.h"

namespace varlok::device {

namespace {

// A long item is its prefix, a data size byte, a tag byte, then the data.
constexpr std::size_t kLongItemHeaderSize = 3;

std::int32_t SignExtend(std::uint32_t value, std::size_t size) {
    switch (size) {
        case 1:
            return static_cast<std::int8_t>(value);
        case 2:
            return static_cast<std::int16_t>(value);
        case 4:
            return static_cast<std::int32_t>(value);
        default:
            return 0;
    }
}

}  // namespace

HidItemRead HidItemReader::Next(HidItem& item) {
    for (;;) {
        m_offset = m_next;
        if (m_offset >= m_descriptor.size()) {
            return HidItemRead::End;
        }
        const std::span<const std::uint8_t> rest = m_descriptor.subspan(m_offset);
        const std::uint8_t prefix = rest[0];
        if (prefix == hiditem::kLongItemPrefix) {
            if (rest.size() < kLongItemHeaderSize || rest.size() - kLongItemHeaderSize < rest[1]) {
                return HidItemRead::Truncated;
            }
            m_next += kLongItemHeaderSize + rest[1];
            continue;
        }
        const std::size_t sizeCode = prefix & 0x3u;
        const std::size_t size = sizeCode == 3 ? 4 : sizeCode;
        if (rest.size() - 1 < size) {
            return HidItemRead::Truncated;
        }
        item = HidItem{};
        item.type = static_cast<std::uint8_t>((prefix >> 2) & 0x3u);
        item.tag = static_cast<std::uint8_t>(prefix >> 4);
        item.size = size;
        for (std::size_t i = 0; i < size; ++i) {
            item.unsignedData |= std::uint32_t{rest[1 + i]} << (8 * i);
        }
        item.signedData = SignExtend(item.unsignedData, size);
        m_next += 1 + size;
        return HidItemRead::Item;
    }
}

}  // namespace varlok::device
