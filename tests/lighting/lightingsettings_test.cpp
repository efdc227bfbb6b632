#include "lighting/lightingsettings.h"

#include <gtest/gtest.h>

#include <thread>

namespace varlok::lighting {
namespace {

TEST(LightingSettings, FieldsAreTheRecordBytesTheDeviceReads) {
    settings::SettingsRecord record;
    LightingSettings light(record);
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Breathing));
    light.SetBrightness(3);
    light.SetSpeed(1);
    light.SetDirectionLeft(true);
    light.SetSevenColour(LightingSettings::kSevenColourFromModeList);
    light.SetColour({0x01, 0x99, 0xCB});
    light.SetPhase(2);
    light.SetWheelColour({10, 20, 30});
    light.SetLogoColour({40, 50, 60});
    settings::SettingsRecord::Bytes expected{};
    const std::array<std::uint8_t, 9> block{4, 3, 1, 1, 0xFF, 0x01, 0x99, 0xCB, 2};
    std::copy(block.begin(), block.end(), expected.begin() + 1);
    const std::array<std::uint8_t, 6> zones{10, 20, 30, 40, 50, 60};
    std::copy(zones.begin(), zones.end(), expected.begin() + 44);
    EXPECT_EQ(record.Snapshot(), expected);
    // Any value but 0 means seven colours.
    EXPECT_TRUE(light.SevenColour());
    light.SetSevenColour(0);
    EXPECT_FALSE(light.SevenColour());
    light.SetDirectionLeft(false);
    EXPECT_EQ(record.Get(4), 0);
}

TEST(LightingSettings, BrightnessLevelsScaleByTheTableAndDamagedLevelsByItsLastEntry) {
    const std::array<std::uint8_t, 5> levels{45, 97, 149, 201, 255};
    for (std::uint8_t level = 0; level < kBrightnessLevels; ++level) {
        EXPECT_EQ(BrightnessScale(level), levels[level]);
    }
    EXPECT_EQ(BrightnessScale(5), 120);
    EXPECT_EQ(BrightnessScale(14), 255);
    EXPECT_EQ(BrightnessScale(15), 255);
    EXPECT_EQ(BrightnessScale(255), 255);
}

TEST(LightingSettings, TheBodyTakesAndStagesRecordPointerSpeedAndWheelLines) {
    settings::MouseMirror mirror;
    LightingBody body{};
    for (std::size_t i = 0; i < body.size(); ++i) {
        body[i] = static_cast<std::uint8_t>(100 + i);
    }
    body[kLightingPointerSpeedByte] = 0;
    body[kLightingWheelLinesByte] = 0;
    TakeLightingBody(body, mirror);
    EXPECT_EQ(mirror.pointerSpeed.Get(), 1);
    EXPECT_EQ(mirror.wheelLines.Get(), 1);
    EXPECT_EQ(mirror.recordTable[0], body);

    mirror.settingsRecord.Set(1, 6);
    mirror.pointerSpeed.Set(18);
    mirror.wheelLines.Set(9);
    const LightingBody staged = StageLightingBody(mirror);
    EXPECT_EQ(staged[1], 6);
    EXPECT_EQ(staged[50], 18);
    EXPECT_EQ(staged[51], 9);
    // The bytes after them are carried as the staging area holds them.
    EXPECT_TRUE(std::equal(staged.begin() + 52, staged.end(), body.begin() + 52));
    EXPECT_EQ(mirror.recordTable[0], staged);
}

TEST(LightingSettings, TheWorkerReadsWhileTheUiThreadWritesWithoutALock) {
    // What the sanitizers watch: single bytes, whole, from two threads.
    settings::SettingsRecord record;
    LightingSettings light(record);
    std::thread worker([&record] {
        LightingSettings view(record);
        unsigned sum = 0;
        for (int i = 0; i < 20000; ++i) {
            sum += view.Mode() + view.Colour().red;
            view.SetPhase(static_cast<std::uint8_t>(i % 3));
        }
        EXPECT_LE(sum, 20000U * (6 + 255));
    });
    for (int i = 0; i < 20000; ++i) {
        light.SetMode(static_cast<std::uint8_t>(i % 7));
        light.SetColour({static_cast<std::uint8_t>(i), 0, 0});
    }
    worker.join();
    EXPECT_LT(light.Phase(), 3);
}

}  // namespace
}  // namespace varlok::lighting
