#include "lighting/lightingsettings.h"

#include <algorithm>

namespace varlok::lighting {

namespace {

// A pointer speed or wheel line count of 0 would switch the desktop setting
// off; files that hold one read as the smallest value instead.
std::uint8_t AtLeastOne(std::uint8_t value) {
    return value == 0 ? 1 : value;
}

}  // namespace

Rgb LightingSettings::ColourAt(std::size_t offset) const {
    return Rgb{m_record.Get(offset), m_record.Get(offset + 1), m_record.Get(offset + 2)};
}

void LightingSettings::SetColourAt(std::size_t offset, Rgb colour) {
    m_record.Set(offset, colour.red);
    m_record.Set(offset + 1, colour.green);
    m_record.Set(offset + 2, colour.blue);
}

LightingBody StageLightingBody(settings::MouseMirror& mirror) {
    settings::RecordTableEntry& staging = mirror.recordTable[0];
    mirror.settingsRecord.CopyTo(std::span(staging).first(settings::SettingsRecord::kSize));
    staging[kLightingPointerSpeedByte] = mirror.pointerSpeed.Get();
    staging[kLightingWheelLinesByte] = mirror.wheelLines.Get();
    return staging;
}

void TakeLightingBody(std::span<const std::uint8_t, kLightingBodySize> body,
                      settings::MouseMirror& mirror) {
    std::ranges::copy(body, mirror.recordTable[0].begin());
    mirror.settingsRecord.Assign(body.first(settings::SettingsRecord::kSize));
    mirror.pointerSpeed.Set(AtLeastOne(body[kLightingPointerSpeedByte]));
    mirror.wheelLines.Set(AtLeastOne(body[kLightingWheelLinesByte]));
}

}  // namespace varlok::lighting
