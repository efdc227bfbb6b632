#include "profiles/profilebody.h"

#include <algorithm>
#include <vector>

#include "lighting/lightingsettings.h"
#include "settings/keyblockwriter.h"

namespace varlok::profiles {

namespace {

// A lighting reset takes the default's record up to the bytes that hold the
// desktop's settings.
constexpr std::size_t kLightingResetBytes = settings::kExchangedRecordSize;

std::uint8_t AtLeastOne(int value) {
    return value <= 0 ? 1 : static_cast<std::uint8_t>(std::min(value, 255));
}

}  // namespace

void TakeProfileBody(ProfileCategory category, std::span<const std::uint8_t> body,
                     settings::MouseMirror& mirror, BodyUse use,
                     const PointerSpeedReader& desktopPointerSpeed) {
    std::vector<std::uint8_t> whole(CategoryInfo(category).bodyLength, 0);
    std::copy_n(body.begin(), std::min(body.size(), whole.size()), whole.begin());
    const std::span<const std::uint8_t> bytes(whole);
    settings::RecordTableEntry& staging = mirror.recordTable[0];
    switch (category) {
        case ProfileCategory::Device:
            std::ranges::copy(bytes.first(settings::kKeyTableSize), mirror.keySlots[0].begin());
            std::ranges::copy(bytes.subspan(kDeviceRecordOffset, settings::kRecordSize),
                              staging.begin());
            mirror.settingsRecord.Assign(staging);
            if (use == BodyUse::Reset) {
                mirror.mouseZoneSlot.Set(settings::MouseMirror::kInitialZoneSlot);
                break;
            }
            mirror.wheelLines.Set(AtLeastOne(bytes[kDeviceWheelLinesByte]));
            mirror.mouseZoneSlot.Set(bytes[kDeviceZoneSlotByte]);
            // A device profile keeps no pointer speed: the desktop's is taken.
            if (desktopPointerSpeed) {
                if (const std::optional<int> speed = desktopPointerSpeed()) {
                    mirror.pointerSpeed.Set(AtLeastOne(*speed));
                }
            }
            break;
        case ProfileCategory::Lighting:
            if (use == BodyUse::Reset) {
                std::ranges::copy(bytes.first(kLightingResetBytes), staging.begin());
                mirror.settingsRecord.Assign(staging);
                break;
            }
            lighting::TakeLightingBody(bytes.first<lighting::kLightingBodySize>(), mirror);
            break;
        case ProfileCategory::Key:
            std::ranges::copy(bytes.first(settings::kKeyTableSize), mirror.keySlots[0].begin());
            break;
    }
}

device::LinkResult SendKeyProfile(device::DeviceLink& link, settings::MouseMirror& mirror) {
    return settings::KeyBlockWriter::Write(link, 0, mirror);
}

BodySend SendProfileBody(device::DeviceLink& link, ProfileCategory category,
                         std::span<const std::uint8_t> body) {
    BodySend sent;
    const auto lock = link.LockIo();
    settings::MouseMirror live;
    TakeProfileBody(category, body, live, BodyUse::Load);
    if (category != ProfileCategory::Key) {
        live.settingsRecord.CopyTo(sent.recordBytes);
        sent.record = link.WriteSettings(sent.recordBytes, 0);
        if (sent.record != device::LinkResult::Success) {
            return sent;
        }
    }
    if (category != ProfileCategory::Lighting) {
        sent.keyBlock = SendKeyProfile(link, live);
        sent.keyBytesSent = live.keySlots[0].size();
    }
    return sent;
}

}  // namespace varlok::profiles
