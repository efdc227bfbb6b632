#include "service/propertysnapshot.h"

#include <algorithm>
#include <array>
#include <string>

#include "lighting/lightingsettings.h"
#include "lighting/rgbtext.h"
#include "settings/dpitable.h"

namespace varlok::service {

namespace {

using lighting::LightingSettings;
using platform::BusValue;
using settings::SettingsRecord;

using Reader = BusValue (*)(const SnapshotSources&);

struct PropertyRow {
    std::string_view name;
    Reader read;
};

std::uint8_t RecordByte(const SnapshotSources& sources, std::size_t offset) {
    return sources.mirror.settingsRecord.Get(offset);
}

lighting::Rgb RecordColour(const SnapshotSources& sources, std::size_t offset) {
    return {RecordByte(sources, offset), RecordByte(sources, offset + 1),
            RecordByte(sources, offset + 2)};
}

BusValue ColourText(const SnapshotSources& sources, std::size_t offset) {
    return BusValue::String(lighting::RgbText(RecordColour(sources, offset)));
}

BusValue StageDpis(const SnapshotSources& sources) {
    std::vector<BusValue> dpis;
    for (unsigned stage = 1; stage <= SettingsRecord::kDpiStageCount; ++stage) {
        const int position =
            settings::DpiPositionOfCode(RecordByte(sources, SettingsRecord::DpiStageOffset(stage)));
        dpis.push_back(
            BusValue::UInt16(static_cast<std::uint16_t>(settings::DpiOfPosition(position))));
    }
    return BusValue::Array("q", std::move(dpis));
}

BusValue StageColours(const SnapshotSources& sources) {
    std::vector<BusValue> colours;
    for (unsigned stage = 1; stage <= SettingsRecord::kDpiStageCount; ++stage) {
        colours.push_back(ColourText(sources, SettingsRecord::DpiColourOffset(stage)));
    }
    return BusValue::Array("s", std::move(colours));
}

BusValue CurrentStage(const SnapshotSources& sources) {
    const std::uint8_t current = RecordByte(sources, SettingsRecord::kCurrentDpiStage);
    return BusValue::Byte(current < SettingsRecord::kDpiStageCount ? current + 1 : 0);
}

BusValue ReportRate(const SnapshotSources& sources) {
    const std::uint8_t index = RecordByte(sources, SettingsRecord::kReportRate);
    return BusValue::UInt16(index < settings::kReportRates.size()
                                ? static_cast<std::uint16_t>(settings::kReportRates[index])
                                : 0);
}

BusValue EffectName(const SnapshotSources& sources) {
    const std::uint8_t mode = RecordByte(sources, LightingSettings::kMode);
    return BusValue::String(mode < lighting::kModeCount ? std::string(lighting::kModeNames[mode])
                                                        : std::string());
}

BusValue ProfileName(const SnapshotSources& sources, profiles::ProfileCategory category) {
    const int index =
        sources.window.ChosenProfile(category).value_or(sources.store.SelectedIndex(category));
    return BusValue::String(sources.store.Name(category, index));
}

constexpr std::array kProperties{
    PropertyRow{"Connected",
                [](const SnapshotSources& s) { return BusValue::Boolean(s.link.IsConnected()); }},
    PropertyRow{"Simulated",
                [](const SnapshotSources& s) { return BusValue::Boolean(s.window.IsSimulated()); }},
    PropertyRow{"Sensor",
                [](const SnapshotSources& s) {
                    return BusValue::UInt16(s.mirror.deviceInfo.SensorCode());
                }},
    PropertyRow{"OnboardProfile",
                [](const SnapshotSources& s) {
                    return BusValue::Byte(s.mirror.settingsRecord.ActiveProfile());
                }},
    PropertyRow{"DpiStage", &CurrentStage},
    PropertyRow{"Dpi", &StageDpis},
    PropertyRow{"StageColours", &StageColours},
    PropertyRow{"ReportRate", &ReportRate},
    PropertyRow{"LightingEffect", &EffectName},
    PropertyRow{"LightingBrightness",
                [](const SnapshotSources& s) {
                    return BusValue::Byte(RecordByte(s, LightingSettings::kBrightness));
                }},
    PropertyRow{"LightingSpeed",
                [](const SnapshotSources& s) {
                    return BusValue::Byte(RecordByte(s, LightingSettings::kSpeed));
                }},
    PropertyRow{"LightingDirection",
                [](const SnapshotSources& s) {
                    return BusValue::String(
                        RecordByte(s, LightingSettings::kDirection) != 0 ? "left" : "right");
                }},
    PropertyRow{"LightingSevenColours",
                [](const SnapshotSources& s) {
                    return BusValue::Boolean(RecordByte(s, LightingSettings::kSevenColour) != 0);
                }},
    PropertyRow{"LightingColour",
                [](const SnapshotSources& s) { return ColourText(s, LightingSettings::kColour); }},
    PropertyRow{
        "WheelColour",
        [](const SnapshotSources& s) { return ColourText(s, LightingSettings::kWheelColour); }},
    PropertyRow{
        "LogoColour",
        [](const SnapshotSources& s) { return ColourText(s, LightingSettings::kLogoColour); }},
    PropertyRow{
        "DeviceProfile",
        [](const SnapshotSources& s) { return ProfileName(s, profiles::ProfileCategory::Device); }},
    PropertyRow{"LightingProfile",
                [](const SnapshotSources& s) {
                    return ProfileName(s, profiles::ProfileCategory::Lighting);
                }},
    PropertyRow{
        "KeyProfile",
        [](const SnapshotSources& s) { return ProfileName(s, profiles::ProfileCategory::Key); }},
    PropertyRow{
        "ForegroundProgram",
        [](const SnapshotSources& s) { return BusValue::String(s.window.ForegroundProgram()); }},
};

}  // namespace

platform::BusProperties TakeSnapshot(const SnapshotSources& sources) {
    platform::BusProperties properties;
    for (const PropertyRow& row : kProperties) {
        properties.emplace(row.name, row.read(sources));
    }
    return properties;
}

platform::BusProperties ChangedProperties(const platform::BusProperties& before,
                                          const platform::BusProperties& after) {
    platform::BusProperties changed;
    for (const auto& [name, value] : after) {
        const auto old = before.find(name);
        if (old == before.end() || !(old->second == value)) {
            changed.emplace(name, value);
        }
    }
    return changed;
}

std::vector<std::string_view> PropertyNames() {
    std::vector<std::string_view> names;
    for (const PropertyRow& row : kProperties) {
        names.push_back(row.name);
    }
    return names;
}

}  // namespace varlok::service
