#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "device/deviceidentity.h"
#include "device/devicelink.h"
#include "profiles/profilecategory.h"
#include "settings/mousemirror.h"

namespace varlok::profiles {

// The body of a device profile (.config): key table 0, then record table
// entry 0, whose bytes 50 and 51 hold the wheel lines and the zone selector.
inline constexpr std::size_t kDeviceBodySize = settings::kKeyTableSize + settings::kRecordSize;
inline constexpr std::size_t kDeviceRecordOffset = settings::kKeyTableSize;
inline constexpr std::size_t kDeviceWheelLinesByte = kDeviceRecordOffset + 50;
inline constexpr std::size_t kDeviceZoneSlotByte = kDeviceRecordOffset + 51;
using DeviceBody = std::array<std::uint8_t, kDeviceBodySize>;
static_assert(kDeviceBodySize == CategoryInfo(ProfileCategory::Device).bodyLength);

// How a body takes the place of the live settings.
enum class BodyUse {
    // A profile file chosen or applied: the whole body, the desktop settings
    // it keeps (a value of 0 read as 1), and for a device profile the
    // desktop's own pointer speed, which it does not keep.
    Load,
    // A list's default brought back: a device default with the zone
    // selector's start value, a lighting default up to the bytes that keep
    // the desktop settings; the reset sets the desktop settings itself.
    Reset,
};

// The desktop's pointer speed on the 1-20 scale, or std::nullopt when it
// cannot be read.
using PointerSpeedReader = std::function<std::optional<int>()>;

// Takes a profile body of the category into the mirror: key table 0 from a
// device or key profile; record table entry 0 and the record in force from a
// device or lighting profile. A body shorter than the category's is taken as
// if zeros followed. desktopPointerSpeed is asked only when a device profile
// is loaded. The one place a body's bytes find their places in the live
// settings. UI thread (the mirror's).
void TakeProfileBody(ProfileCategory category, std::span<const std::uint8_t> body,
                     settings::MouseMirror& mirror, BodyUse use,
                     const PointerSpeedReader& desktopPointerSpeed = {});

// Sends key table 0 as the mouse's block 0, as choosing or resetting a
// profile with keys does: only onboard profile 0's own block changes in the
// mouse, the other profiles' blocks its window covers go back as the mouse
// holds them. The first failure, or Success.
[[nodiscard]] device::LinkResult SendKeyProfile(device::DeviceLink& link,
                                                settings::MouseMirror& mirror);

// What SendProfileBody did. A step is std::nullopt when the category has
// none or an earlier step failed.
struct BodySend {
    std::optional<device::LinkResult> record;
    std::optional<device::LinkResult> keyBlock;
    // The record as written: the record proper followed by zeros.
    std::array<std::uint8_t, device::kExchangedRecordSize> recordBytes{};
    // How many bytes of key table 0 went out as block 0.
    std::size_t keyBytesSent = 0;
};

// Sends a profile body straight to the mouse, without the program's live
// settings, as choosing the profile sends it: a device or lighting body's
// record with WriteSettings (as a flush sends it), then a device or key
// body's key table 0 as block 0 (SendKeyProfile). The link's I/O lock is
// held throughout so that the writes go back to back; the first failure
// stops the sequence.
[[nodiscard]] BodySend SendProfileBody(device::DeviceLink& link, ProfileCategory category,
                                       std::span<const std::uint8_t> body);

}  // namespace varlok::profiles
