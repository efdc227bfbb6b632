#include "profiles/defaultprofiles.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <utility>

#include "settings/dpitable.h"

namespace varlok::profiles {

namespace {

using settings::SettingsRecord;

constexpr std::string_view kPerformance = "Performance";
constexpr std::string_view kLighting = "Lighting";
constexpr std::string_view kKeys = "Keys";

constexpr std::array<std::pair<std::string_view, lighting::LightingMode>, lighting::kModeCount>
    kModeNames{{
        {"Wave", lighting::LightingMode::Wave},
        {"Trail", lighting::LightingMode::Trail},
        {"Spectrum", lighting::LightingMode::Spectrum},
        {"GradientFlow", lighting::LightingMode::GradientFlow},
        {"Breathing", lighting::LightingMode::Breathing},
        {"StaticZones", lighting::LightingMode::StaticZones},
        {"Reactive", lighting::LightingMode::Reactive},
    }};

constexpr std::array<std::pair<std::string_view, lighting::MouseZone>, 3> kZoneNames{{
    {"Wheel", lighting::MouseZone::Wheel},
    {"Logo", lighting::MouseZone::Logo},
    {"Bottom", lighting::MouseZone::Bottom},
}};

// Button functions of the factory layout: mouse buttons and DPI actions.
constexpr std::array<std::pair<std::string_view, std::array<std::uint8_t, 3>>, 8> kKeyFunctions{{
    {"Left", {0x10, 0x01, 0x00}},
    {"Right", {0x10, 0x02, 0x00}},
    {"Middle", {0x10, 0x04, 0x00}},
    {"Back", {0x10, 0x08, 0x00}},
    {"Forward", {0x10, 0x10, 0x00}},
    {"DpiUp", {0x13, 0x01, 0x00}},
    {"DpiDown", {0x13, 0x02, 0x00}},
    {"DpiCycle", {0x13, 0x03, 0x00}},
}};

constexpr std::size_t kKeyEntries = settings::kKeyTableUsed / settings::kKeyEntrySize;

// Reads one definition key after the other and remembers the first problem.
class DefinitionReader {
public:
    explicit DefinitionReader(const platform::IniFile& file) : m_file(file) {}

    [[nodiscard]] bool Failed() const { return !m_error.empty(); }
    [[nodiscard]] const std::string& Error() const { return m_error; }

    std::optional<std::string> Text(std::string_view section, std::string_view key) {
        if (Failed()) {
            return std::nullopt;
        }
        std::optional<std::string> value = m_file.Find(section, key);
        if (!value || value->empty()) {
            Fail(section, key, "is missing");
            return std::nullopt;
        }
        return value;
    }

    std::optional<int> Number(std::string_view section, std::string_view key, int low, int high) {
        const auto text = Text(section, key);
        if (!text) {
            return std::nullopt;
        }
        int value = 0;
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
        if (error != std::errc() || end != text->data() + text->size() || value < low ||
            value > high) {
            Fail(section, key,
                 "must be a number from " + std::to_string(low) + " to " + std::to_string(high));
            return std::nullopt;
        }
        return value;
    }

    std::optional<lighting::Rgb> Colour(std::string_view section, std::string_view key) {
        const auto text = Text(section, key);
        if (!text) {
            return std::nullopt;
        }
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text->data(), text->data() + text->size(), value, 16);
        if (text->size() != 6 || error != std::errc() || end != text->data() + text->size()) {
            Fail(section, key, "must be a colour written RRGGBB");
            return std::nullopt;
        }
        return lighting::Rgb{static_cast<std::uint8_t>(value >> 16),
                             static_cast<std::uint8_t>(value >> 8),
                             static_cast<std::uint8_t>(value)};
    }

    template <typename Names>
    auto Choice(std::string_view section, std::string_view key, const Names& names)
        -> std::optional<typename Names::value_type::second_type> {
        const auto text = Text(section, key);
        if (!text) {
            return std::nullopt;
        }
        for (const auto& [name, value] : names) {
            if (name == *text) {
                return value;
            }
        }
        std::string choices;
        for (const auto& [name, value] : names) {
            choices += (choices.empty() ? "" : ", ") + std::string(name);
        }
        Fail(section, key, "must be one of " + choices);
        return std::nullopt;
    }

    std::optional<bool> YesNo(std::string_view section, std::string_view key) {
        constexpr std::array<std::pair<std::string_view, bool>, 2> kAnswers{
            {{"yes", true}, {"no", false}}};
        return Choice(section, key, kAnswers);
    }

    void Fail(std::string_view section, std::string_view key, const std::string& problem) {
        if (!Failed()) {
            m_error = "[" + std::string(section) + "] " + std::string(key) + " " + problem;
        }
    }

private:
    const platform::IniFile& m_file;
    std::string m_error;
};

void PutColour(SettingsRecord::Bytes& record, std::size_t offset, lighting::Rgb colour) {
    record[offset] = colour.red;
    record[offset + 1] = colour.green;
    record[offset + 2] = colour.blue;
}

void ReadPerformance(DefinitionReader& reader, DefaultProfiles& profiles) {
    SettingsRecord::Bytes& record = profiles.record;
    const auto hertz = reader.Number(kPerformance, "ReportRate", settings::kReportRates.front(),
                                     settings::kReportRates.back());
    const auto rate = hertz ? settings::ReportRateIndex(*hertz) : std::nullopt;
    if (hertz && !rate) {
        reader.Fail(kPerformance, "ReportRate", "must be 125, 250, 500 or 1000");
    }
    record[SettingsRecord::kReportRate] = rate.value_or(0);
    for (unsigned stage = 1; stage <= SettingsRecord::kDpiStageCount; ++stage) {
        const std::string key = "Stage" + std::to_string(stage);
        const auto dpi = reader.Number(kPerformance, key, settings::DpiOfPosition(0),
                                       settings::DpiOfPosition(settings::kHighestDpiPosition));
        const auto position = dpi ? settings::DpiPositionOfValue(*dpi) : std::nullopt;
        if (dpi && !position) {
            reader.Fail(kPerformance, key, "must be a multiple of 250");
        }
        record[SettingsRecord::DpiStageOffset(stage)] =
            settings::DpiCodeOfPosition(position.value_or(0));
        const auto colour = reader.Colour(kPerformance, key + "Colour");
        PutColour(record, SettingsRecord::DpiColourOffset(stage), colour.value_or(lighting::Rgb{}));
    }
    const auto current =
        reader.Number(kPerformance, "CurrentStage", 1, SettingsRecord::kDpiStageCount);
    record[SettingsRecord::kCurrentDpiStage] = static_cast<std::uint8_t>(current.value_or(1) - 1);
    profiles.pointerSpeed =
        static_cast<std::uint8_t>(reader.Number(kPerformance, "PointerSpeed", 1, 20).value_or(10));
    profiles.wheelLines =
        static_cast<std::uint8_t>(reader.Number(kPerformance, "WheelLines", 1, 100).value_or(3));
}

void ReadLighting(DefinitionReader& reader, DefaultProfiles& profiles) {
    settings::SettingsRecord record(profiles.record);
    lighting::LightingSettings light(record);
    light.SetMode(static_cast<std::uint8_t>(
        reader.Choice(kLighting, "Mode", kModeNames).value_or(lighting::LightingMode::Wave)));
    // People count brightness and speed from 1; the record counts brightness
    // from 0 and speed from the fastest.
    light.SetBrightness(static_cast<std::uint8_t>(
        reader.Number(kLighting, "Brightness", 1, lighting::kBrightnessLevels).value_or(1) - 1));
    light.SetSpeed(static_cast<std::uint8_t>(
        lighting::kSpeedLevels -
        reader.Number(kLighting, "Speed", 1, lighting::kSpeedLevels).value_or(1)));
    constexpr std::array<std::pair<std::string_view, bool>, 2> kDirections{
        {{"Left", true}, {"Right", false}}};
    light.SetDirectionLeft(reader.Choice(kLighting, "Direction", kDirections).value_or(false));
    light.SetSevenColour(reader.YesNo(kLighting, "SevenColours").value_or(false) ? 1 : 0);
    light.SetColour(reader.Colour(kLighting, "Colour").value_or(lighting::Rgb{}));
    light.SetWheelColour(reader.Colour(kLighting, "WheelColour").value_or(lighting::Rgb{}));
    light.SetLogoColour(reader.Colour(kLighting, "LogoColour").value_or(lighting::Rgb{}));
    profiles.zoneSlot = static_cast<std::uint8_t>(
        reader.Choice(kLighting, "Zone", kZoneNames).value_or(lighting::MouseZone::Bottom));
    profiles.record = record.Snapshot();
}

void ReadKeys(DefinitionReader& reader, const platform::IniFile& definition,
              DefaultProfiles& profiles) {
    settings::KeySlot& keys = profiles.keys;
    keys.fill(0);
    std::fill_n(keys.begin(), settings::kKeyTableUsed, settings::kUnusedKeyByte);
    for (const std::string& key : definition.Keys(kKeys)) {
        std::size_t index = 0;
        const auto [end, error] =
            key.size() > 3 && key.starts_with("Key")
                ? std::from_chars(key.data() + 3, key.data() + key.size(), index)
                : std::from_chars_result{key.data(), std::errc::invalid_argument};
        if (error != std::errc() || end != key.data() + key.size() || index >= kKeyEntries) {
            reader.Fail(kKeys, key,
                        "is not a key: name them Key0 to Key" + std::to_string(kKeyEntries - 1));
            return;
        }
        const auto function = reader.Choice(kKeys, key, kKeyFunctions);
        if (!function) {
            return;
        }
        std::ranges::copy(
            *function, keys.begin() + static_cast<std::ptrdiff_t>(index * settings::kKeyEntrySize));
    }
}

}  // namespace

DefaultProfilesReading ReadDefaultProfiles(const platform::IniFile& definition) {
    DefinitionReader reader(definition);
    DefaultProfiles profiles;
    ReadPerformance(reader, profiles);
    ReadLighting(reader, profiles);
    ReadKeys(reader, definition, profiles);
    if (reader.Failed()) {
        return {std::nullopt, reader.Error()};
    }
    return {profiles, {}};
}

DeviceBody DefaultDeviceBody(const DefaultProfiles& profiles) {
    DeviceBody body{};
    std::ranges::copy(profiles.keys, body.begin());
    std::ranges::copy(profiles.record, body.begin() + kDeviceRecordOffset);
    body[kDeviceWheelLinesByte] = profiles.wheelLines;
    body[kDeviceZoneSlotByte] = profiles.zoneSlot;
    return body;
}

lighting::LightingBody DefaultLightingBody(const DefaultProfiles& profiles) {
    lighting::LightingBody body{};
    std::ranges::copy(profiles.record, body.begin());
    body[lighting::kLightingPointerSpeedByte] = profiles.pointerSpeed;
    body[lighting::kLightingWheelLinesByte] = profiles.wheelLines;
    return body;
}

settings::KeySlot DefaultKeyBody(const DefaultProfiles& profiles) {
    return profiles.keys;
}

bool WriteDefaultProfiles(const DefaultProfiles& profiles, const std::filesystem::path& folder) {
    const auto file = [&folder](ProfileCategory category) {
        return folder / CategoryInfo(category).defaultFile;
    };
    return WriteProfileFile(file(ProfileCategory::Device), DefaultDeviceBody(profiles),
                            ProfileStore::kTypeCode) &&
           WriteProfileFile(file(ProfileCategory::Lighting), DefaultLightingBody(profiles),
                            ProfileStore::kTypeCode) &&
           WriteProfileFile(file(ProfileCategory::Key), DefaultKeyBody(profiles),
                            ProfileStore::kTypeCode);
}

}  // namespace varlok::profiles
