#include "device/hidusages.h"

#include <gtest/gtest.h>

#include "hidtestdata.h"

namespace varlok::device {
namespace {

using testing::Bytes;
using testing::LoadDescriptor;

HidReportDescriptor Parse(const std::vector<std::uint8_t>& bytes) {
    HidReportDescriptor descriptor;
    EXPECT_TRUE(descriptor.Parse(bytes).Ok());
    return descriptor;
}

std::vector<std::uint16_t> Usages(const HidTopLevelCollection& collection, std::uint16_t page,
                                  const std::vector<std::uint8_t>& report,
                                  HidStatus expected = HidStatus::Success) {
    std::vector<std::uint16_t> usages(MaxUsageListLength(collection, ReportKind::Input, page));
    std::size_t count = 0;
    EXPECT_EQ(GetUsages(collection, ReportKind::Input, page, report, usages, count), expected);
    usages.resize(std::min(count, usages.size()));
    return usages;
}

using UsageList = std::vector<std::uint16_t>;

TEST(HidUsagesTest, MouseButtonsAndRawAxes) {
    const HidReportDescriptor descriptor = Parse(LoadDescriptor("mouse-3button-wheel.hex"));
    const HidTopLevelCollection& mouse = descriptor.Collections()[0];
    const auto report = Bytes({0x00, 0xFD, 0xFF, 0x02, 0x81});  // padding bits set too

    EXPECT_EQ(MaxUsageListLength(mouse, ReportKind::Input, 0x09), 3u);
    EXPECT_EQ(Usages(mouse, 0x09, report), (UsageList{1, 3}));

    std::uint32_t raw = 0;
    ASSERT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x01, 0x30, report, raw), HidStatus::Success);
    EXPECT_EQ(raw, 0xFFu);  // raw bits, not sign-extended
    ASSERT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x01, 0x38, report, raw), HidStatus::Success);
    EXPECT_EQ(raw, 0x81u);

    // No physical range declared: scaling is refused as Windows refuses it.
    std::int32_t scaled = 7;
    EXPECT_EQ(GetScaledUsageValue(mouse, ReportKind::Input, 0x01, 0x30, report, scaled),
              HidStatus::BadLogPhyValues);
    EXPECT_EQ(scaled, 0);

    EXPECT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x01, 0x32, report, raw),
              HidStatus::UsageNotFound);
    EXPECT_EQ(GetUsageValue(mouse, ReportKind::Output, 0x01, 0x30, report, raw),
              HidStatus::UsageNotFound);
}

TEST(HidUsagesTest, ConsumerArraySelectsTheReportedCode) {
    const HidReportDescriptor descriptor = Parse(LoadDescriptor("keyboard-consumer.hex"));
    const HidTopLevelCollection& consumer = descriptor.Collections()[1];
    EXPECT_EQ(MaxUsageListLength(consumer, ReportKind::Input, 0x0C), 1u);
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0x01, 0x04})), (UsageList{0x0401}));
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0x03, 0x04})), (UsageList{0x0403}));
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0xE9, 0x00})), (UsageList{0x00E9}));
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0x00, 0x00})), UsageList{});
    // Above the logical maximum: the null state, nothing selected.
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0x00, 0x10})), UsageList{});

    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x01, 0x01, 0x04}), HidStatus::IncompatibleReportId),
              UsageList{});
    EXPECT_EQ(Usages(consumer, 0x09, Bytes({0x02, 0x01, 0x04}), HidStatus::UsageNotFound),
              UsageList{});
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x02, 0x01}), HidStatus::InvalidReportLength),
              UsageList{});
    EXPECT_EQ(Usages(consumer, 0x0C, {}, HidStatus::InvalidReportLength), UsageList{});
}

TEST(HidUsagesTest, KeyboardModifiersAndKeyArray) {
    const HidReportDescriptor descriptor = Parse(LoadDescriptor("keyboard-consumer.hex"));
    const HidTopLevelCollection& keyboard = descriptor.Collections()[0];
    EXPECT_EQ(MaxUsageListLength(keyboard, ReportKind::Input, 0x07), 8u + 6u);
    EXPECT_EQ(MaxUsageListLength(keyboard, ReportKind::Output, 0x08), 5u);
    EXPECT_EQ(MaxUsageListLength(keyboard, ReportKind::Input, 0), 14u);

    // Left Shift + Right Alt, keys 'a' and 'b', the reserved byte ignored.
    const auto report = Bytes({0x01, 0x42, 0xFF, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(Usages(keyboard, 0x07, report), (UsageList{0xE1, 0xE6, 0x04, 0x05}));

    std::vector<std::uint16_t> small(3);
    std::size_t count = 0;
    EXPECT_EQ(GetUsages(keyboard, ReportKind::Input, 0x07, report, small, count),
              HidStatus::BufferTooSmall);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(small, (UsageList{0xE1, 0xE6, 0x04}));
}

TEST(HidUsagesTest, ButtonPageSharedByTwoCaps) {
    const HidReportDescriptor descriptor = Parse(LoadDescriptor("mouse-8button-pan.hex"));
    const HidTopLevelCollection& mouse = descriptor.Collections()[0];
    EXPECT_EQ(MaxUsageListLength(mouse, ReportKind::Input, 0x09), 8u);
    // Buttons 2, 5 and 7; X = -2, Y = 300, wheel -1, pan +1.
    const auto report = Bytes({0x01, 0x52, 0xFE, 0xFF, 0x2C, 0x01, 0xFF, 0x01});
    EXPECT_EQ(Usages(mouse, 0x09, report), (UsageList{2, 5, 7}));
    std::uint32_t raw = 0;
    ASSERT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x01, 0x31, report, raw), HidStatus::Success);
    EXPECT_EQ(raw, 300u);
    ASSERT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x0C, 0x0238, report, raw),
              HidStatus::Success);
    EXPECT_EQ(raw, 1u);
    EXPECT_EQ(GetUsageValue(mouse, ReportKind::Input, 0x01, 0x0238, report, raw),
              HidStatus::UsageNotFound);
}

TEST(HidUsagesTest, ScaledValuesFollowThePhysicalRange) {
    const HidReportDescriptor descriptor =
        Parse(
            Bytes(
                {
                    0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x09, 0x30, 0x15, 0x00,
                    0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03,  // X 0..255 -> 0..1000
                    0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x09, 0x31, 0x15, 0x81,
                    0x25, 0x7F, 0x36, 0x0A, 0xFB, 0x46, 0xF6, 0x04,  // Y -127..127 -> -1270..1270
                    0x81, 0x02, 0x09, 0x39, 0x15, 0x01, 0x25, 0x08, 0x35, 0x00,
                    0x46, 0x3B, 0x01,                                // hat 1..8 -> 0..315, null
                    0x75, 0x04, 0x81, 0x42, 0x09, 0x32, 0x81, 0x02,  // same ranges, no null state
                    0xC0,
                }));
    const HidTopLevelCollection& joystick = descriptor.Collections()[0];
    const auto scaled = [&](std::uint16_t usage, const std::vector<std::uint8_t>& report,
                            HidStatus expected) {
        std::int32_t value = 12345;
        EXPECT_EQ(GetScaledUsageValue(joystick, ReportKind::Input, 0x01, usage, report, value),
                  expected);
        return value;
    };
    EXPECT_EQ(scaled(0x30, Bytes({0, 0xFF, 0, 0x00}), HidStatus::Success), 1000);
    EXPECT_EQ(scaled(0x30, Bytes({0, 0x80, 0, 0x00}), HidStatus::Success), 501);
    EXPECT_EQ(scaled(0x30, Bytes({0, 0x00, 0, 0x00}), HidStatus::Success), 0);
    EXPECT_EQ(scaled(0x31, Bytes({0, 0, 0x81, 0x00}), HidStatus::Success), -1270);
    EXPECT_EQ(scaled(0x31, Bytes({0, 0, 0x00, 0x00}), HidStatus::Success), 0);
    EXPECT_EQ(scaled(0x31, Bytes({0, 0, 0x7F, 0x00}), HidStatus::Success), 1270);
    // -128 lies below the logical minimum and Y has no null state.
    EXPECT_EQ(scaled(0x31, Bytes({0, 0, 0x80, 0x00}), HidStatus::ValueOutOfRange), 0);
    EXPECT_EQ(scaled(0x39, Bytes({0, 0, 0, 0x03}), HidStatus::Success), 90);
    EXPECT_EQ(scaled(0x39, Bytes({0, 0, 0, 0x00}), HidStatus::Null), 0);
    EXPECT_EQ(scaled(0x32, Bytes({0, 0, 0, 0x00}), HidStatus::ValueOutOfRange), 0);
    EXPECT_EQ(scaled(0x32, Bytes({0, 0, 0, 0x80}), HidStatus::Success), 315);

    std::uint32_t raw = 0;
    ASSERT_EQ(GetUsageValue(joystick, ReportKind::Input, 0x01, 0x39, Bytes({0, 0, 0, 0x00}), raw),
              HidStatus::Success);  // the raw value is always readable
    EXPECT_EQ(raw, 0u);
    EXPECT_EQ(GetUsageValue(joystick, ReportKind::Input, 0x01, 0x39, Bytes({0, 0, 0}), raw),
              HidStatus::InvalidReportLength);
}

TEST(HidUsagesTest, RangedValueCapsMapOneFieldPerUsage) {
    const HidReportDescriptor descriptor = Parse(Bytes({
        0x06,
        0x00,
        0xFF,
        0x09,
        0x01,
        0xA1,
        0x01,
        0x85,
        0x09,
        0x19,
        0x10,
        0x29,
        0x12,
        0x15,
        0x00,
        0x26,
        0xFF,
        0x0F,
        0x75,
        0x0C,
        0x95,
        0x04,
        0x81,
        0x02,  // usages 0x10..0x12 over
               // four 12-bit fields
        0xC0,
    }));
    const HidTopLevelCollection& collection = descriptor.Collections()[0];
    // Fields 0x123, 0x456, 0x789, 0xABC packed little-endian.
    const auto report = Bytes({0x09, 0x23, 0x61, 0x45, 0x89, 0xC7, 0xAB});
    const std::uint32_t expected[] = {0x123, 0x456, 0x789};
    for (std::uint16_t usage = 0x10; usage <= 0x12; ++usage) {
        std::uint32_t raw = 0;
        ASSERT_EQ(GetUsageValue(collection, ReportKind::Input, 0xFF00, usage, report, raw),
                  HidStatus::Success);
        EXPECT_EQ(raw, expected[usage - 0x10]);
    }
    std::uint32_t raw = 0;
    EXPECT_EQ(GetUsageValue(collection, ReportKind::Input, 0xFF00, 0x10, Bytes({0x08, 0, 0}), raw),
              HidStatus::IncompatibleReportId);
}

TEST(HidUsagesTest, ArrayEntriesMapToTheirOwnUsages) {
    const HidReportDescriptor descriptor = Parse(Bytes({
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x01, 0x25, 0x05, 0x75, 0x08, 0x95, 0x02, 0x09,
        0xB5, 0x19, 0xE9, 0x29, 0xEA, 0x0A, 0x23, 0x02, 0x0A, 0x24, 0x02, 0x81, 0x00, 0xC0,
    }));
    const HidTopLevelCollection& consumer = descriptor.Collections()[0];
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x00, 0x01, 0x03})), (UsageList{0xB5, 0xEA}));
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x00, 0x05, 0x00})), (UsageList{0x0224}));
    EXPECT_EQ(Usages(consumer, 0x0C, Bytes({0x00, 0x06, 0x04})), (UsageList{0x0223}));
}

}  // namespace
}  // namespace varlok::device
