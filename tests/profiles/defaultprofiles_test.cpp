#include "profiles/defaultprofiles.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/tempfolder.h"
#include "settings/dpitable.h"

namespace varlok::profiles {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;
using settings::SettingsRecord;

const std::filesystem::path kDefinition = VARLOK_SOURCE_DIR "/data/defaultprofiles.ini";

DefaultProfiles Shipped() {
    const DefaultProfilesReading reading = ReadDefaultProfiles(platform::IniFile(kDefinition));
    EXPECT_TRUE(reading.profiles) << reading.error;
    return reading.profiles.value_or(DefaultProfiles{});
}

TEST(DefaultProfiles, TheShippedDefinitionIsSensible) {
    const DefaultProfiles profiles = Shipped();
    const SettingsRecord record(profiles.record);
    // DPI stages rise from 500 to 4000 in steps the sliders offer.
    int previous = 0;
    for (unsigned stage = 1; stage <= SettingsRecord::kDpiStageCount; ++stage) {
        const std::uint8_t code = record.Get(SettingsRecord::DpiStageOffset(stage));
        const int dpi = settings::DpiOfPosition(settings::DpiPositionOfCode(code));
        EXPECT_EQ(code, settings::DpiCodeOfPosition(settings::DpiPositionOfCode(code)));
        EXPECT_GT(dpi, previous) << stage;
        previous = dpi;
    }
    EXPECT_EQ(settings::DpiOfPosition(record.Get(SettingsRecord::DpiStageOffset(1))), 500);
    EXPECT_EQ(previous, 4000);
    EXPECT_LT(record.Get(SettingsRecord::kCurrentDpiStage), SettingsRecord::kDpiStageCount);
    EXPECT_EQ(settings::kReportRates[record.Get(SettingsRecord::kReportRate)], 1000);
    EXPECT_EQ(record.ActiveProfile(), 0);
    // An effect that shows the lighting at work, bright enough to see.
    const lighting::LightingSettings light(const_cast<SettingsRecord&>(record));
    EXPECT_LT(light.Mode(), lighting::kModeCount);
    EXPECT_GE(light.Brightness(), 2);
    EXPECT_LT(light.Brightness(), lighting::kBrightnessLevels);
    EXPECT_LT(light.Speed(), lighting::kSpeedLevels);
    EXPECT_EQ(profiles.pointerSpeed, 10);
    EXPECT_EQ(profiles.wheelLines, 3);
    EXPECT_EQ(profiles.zoneSlot, 2);
    // The buttons have the factory layout.
    EXPECT_EQ(profiles.keys, settings::BuiltInFactoryKeyMap());
}

TEST(DefaultProfiles, TheBuildMadeTheFilesFromTheDefinition) {
    const DefaultProfiles profiles = Shipped();
    const std::filesystem::path built = VARLOK_BUILD_DATA_DIR;
    EXPECT_EQ(ReadBytes(built / "msdevicedefault.config"),
              EncodeProfileFile(DefaultDeviceBody(profiles), 2));
    EXPECT_EQ(ReadBytes(built / "msdengdefault.led"),
              EncodeProfileFile(DefaultLightingBody(profiles), 2));
    EXPECT_EQ(ReadBytes(built / "mskeydefault.pro"),
              EncodeProfileFile(DefaultKeyBody(profiles), 2));

    // The device body is the key table, the record, the wheel lines and the
    // zone; the lighting body the record, the pointer speed and the lines.
    const DeviceBody device = DefaultDeviceBody(profiles);
    EXPECT_TRUE(std::equal(profiles.keys.begin(), profiles.keys.end(), device.begin()));
    EXPECT_TRUE(std::equal(profiles.record.begin(), profiles.record.end(), device.begin() + 512));
    EXPECT_EQ(device[562], 3);
    EXPECT_EQ(device[563], 2);
    EXPECT_EQ(DefaultLightingBody(profiles)[50], 10);
    EXPECT_EQ(DefaultLightingBody(profiles)[51], 3);
}

TEST(DefaultProfiles, AFaultyDefinitionIsRefusedNamingWhereTheFaultIs) {
    const std::string good = ReadBytes(kDefinition);
    const struct {
        std::string from;
        std::string to;
        std::string error;
    } faults[] = {
        {"Stage3=1000", "Stage3=1100", "[Performance] Stage3 must be a multiple of 250"},
        {"Stage3=1000", "Stage3=4250", "[Performance] Stage3 must be a number from 250 to 4000"},
        {"ReportRate=1000", "ReportRate=300",
         "[Performance] ReportRate must be 125, 250, 500 or 1000"},
        {"Stage1Colour=FF453A", "Stage1Colour=red",
         "[Performance] Stage1Colour must be a colour written RRGGBB"},
        {"Mode=Wave", "Mode=Rainbow",
         "[Lighting] Mode must be one of Wave, Trail, Spectrum, GradientFlow, Breathing, "
         "StaticZones, Reactive"},
        {"Brightness=4", "Brightness=", "[Lighting] Brightness is missing"},
        {"Key5=DpiCycle", "Key5=Jump",
         "[Keys] Key5 must be one of Left, Right, Middle, Back, Forward, DpiUp, DpiDown, DpiCycle"},
        {"Key5=DpiCycle", "Key170=DpiCycle",
         "[Keys] Key170 is not a key: name them Key0 to Key169"},
    };
    TempFolder folder;
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.to);
        std::string text = good;
        ASSERT_NE(text.find(fault.from), std::string::npos);
        text.replace(text.find(fault.from), fault.from.size(), fault.to);
        WriteBytes(folder / "defaults.ini", text);
        const DefaultProfilesReading reading =
            ReadDefaultProfiles(platform::IniFile(folder / "defaults.ini"));
        EXPECT_FALSE(reading.profiles);
        EXPECT_EQ(reading.error, fault.error);
    }
}

}  // namespace
}  // namespace varlok::profiles
