#pragma once

// The bytes the mouse keeps, laid out exactly as the configuration commands
// address them, with their factory contents. Not thread-safe: VirtualMouse
// guards it with its own lock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"

namespace varlok::sim {

inline constexpr std::size_t kRecordSize = device::kRecordStride;
inline constexpr std::size_t kRecordCount = device::kOnboardProfileCount;
inline constexpr std::size_t kSettingsAreaSize = kRecordSize * kRecordCount;
// Byte 0 of the settings area (and of record 0): the active onboard profile.
inline constexpr std::size_t kActiveProfileByte = 0;

inline constexpr std::size_t kFactoryKeyMapSize = device::kKeyTableSize;
// Stored key blocks sit 126 bytes apart while each block command moves the
// host's block size (512 bytes for the mouse), so blocks overlap in memory.
inline constexpr std::size_t kKeyBlockStep = device::kKeyBlockStep;
inline constexpr std::size_t kKeyBlockSize = device::kKeyTableSize;
inline constexpr std::size_t kKeyBlockCount = device::kOnboardProfileCount;
inline constexpr std::size_t kKeyMemorySize = (kKeyBlockCount - 1) * kKeyBlockStep + kKeyBlockSize;
inline constexpr std::size_t kKeyEntrySize = 3;
inline constexpr std::uint8_t kUnusedKeyByte = 0x05;

inline constexpr std::size_t kLightingFrameSize = 66;  // 22 LEDs x R, G, B
// The largest macro capacity the information block can state.
inline constexpr std::size_t kMacroMemoryLimit = 255 * device::DeviceInfo::kMacroUnitBytes;
inline constexpr std::size_t kCursorTableSize = 3072;

using DeviceInfoBytes = device::DeviceInfo::Bytes;
using SettingsAreaBytes = std::array<std::uint8_t, kSettingsAreaSize>;
using FactoryKeyMapBytes = std::array<std::uint8_t, kFactoryKeyMapSize>;
using KeyMemoryBytes = std::array<std::uint8_t, kKeyMemorySize>;
using KeyBlockBytes = std::array<std::uint8_t, kKeyBlockSize>;
using LightingFrameBytes = std::array<std::uint8_t, kLightingFrameSize>;
using CursorTableBytes = std::array<std::uint8_t, kCursorTableSize>;

// What a command addresses; each region bounds offset + length of its commands.
enum class MemoryRegion {
    DeviceInfo,
    Settings,
    FactoryKeyMap,
    KeyBlocks,
    LightingFrame,
    MacroTable,
    CursorTable,
};

class DeviceMemory {
public:
    // Factory contents: the memory of a new mouse, and what RestoreDefaults
    // brings back for the settings area and the key blocks.
    [[nodiscard]] static DeviceInfoBytes DefaultDeviceInfo();
    [[nodiscard]] static SettingsAreaBytes FactorySettingsArea();
    [[nodiscard]] static FactoryKeyMapBytes DefaultFactoryKeyMap();
    [[nodiscard]] static KeyMemoryBytes FactoryKeyMemory();

    // The addressable bytes of a region. The macro table's size follows the
    // capacity that DeviceInfo byte 6 states.
    [[nodiscard]] std::span<std::uint8_t> Region(MemoryRegion region);
    [[nodiscard]] std::span<const std::uint8_t> Region(MemoryRegion region) const;

    // Settings area and key blocks back to factory contents; everything else stays.
    void RestoreFactorySettings();

    // Copies a whole region in; bytes beyond the region are ignored, a
    // shorter source leaves the rest of the region as it was.
    void Store(MemoryRegion region, std::span<const std::uint8_t> bytes);

private:
    DeviceInfoBytes m_deviceInfo = DefaultDeviceInfo();
    SettingsAreaBytes m_settings = FactorySettingsArea();
    FactoryKeyMapBytes m_factoryKeyMap = DefaultFactoryKeyMap();
    KeyMemoryBytes m_keyMemory = FactoryKeyMemory();
    LightingFrameBytes m_lightingFrame{};
    std::vector<std::uint8_t> m_macroMemory = std::vector<std::uint8_t>(kMacroMemoryLimit, 0);
    CursorTableBytes m_cursorTable{};
};

}  // namespace varlok::sim
