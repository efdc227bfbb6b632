#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"
#include "settings/settingsdirty.h"
#include "settings/settingsrecord.h"
#include "settings/sharedbyte.h"

namespace varlok::settings {

// Key tables as the device stores them: 512 bytes, three bytes per button
// (the key functions give them meaning).
inline constexpr std::size_t kKeyTableSize = device::kKeyTableSize;
using KeySlot = std::array<std::uint8_t, kKeyTableSize>;
using FactoryKeyMap = std::array<std::uint8_t, kKeyTableSize>;

inline constexpr std::size_t kOnboardProfileCount = SettingsRecord::kOnboardProfileCount;

// One profile record of the device's settings area: records lie 64 bytes
// apart, of which the host exchanges the first 56; the first 50 have the
// SettingsRecord layout. Entry 0 is also the staging area of the profile
// files, which keep the wheel lines and the zone selector in bytes 50-51.
inline constexpr std::size_t kRecordSize = device::kRecordStride;
inline constexpr std::size_t kExchangedRecordSize = device::kExchangedRecordSize;
inline constexpr std::size_t kZoneSlotByte = 51;
using RecordTableEntry = std::array<std::uint8_t, kRecordSize>;
using RecordTable = std::array<RecordTableEntry, kOnboardProfileCount>;

static_assert(kExchangedRecordSize >= SettingsRecord::kSize);

// Key tables hold three-byte functions (type, two parameters); bytes 510 and
// 511 carry no key. An entry that no key uses is filled with kUnusedKeyByte.
inline constexpr std::size_t kKeyEntrySize = 3;
inline constexpr std::size_t kKeyTableUsed = 510;
inline constexpr std::uint8_t kUnusedKeyByte = 0x05;

// The factory key map the host assumes until it has read the mouse's:
// left, middle, right, forward and back buttons, then DPI cycle, the rest
// unused.
[[nodiscard]] FactoryKeyMap BuiltInFactoryKeyMap();
static_assert(kZoneSlotByte < kExchangedRecordSize);

// The host's mirror of the mouse's memory, and the host-side settings that
// travel with it in the profile files. One lives for the whole run, owned by
// the device session. The device's part starts zeroed (the key defaults are
// put in by their owner, the device's contents by ConfigurationExchange).
//
// Thread-safety: owned by the UI thread. Other threads that change it hand
// the change to the UI thread; only the SettingsRecord's bytes, the dirty
// flag and the SharedByte settings may be used from any thread.
struct MouseMirror {
    // The desktop's pointer speed (1-20, 10 the desktop's default) and wheel
    // scroll lines as the program last set them; applied to the desktop on
    // the DesktopApplier's thread.
    static constexpr std::uint8_t kInitialPointerSpeed = 10;
    static constexpr std::uint8_t kInitialWheelLines = 3;
    // The lighting zone the colour picker edits in the static-zones mode:
    // 0 wheel, 1 logo, 2 bottom.
    static constexpr std::uint8_t kInitialZoneSlot = 2;

    device::DeviceInfo deviceInfo;
    FactoryKeyMap factoryKeyMap = BuiltInFactoryKeyMap();
    std::array<KeySlot, kOnboardProfileCount> keySlots{};
    RecordTable recordTable{};
    SettingsRecord settingsRecord;
    SettingsDirty settingsDirty;
    // Marked (by the mouse's notification monitor) when the mouse reports
    // that it changed its record in force by itself: its profile or DPI
    // button. Until the re-read of that record takes the mark, the record
    // held here is no longer the mouse's, and a flush would write it over
    // the record the mouse moved to.
    SettingsDirty recordChangedOnDevice;
    SharedByte pointerSpeed{kInitialPointerSpeed};
    SharedByte wheelLines{kInitialWheelLines};
    SharedByte mouseZoneSlot{kInitialZoneSlot};
};

}  // namespace varlok::settings
