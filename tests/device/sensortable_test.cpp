#include "device/sensortable.h"

#include <gtest/gtest.h>

#include <set>

#include "device/deviceinfo.h"

namespace varlok::device {
namespace {

TEST(SensorTableTest, EveryRowIsFoundByItsCode) {
    std::set<std::uint16_t> codes;
    for (const SensorInfo& row : SensorTable()) {
        EXPECT_TRUE(codes.insert(row.code).second) << "duplicate code " << row.code;
        const std::optional<SensorInfo> found = FindSensor(row.code);
        ASSERT_TRUE(found.has_value()) << row.code;
        EXPECT_EQ(*found, row);
    }
    EXPECT_EQ(codes.size(), 6U);
}

TEST(SensorTableTest, CodesGiveTheirBaseDpiAndLabels) {
    struct Expected {
        std::uint16_t code;
        std::uint16_t baseDpi;
        std::string_view minLabel;
        std::string_view maxLabel;
        int stages;
    };
    for (const Expected& e :
         {Expected{0x3325, 200, "200", "5000", 6}, Expected{0x3327, 200, "200", "6200", 6},
          Expected{0x3050, 250, "250", "4000", 7}, Expected{0x3330, 200, "50", "7200", 6},
          Expected{0x3360, 100, "100", "12000", 6}, Expected{0x3310, 50, "50", "5000", 6}}) {
        const std::optional<SensorInfo> row = FindSensor(e.code);
        ASSERT_TRUE(row.has_value()) << e.code;
        EXPECT_EQ(row->baseDpi, e.baseDpi) << e.code;
        EXPECT_EQ(row->minLabel, e.minLabel) << e.code;
        EXPECT_EQ(row->maxLabel, e.maxLabel) << e.code;
        EXPECT_EQ(row->stagesLabelled, e.stages) << e.code;
    }
    EXPECT_FALSE(FindSensor(0x0000).has_value());
    EXPECT_FALSE(FindSensor(0x3361).has_value());
    EXPECT_FALSE(FindSensor(0x2533).has_value());  // byte-swapped 0x3325
}

TEST(DeviceInfoTest, InterpretedBytesReadLittleEndian) {
    DeviceInfo info;
    info.Raw()[6] = 0x20;
    info.Raw()[9] = 0x60;
    info.Raw()[10] = 0x33;
    info.Raw()[11] = 100;
    info.Raw()[12] = 15;
    info.Raw()[13] = 0x2C;
    info.Raw()[14] = 0x01;
    EXPECT_EQ(info.MacroCapacityBytes(), 4096U);
    EXPECT_EQ(info.SensorCode(), 0x3360);
    EXPECT_EQ(info.DpiStep(), 100);
    EXPECT_EQ(info.HighestDpiPosition(), 15);
    EXPECT_EQ(info.BaseDpi(), 300);

    info.SetBaseDpi(FindSensor(info.SensorCode())->baseDpi);
    EXPECT_EQ(info.Raw()[13], 100);
    EXPECT_EQ(info.Raw()[14], 0);
    info.SetBaseDpi(0x1234);
    EXPECT_EQ(info.Raw()[13], 0x34);
    EXPECT_EQ(info.Raw()[14], 0x12);
    EXPECT_EQ(info.Raw()[12], 15);
    EXPECT_EQ(info.Raw()[15], 0);
}

}  // namespace
}  // namespace varlok::device
