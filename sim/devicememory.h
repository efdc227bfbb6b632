#pragma once

// The bytes the mouse keeps, laid out exactly as the configuration commands
// address them, with their factory contents. Not thread-safe: VirtualMouse
// guards it with its own lock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"

namespace varlok::sim {

inline constexpr std::size_t kRecordSize = device::kRecordStride;
inline constexpr std::size_t kRecordCount = device::kOnboardProfileCount;
inline constexpr std::size_t kSettingsAreaSize = kRecordSize * kRecordCount;
// Byte 0 of the settings area (and of record 0): the active onboard profile.
inline constexpr std::size_t kActiveProfileByte = 0;
// Settings offsets below this are the record in force (see ReadSettings).
inline constexpr std::size_t kRecordInForceSize = device::kExchangedRecordSize;

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
using MacroMemoryBytes = std::array<std::uint8_t, kMacroMemoryLimit>;

// What the mouse keeps while it is unplugged: the memory that its write
// commands change. The information block and the factory key map are fixed
// at the factory, and a lighting frame is shown, not kept.
struct StoredMemory {
    SettingsAreaBytes settings{};
    KeyMemoryBytes keyMemory{};
    // The whole macro memory the information block could ever state; the
    // commands reach as much of it as DeviceInfo byte 6 says.
    MacroMemoryBytes macroMemory{};
    CursorTableBytes cursorTable{};
    friend bool operator==(const StoredMemory&, const StoredMemory&) = default;
};

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
    [[nodiscard]] static StoredMemory FactoryStoredMemory();

    // The addressable bytes of a region. The macro table's size follows the
    // capacity that DeviceInfo byte 6 states.
    [[nodiscard]] std::span<std::uint8_t> Region(MemoryRegion region);
    [[nodiscard]] std::span<const std::uint8_t> Region(MemoryRegion region) const;

    // The settings commands. Offsets 0-55 are the record in force: byte 0
    // reads the active onboard profile, bytes 1-55 are those of the active
    // profile's record (which lies at 64 x its index as well). Other offsets
    // address the area as stored. Only a 1-byte write at offset 0
    // switches profile; a longer write there leaves byte 0 alone, so that a
    // host that sends its whole record never switches by the way. False,
    // with nothing read or changed, when the range leaves the area, a switch
    // names no profile (above 4), or the range needs the record in force
    // while byte 0 names no profile.
    [[nodiscard]] bool ReadSettings(std::size_t offset, std::span<std::uint8_t> out) const;
    [[nodiscard]] bool WriteSettings(std::size_t offset, std::span<const std::uint8_t> bytes);

    // Settings area and key blocks back to factory contents; everything else stays.
    void RestoreFactorySettings();

    [[nodiscard]] const StoredMemory& Stored() const { return m_stored; }
    void Restore(const StoredMemory& stored) { m_stored = stored; }

    // Copies a whole region in; bytes beyond the region are ignored, a
    // shorter source leaves the rest of the region as it was.
    void Store(MemoryRegion region, std::span<const std::uint8_t> bytes);

private:
    // Where a settings offset is kept in the area; none for the record in
    // force while byte 0 names no profile.
    [[nodiscard]] std::optional<std::size_t> SettingsAddress(std::size_t offset) const;
    // Whether every offset of the range is kept somewhere.
    [[nodiscard]] bool SettingsReachable(std::size_t offset, std::size_t count) const;

    DeviceInfoBytes m_deviceInfo = DefaultDeviceInfo();
    FactoryKeyMapBytes m_factoryKeyMap = DefaultFactoryKeyMap();
    StoredMemory m_stored = FactoryStoredMemory();
    LightingFrameBytes m_lightingFrame{};
};

}  // namespace varlok::sim
