#include "settings/settingsrecord.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "settings/settingsdirty.h"

namespace varlok::settings {
namespace {

TEST(SettingsRecord, FieldsCoverTheFiftyBytesOnceEach) {
    std::array<int, SettingsRecord::kSize> uses{};
    const auto use = [&](std::size_t offset, std::size_t count) {
        for (std::size_t i = offset; i < offset + count; ++i) {
            ++uses.at(i);
        }
    };
    use(SettingsRecord::kActiveProfile, 1);
    use(SettingsRecord::kLightingBlock, SettingsRecord::kLightingBlockSize);
    use(SettingsRecord::kCarried, SettingsRecord::kCarriedSize);
    use(SettingsRecord::kReportRate, 1);
    use(SettingsRecord::kCurrentDpiStage, 1);
    for (unsigned stage = 1; stage <= 7; ++stage) {
        use(SettingsRecord::DpiStageOffset(stage), 1);
        use(SettingsRecord::DpiColourOffset(stage), SettingsRecord::kColourSize);
    }
    use(SettingsRecord::kWheelColour, SettingsRecord::kColourSize);
    use(SettingsRecord::kLogoColour, SettingsRecord::kColourSize);
    for (std::size_t offset = 0; offset < SettingsRecord::kSize; ++offset) {
        EXPECT_EQ(uses[offset], 1) << offset;
    }
    // Stage 5 comes after the current-stage byte.
    EXPECT_EQ(SettingsRecord::DpiStageOffset(4) + 2, SettingsRecord::DpiStageOffset(5));
    EXPECT_EQ(SettingsRecord::DpiStageOffset(8), SettingsRecord::kSize);
}

TEST(SettingsRecord, OffsetsPastTheRecordReadZeroAndWriteNothing) {
    SettingsRecord record;
    record.Set(SettingsRecord::DpiStageOffset(9), 0x55);
    record.Set(SettingsRecord::kSize, 0x55);
    EXPECT_EQ(record.Snapshot(), SettingsRecord::Bytes{});
    EXPECT_EQ(record.Get(SettingsRecord::kSize), 0);

    SettingsRecord::Bytes bytes{};
    bytes.fill(0x11);
    record.Assign(bytes);
    // A shorter source leaves the rest; a longer one is cut.
    const std::array<std::uint8_t, 3> shortSource{1, 2, 3};
    record.Assign(shortSource);
    EXPECT_EQ(record.Get(2), 3);
    EXPECT_EQ(record.Get(3), 0x11);
    std::array<std::uint8_t, 56> destination{};
    destination.fill(0xEE);
    record.CopyTo(destination);
    EXPECT_EQ(destination[49], 0x11);
    EXPECT_EQ(destination[50], 0xEE);

    const SettingsRecord copy = record;
    EXPECT_EQ(copy.Snapshot(), record.Snapshot());
}

TEST(SettingsRecord, BytesMayBeReadByAnotherThreadWhileTheyChange) {
    SettingsRecord record;
    std::atomic<bool> done{false};
    std::atomic<unsigned> observed{0};
    // What the lighting worker does while the UI thread changes the record.
    std::thread reader([&] {
        while (!done.load()) {
            observed += record.Get(SettingsRecord::kLightingBlock);
            observed += record.Snapshot()[SettingsRecord::kWheelColour];
        }
    });
    for (int i = 0; i < 10000; ++i) {
        record.Set(SettingsRecord::kLightingBlock, static_cast<std::uint8_t>(i));
        record.Set(SettingsRecord::kWheelColour, static_cast<std::uint8_t>(i >> 3));
    }
    done = true;
    reader.join();
    EXPECT_EQ(record.Get(SettingsRecord::kLightingBlock), static_cast<std::uint8_t>(9999));
}

TEST(SettingsDirty, TakeClearsOnceAndKeepsLaterMarks) {
    SettingsDirty dirty;
    EXPECT_FALSE(dirty.Take());
    dirty.Mark();
    dirty.Mark();
    EXPECT_TRUE(dirty.IsSet());
    EXPECT_TRUE(dirty.Take());
    EXPECT_FALSE(dirty.Take());
    dirty.Mark();
    EXPECT_TRUE(dirty.Take());
}

}  // namespace
}  // namespace varlok::settings
