#include "sim/devicememory.h"

#include <algorithm>

namespace varlok::sim {

namespace {

using device::DeviceInfo;

// Information bytes that hosts keep without interpreting them.
constexpr std::size_t kInfoProductId = 0;        // 16-bit little-endian
constexpr std::size_t kInfoFirmwareVersion = 2;  // 16-bit little-endian

// Record layout of the settings area (the same as the host's settings record).
constexpr std::size_t kLightingMode = 1;
constexpr std::size_t kLightingBrightness = 2;
constexpr std::size_t kLightingSpeed = 3;
constexpr std::size_t kLightingDirection = 4;
constexpr std::size_t kLightingSevenColour = 5;
constexpr std::size_t kLightingColour = 6;
constexpr std::size_t kReportRate = 14;
constexpr std::size_t kCurrentDpiStage = 19;
constexpr std::size_t kStageColours = 23;
constexpr std::size_t kWheelColour = 44;
constexpr std::size_t kLogoColour = 47;
// Record bytes of DPI stages 1..7; stage 5 follows the current-stage byte.
constexpr std::array<std::size_t, 7> kDpiStageBytes = {15, 16, 17, 18, 20, 21, 22};
// Factory stages as DPI slider positions: 500, 1000, 2000, 3000, 4000, 1500, 2500 DPI.
constexpr std::array<std::uint8_t, 7> kFactoryDpiCodes = {1, 3, 7, 11, 15, 5, 9};
constexpr std::array<std::array<std::uint8_t, 3>, 7> kFactoryStageColours = {{
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {255, 255, 0},
    {0, 255, 255},
    {255, 0, 255},
    {255, 255, 255},
}};

// Factory functions of the seven keys: left, middle, right, forward, back,
// DPI cycle, DPI up.
constexpr std::array<std::array<std::uint8_t, kKeyEntrySize>, 7> kFactoryKeys = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x03, 0x00},
    {0x13, 0x01, 0x00},
}};
// Bytes 510 and 511 of a key table carry no key.
constexpr std::size_t kKeyTableUsed = 510;

template <std::size_t N>
void PutLittleEndian16(std::array<std::uint8_t, N>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

DeviceInfoBytes DeviceMemory::DefaultDeviceInfo() {
    DeviceInfoBytes info{};
    PutLittleEndian16(info, kInfoProductId, device::kMouseProductId);
    PutLittleEndian16(info, kInfoFirmwareVersion, 0x0100);
    info[DeviceInfo::kMacroUnitsIndex] = 32;  // 4096 bytes of macro memory
    PutLittleEndian16(info, DeviceInfo::kSensorCodeIndex, 0x3360);
    info[DeviceInfo::kDpiStepIndex] = 100;
    info[DeviceInfo::kHighestDpiPositionIndex] = 15;
    PutLittleEndian16(info, DeviceInfo::kBaseDpiIndex, 100);
    return info;
}

SettingsAreaBytes DeviceMemory::FactorySettingsArea() {
    SettingsAreaBytes area{};
    for (std::size_t r = 0; r < kRecordCount; ++r) {
        const std::size_t base = r * kRecordSize;
        // Each onboard profile starts on another effect so that a host that
        // reads the wrong record shows it.
        area[base + kLightingMode] = static_cast<std::uint8_t>(r);
        area[base + kLightingBrightness] = 4;
        area[base + kLightingSpeed] = 2;
        area[base + kLightingDirection] = 1;
        area[base + kLightingSevenColour] = 1;
        area[base + kLightingColour] = 255;
        area[base + kReportRate] = 3;
        for (std::size_t s = 0; s < kDpiStageBytes.size(); ++s) {
            area[base + kDpiStageBytes[s]] = kFactoryDpiCodes[s];
            std::copy(kFactoryStageColours[s].begin(), kFactoryStageColours[s].end(),
                      area.begin() + static_cast<std::ptrdiff_t>(base + kStageColours + 3 * s));
        }
        area[base + kCurrentDpiStage] = 1;
        area[base + kWheelColour + 2] = 255;
        std::fill_n(area.begin() + static_cast<std::ptrdiff_t>(base + kLogoColour), 3, 255);
    }
    area[kActiveProfileByte] = 0;
    return area;
}

FactoryKeyMapBytes DeviceMemory::DefaultFactoryKeyMap() {
    FactoryKeyMapBytes map{};
    std::fill_n(map.begin(), kKeyTableUsed, kUnusedKeyByte);
    for (std::size_t k = 0; k < kFactoryKeys.size(); ++k) {
        std::copy(kFactoryKeys[k].begin(), kFactoryKeys[k].end(),
                  map.begin() + static_cast<std::ptrdiff_t>(k * kKeyEntrySize));
    }
    return map;
}

KeyMemoryBytes DeviceMemory::FactoryKeyMemory() {
    // Every onboard profile's 126-byte block starts with the factory keys;
    // the memory past the last block reads as unused key entries.
    KeyMemoryBytes memory{};
    std::fill(memory.begin(), memory.end(), kUnusedKeyByte);
    const FactoryKeyMapBytes map = DefaultFactoryKeyMap();
    for (std::size_t i = 0; i < kKeyBlockCount; ++i) {
        std::copy_n(map.begin(), kKeyBlockStep,
                    memory.begin() + static_cast<std::ptrdiff_t>(i * kKeyBlockStep));
    }
    return memory;
}

StoredMemory DeviceMemory::FactoryStoredMemory() {
    StoredMemory stored;
    stored.settings = FactorySettingsArea();
    stored.keyMemory = FactoryKeyMemory();
    return stored;
}

std::span<std::uint8_t> DeviceMemory::Region(MemoryRegion region) {
    switch (region) {
        case MemoryRegion::DeviceInfo:
            return m_deviceInfo;
        case MemoryRegion::Settings:
            return m_stored.settings;
        case MemoryRegion::FactoryKeyMap:
            return m_factoryKeyMap;
        case MemoryRegion::KeyBlocks:
            return m_stored.keyMemory;
        case MemoryRegion::LightingFrame:
            return m_lightingFrame;
        case MemoryRegion::MacroTable:
            return std::span<std::uint8_t>(m_stored.macroMemory)
                .first(std::size_t{m_deviceInfo[DeviceInfo::kMacroUnitsIndex]} *
                       DeviceInfo::kMacroUnitBytes);
        case MemoryRegion::CursorTable:
            return m_stored.cursorTable;
    }
    return {};
}

std::span<const std::uint8_t> DeviceMemory::Region(MemoryRegion region) const {
    return const_cast<DeviceMemory*>(this)->Region(region);
}

std::optional<std::size_t> DeviceMemory::SettingsAddress(std::size_t offset) const {
    if (offset == kActiveProfileByte || offset >= kRecordInForceSize) {
        return offset;
    }
    const std::size_t active = m_stored.settings[kActiveProfileByte];
    if (active >= kRecordCount) {
        return std::nullopt;
    }
    return active * kRecordSize + offset;
}

bool DeviceMemory::SettingsReachable(std::size_t offset, std::size_t count) const {
    if (offset + count > kSettingsAreaSize) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!SettingsAddress(offset + i)) {
            return false;
        }
    }
    return true;
}

bool DeviceMemory::ReadSettings(std::size_t offset, std::span<std::uint8_t> out) const {
    if (!SettingsReachable(offset, out.size())) {
        return false;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = m_stored.settings[*SettingsAddress(offset + i)];
    }
    return true;
}

bool DeviceMemory::WriteSettings(std::size_t offset, std::span<const std::uint8_t> bytes) {
    if (offset == kActiveProfileByte && bytes.size() == 1) {
        if (bytes[0] >= kRecordCount) {
            return false;
        }
        m_stored.settings[kActiveProfileByte] = bytes[0];
        return true;
    }
    if (!SettingsReachable(offset, bytes.size())) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (offset + i != kActiveProfileByte) {
            m_stored.settings[*SettingsAddress(offset + i)] = bytes[i];
        }
    }
    return true;
}

void DeviceMemory::RestoreFactorySettings() {
    m_stored.settings = FactorySettingsArea();
    m_stored.keyMemory = FactoryKeyMemory();
}

void DeviceMemory::Store(MemoryRegion region, std::span<const std::uint8_t> bytes) {
    const std::span<std::uint8_t> target = region == MemoryRegion::MacroTable
                                               ? std::span<std::uint8_t>(m_stored.macroMemory)
                                               : Region(region);
    std::copy_n(bytes.begin(), std::min(bytes.size(), target.size()), target.begin());
}

}  // namespace varlok::sim
