#pragma once

// Who the devices of the family are and how large the records they keep
// are: written here once for the program, the command-line tool, the
// virtual mouse and the benchmarks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varlok::device {

inline constexpr std::uint16_t kVendorId = 0x0C45;

// The three devices of the family. Only the mouse is ever configured; the
// keyboard and the mousepad get links that are never opened.
enum class DeviceType { Keyboard, Mouse, Mousepad };

struct DeviceIdentity {
    DeviceType type;
    std::uint16_t productId;
    std::string_view name;
    // The device type code of the profile file header.
    std::uint16_t profileTypeCode;
};

inline constexpr std::array kDeviceIdentities{
    DeviceIdentity{DeviceType::Keyboard, 0x6556, "keyboard", 1},
    DeviceIdentity{DeviceType::Mouse, 0x7643, "mouse", 2},
    DeviceIdentity{DeviceType::Mousepad, 0x5004, "mousepad", 3},
};

[[nodiscard]] constexpr const DeviceIdentity& IdentityOf(DeviceType type) {
    for (const DeviceIdentity& identity : kDeviceIdentities) {
        if (identity.type == type) {
            return identity;
        }
    }
    return kDeviceIdentities[1];
}

inline constexpr std::uint16_t kMouseProductId = IdentityOf(DeviceType::Mouse).productId;
inline constexpr std::uint16_t kKeyboardProductId = IdentityOf(DeviceType::Keyboard).productId;
inline constexpr std::uint16_t kMousepadProductId = IdentityOf(DeviceType::Mousepad).productId;

// The top-level collection the configuration reports travel through.
inline constexpr std::uint16_t kConfigurationUsagePage = 0xFF1C;
inline constexpr std::uint16_t kConfigurationUsage = 0x92;
// The consumer-control collection that reports the device's event codes.
inline constexpr std::uint16_t kNotificationUsagePage = 0x000C;
inline constexpr std::uint16_t kNotificationUsage = 0x0001;
// The USB interface of the mouse that carries both collections (interface 0
// carries its pointer reports). The program finds them by their usages; the
// udev rule, which cannot see usages, grants this interface alone.
inline constexpr unsigned kMouseConfigurationInterface = 1;

// Records of the mouse's memory, as the configuration commands address it.
// The settings area holds one record per onboard profile, kRecordStride
// bytes apart, of which the host exchanges the first kExchangedRecordSize;
// their first kSettingsRecordSize bytes are the settings record in force.
inline constexpr std::size_t kOnboardProfileCount = 5;
inline constexpr std::size_t kSettingsRecordSize = 50;
inline constexpr std::size_t kExchangedRecordSize = 56;
inline constexpr std::size_t kRecordStride = 64;
inline constexpr std::size_t kSettingsAreaSize = kRecordStride * kOnboardProfileCount;
// Key tables: 512 bytes of three-byte entries; the stored block of onboard
// profile i starts at i * kKeyBlockStep.
inline constexpr std::size_t kKeyTableSize = 512;
inline constexpr std::size_t kKeyBlockStep = 126;
inline constexpr std::size_t kDeviceInfoSize = 33;

static_assert(kSettingsRecordSize <= kExchangedRecordSize);
static_assert(kExchangedRecordSize <= kRecordStride);

}  // namespace varlok::device
