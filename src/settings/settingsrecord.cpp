#include "settings/settingsrecord.h"

#include <algorithm>

namespace varlok::settings {

SettingsRecord& SettingsRecord::operator=(const SettingsRecord& other) {
    if (this != &other) {
        Assign(other.Snapshot());
    }
    return *this;
}

std::uint8_t SettingsRecord::Get(std::size_t offset) const {
    return offset < kSize ? m_bytes[offset].load(std::memory_order_relaxed) : 0;
}

void SettingsRecord::Set(std::size_t offset, std::uint8_t value) {
    if (offset < kSize) {
        m_bytes[offset].store(value, std::memory_order_relaxed);
    }
}

void SettingsRecord::Assign(std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min(bytes.size(), kSize);
    for (std::size_t i = 0; i < count; ++i) {
        Set(i, bytes[i]);
    }
}

SettingsRecord::Bytes SettingsRecord::Snapshot() const {
    Bytes bytes{};
    CopyTo(bytes);
    return bytes;
}

void SettingsRecord::CopyTo(std::span<std::uint8_t> destination) const {
    const std::size_t count = std::min(destination.size(), kSize);
    for (std::size_t i = 0; i < count; ++i) {
        destination[i] = Get(i);
    }
}

}  // namespace varlok::settings
