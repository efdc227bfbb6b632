#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/deviceinfo.h"
#include "settings/settingsdirty.h"
#include "settings/settingsrecord.h"

namespace varlok::settings {

// Key tables as the device stores them: 512 bytes, three bytes per button
// (the key functions give them meaning).
inline constexpr std::size_t kKeyTableSize = 512;
using KeySlot = std::array<std::uint8_t, kKeyTableSize>;
using FactoryKeyMap = std::array<std::uint8_t, kKeyTableSize>;

inline constexpr std::size_t kOnboardProfileCount = SettingsRecord::kOnboardProfileCount;

// One profile record of the device's settings area: records lie 64 bytes
// apart, of which the host exchanges the first 56; the first 50 have the
// SettingsRecord layout. Entry 0 is also the staging area of the profile
// files, which keep the wheel lines and the zone selector in bytes 50-51.
inline constexpr std::size_t kRecordSize = 64;
inline constexpr std::size_t kExchangedRecordSize = 56;
inline constexpr std::size_t kZoneSlotByte = 51;
using RecordTableEntry = std::array<std::uint8_t, kRecordSize>;
using RecordTable = std::array<RecordTableEntry, kOnboardProfileCount>;

static_assert(kExchangedRecordSize >= SettingsRecord::kSize);
static_assert(kZoneSlotByte < kExchangedRecordSize);

// The host's mirror of the mouse's memory. One lives for the whole run,
// owned by the main window's device state. It starts zeroed; the lighting
// and key defaults are put in by their owners, the device's contents by
// ConfigurationExchange.
//
// Thread-safety: owned by the UI thread. Other threads that change it hand
// the change to the UI thread; only the SettingsRecord's bytes and the
// dirty flag may be read from any thread.
struct MouseMirror {
    device::DeviceInfo deviceInfo;
    FactoryKeyMap factoryKeyMap{};
    std::array<KeySlot, kOnboardProfileCount> keySlots{};
    RecordTable recordTable{};
    SettingsRecord settingsRecord;
    SettingsDirty settingsDirty;
};

}  // namespace varlok::settings
