#include "device/hidreportdescriptor.h"

#include <gtest/gtest.h>

#include <random>

#include "device/hidusages.h"
#include "hidtestdata.h"

namespace varlok::device {
namespace {

using testing::Bytes;
using testing::LoadDescriptor;

HidReportDescriptor ParseOk(const std::vector<std::uint8_t>& bytes) {
    HidReportDescriptor descriptor;
    const HidDescriptorResult result = descriptor.Parse(bytes);
    EXPECT_TRUE(result.Ok()) << DescribeDescriptorError(result.error) << " at " << result.offset;
    return descriptor;
}

TEST(HidReportDescriptorTest, ThreeButtonWheelMouse) {
    const auto bytes = LoadDescriptor("mouse-3button-wheel.hex");
    ASSERT_EQ(bytes.size(), 52u);
    const HidReportDescriptor descriptor = ParseOk(bytes);
    ASSERT_EQ(descriptor.Collections().size(), 1u);
    EXPECT_FALSE(descriptor.Numbered());
    const HidTopLevelCollection& mouse = descriptor.Collections()[0];
    EXPECT_EQ(mouse.usagePage, 0x01);
    EXPECT_EQ(mouse.usage, 0x02);

    const HidCaps& caps = mouse.caps;
    EXPECT_EQ(caps.usagePage, 0x01);
    EXPECT_EQ(caps.usage, 0x02);
    EXPECT_EQ(caps.inputReportByteLength, 5);  // id byte + 3 bits + 5 padding + 3 bytes
    EXPECT_EQ(caps.outputReportByteLength, 0);
    EXPECT_EQ(caps.featureReportByteLength, 0);
    EXPECT_EQ(caps.numberLinkCollectionNodes, 2);
    EXPECT_EQ(caps.numberInputButtonCaps, 1);
    EXPECT_EQ(caps.numberInputValueCaps, 3);
    EXPECT_EQ(caps.numberInputDataIndices, 6);
    EXPECT_EQ(caps.numberOutputButtonCaps + caps.numberOutputValueCaps, 0);
    ASSERT_EQ(mouse.ReportIds(ReportKind::Input).size(), 1u);
    EXPECT_EQ(mouse.ReportIds(ReportKind::Input)[0], 0);

    const HidButtonCaps& buttons = mouse.ButtonCaps(ReportKind::Input)[0];
    EXPECT_EQ(buttons.usagePage, 0x09);
    EXPECT_TRUE(buttons.isRange);
    EXPECT_FALSE(buttons.isArray);
    EXPECT_EQ(buttons.usageMin, 1);
    EXPECT_EQ(buttons.usageMax, 3);
    EXPECT_EQ(buttons.reportId, 0);
    EXPECT_EQ(buttons.linkCollection, 1);  // the Physical collection
    EXPECT_EQ(buttons.bitOffset, 0u);
    EXPECT_EQ(buttons.bitSize, 1);
    EXPECT_EQ(buttons.reportCount, 3);
    EXPECT_EQ(buttons.dataIndexMin, 0);
    EXPECT_EQ(buttons.dataIndexMax, 2);
    EXPECT_TRUE(buttons.isAbsolute);

    const auto values = mouse.ValueCaps(ReportKind::Input);
    const std::uint16_t usages[] = {0x30, 0x31, 0x38};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(values[i].usagePage, 0x01);
        EXPECT_FALSE(values[i].isRange);
        EXPECT_EQ(values[i].usageMin, usages[i]);
        EXPECT_EQ(values[i].bitOffset, 8u * (i + 1));
        EXPECT_EQ(values[i].bitSize, 8);
        EXPECT_EQ(values[i].reportCount, 1);
        EXPECT_EQ(values[i].logicalMin, -127);
        EXPECT_EQ(values[i].logicalMax, 127);
        EXPECT_EQ(values[i].dataIndexMin, 3 + i);
        EXPECT_FALSE(values[i].isAbsolute);
        EXPECT_FALSE(values[i].hasNull);
    }
}

TEST(HidReportDescriptorTest, KeyboardWithConsumerControl) {
    const HidReportDescriptor descriptor = ParseOk(LoadDescriptor("keyboard-consumer.hex"));
    ASSERT_EQ(descriptor.Collections().size(), 2u);
    EXPECT_TRUE(descriptor.Numbered());

    const HidTopLevelCollection& keyboard = descriptor.Collections()[0];
    EXPECT_EQ(keyboard.usagePage, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_EQ(keyboard.caps.inputReportByteLength, 9);
    EXPECT_EQ(keyboard.caps.outputReportByteLength, 2);
    EXPECT_EQ(keyboard.caps.numberLinkCollectionNodes, 1);
    EXPECT_EQ(keyboard.caps.numberInputButtonCaps, 2);
    EXPECT_EQ(keyboard.caps.numberInputValueCaps, 0);
    EXPECT_EQ(keyboard.caps.numberInputDataIndices, 8 + 102);
    EXPECT_EQ(keyboard.caps.numberOutputButtonCaps, 1);
    EXPECT_EQ(keyboard.caps.numberOutputDataIndices, 5);
    EXPECT_TRUE(keyboard.HasReportId(ReportKind::Input, 1));
    EXPECT_FALSE(keyboard.HasReportId(ReportKind::Input, 2));

    const auto keyCaps = keyboard.ButtonCaps(ReportKind::Input);
    EXPECT_EQ(keyCaps[0].usagePage, 0x07);
    EXPECT_EQ(keyCaps[0].usageMin, 0xE0);
    EXPECT_EQ(keyCaps[0].usageMax, 0xE7);
    EXPECT_FALSE(keyCaps[0].isArray);
    EXPECT_EQ(keyCaps[1].usageMin, 0x00);
    EXPECT_EQ(keyCaps[1].usageMax, 0x65);
    EXPECT_TRUE(keyCaps[1].isArray);
    EXPECT_EQ(keyCaps[1].bitOffset, 16u);  // after modifiers and the reserved byte
    EXPECT_EQ(keyCaps[1].bitSize, 8);
    EXPECT_EQ(keyCaps[1].reportCount, 6);
    EXPECT_EQ(keyCaps[1].logicalMax, 101);
    EXPECT_EQ(keyCaps[1].dataIndexMin, 8);
    EXPECT_EQ(keyCaps[1].dataIndexMax, 8 + 101);

    const HidButtonCaps& leds = keyboard.ButtonCaps(ReportKind::Output)[0];
    EXPECT_EQ(leds.usagePage, 0x08);
    EXPECT_EQ(leds.usageMin, 1);
    EXPECT_EQ(leds.usageMax, 5);
    EXPECT_EQ(leds.reportId, 1);

    const HidTopLevelCollection& consumer = descriptor.Collections()[1];
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.usage, 0x01);
    EXPECT_EQ(consumer.caps.inputReportByteLength, 3);
    EXPECT_EQ(consumer.caps.outputReportByteLength, 0);
    EXPECT_EQ(consumer.caps.numberInputButtonCaps, 1);
    EXPECT_EQ(consumer.caps.numberInputDataIndices, 0x1000);
    const HidButtonCaps& selector = consumer.ButtonCaps(ReportKind::Input)[0];
    EXPECT_TRUE(selector.isArray);
    EXPECT_TRUE(selector.isRange);
    EXPECT_EQ(selector.usageMin, 0);
    EXPECT_EQ(selector.usageMax, 0x0FFF);
    EXPECT_EQ(selector.logicalMin, 0);
    EXPECT_EQ(selector.logicalMax, 0x0FFF);
    EXPECT_EQ(selector.bitSize, 16);
    EXPECT_EQ(selector.reportId, 2);
    EXPECT_EQ(selector.dataIndexMin, 0);  // data indices restart per collection
}

TEST(HidReportDescriptorTest, VendorCollectionBesideConsumerControl) {
    const HidReportDescriptor descriptor = ParseOk(LoadDescriptor("vendor-consumer.hex"));
    ASSERT_EQ(descriptor.Collections().size(), 2u);
    const HidTopLevelCollection& consumer = descriptor.Collections()[0];
    EXPECT_EQ(consumer.caps.usagePage, 0x000C);
    EXPECT_EQ(consumer.caps.usage, 0x0001);
    EXPECT_EQ(consumer.caps.inputReportByteLength, 3);

    const HidTopLevelCollection& vendor = descriptor.Collections()[1];
    EXPECT_EQ(vendor.caps.usagePage, 0xFF1C);
    EXPECT_EQ(vendor.caps.usage, 0x92);
    EXPECT_EQ(vendor.caps.inputReportByteLength, 64);
    EXPECT_EQ(vendor.caps.outputReportByteLength, 64);
    EXPECT_EQ(vendor.caps.featureReportByteLength, 0);
    EXPECT_EQ(vendor.caps.numberInputButtonCaps, 0);
    EXPECT_EQ(vendor.caps.numberInputValueCaps, 1);
    EXPECT_EQ(vendor.caps.numberOutputValueCaps, 1);
    const HidValueCaps& input = vendor.ValueCaps(ReportKind::Input)[0];
    EXPECT_EQ(input.usagePage, 0xFF1C);
    EXPECT_EQ(input.usageMin, 0x01);
    EXPECT_EQ(input.reportId, 4);
    EXPECT_EQ(input.bitSize, 8);
    EXPECT_EQ(input.reportCount, 63);
    EXPECT_EQ(input.logicalMax, 255);  // 26 ff 00 read unsigned
    EXPECT_EQ(vendor.ValueCaps(ReportKind::Output)[0].usageMin, 0x02);
    ASSERT_EQ(vendor.ReportIds(ReportKind::Output).size(), 1u);
    EXPECT_EQ(vendor.ReportIds(ReportKind::Output)[0], 4);
}

TEST(HidReportDescriptorTest, EightButtonMouseWithExtendedUsage) {
    const HidReportDescriptor descriptor = ParseOk(LoadDescriptor("mouse-8button-pan.hex"));
    ASSERT_EQ(descriptor.Collections().size(), 1u);
    const HidTopLevelCollection& mouse = descriptor.Collections()[0];
    EXPECT_EQ(mouse.caps.inputReportByteLength, 8);
    ASSERT_EQ(mouse.caps.numberInputButtonCaps, 2);
    EXPECT_EQ(mouse.ButtonCaps(ReportKind::Input)[1].usageMin, 6);
    EXPECT_EQ(mouse.ButtonCaps(ReportKind::Input)[1].bitOffset, 5u);
    ASSERT_EQ(mouse.caps.numberInputValueCaps, 4);
    const HidValueCaps& pan = mouse.ValueCaps(ReportKind::Input)[3];
    EXPECT_EQ(pan.usagePage, 0x0C);  // from the 4-byte usage, not the global page
    EXPECT_EQ(pan.usageMin, 0x0238);
    EXPECT_EQ(pan.bitOffset, 48u);
    const HidValueCaps& x = mouse.ValueCaps(ReportKind::Input)[0];
    EXPECT_EQ(x.logicalMin, -32767);
    EXPECT_EQ(x.logicalMax, 32767);
    EXPECT_EQ(x.bitSize, 16);
}

TEST(HidReportDescriptorTest, GlobalItemsPushPopAndUnits) {
    const HidReportDescriptor descriptor = ParseOk(Bytes({
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,  // Generic Desktop Joystick
        0x05, 0x01, 0x09, 0x30,              // Usage X
        0x15, 0x00, 0x26, 0xFF, 0x03,        // logical 0..1023
        0x35, 0x00, 0x46, 0xE8, 0x03,        // physical 0..1000
        0x65, 0x14, 0x55, 0x0E,              // unit: degrees, exponent -2 (nibble)
        0x75, 0x0A, 0x95, 0x01, 0xA4,        // size 10, count 1, Push
        0x81, 0x02,                          // X
        0x05, 0x09, 0x75, 0x01, 0x95, 0x06,  // Button page, 6 x 1 bit
        0x19, 0x01, 0x29, 0x06, 0x81, 0x02,  // buttons 1..6
        0xB4,                                // Pop: back to Generic Desktop, 10 bits
        0x09, 0x31, 0x55, 0xFD, 0x81, 0x02,  // Y with exponent -3 (signed byte)
        0xC0,
    }));
    const HidTopLevelCollection& joystick = descriptor.Collections()[0];
    ASSERT_EQ(joystick.ValueCaps(ReportKind::Input).size(), 2u);
    const HidValueCaps& x = joystick.ValueCaps(ReportKind::Input)[0];
    EXPECT_EQ(x.logicalMax, 1023);
    EXPECT_EQ(x.physicalMax, 1000);
    EXPECT_EQ(x.units, 0x14u);
    EXPECT_EQ(x.unitsExponent, -2);
    EXPECT_EQ(x.bitSize, 10);
    const HidValueCaps& y = joystick.ValueCaps(ReportKind::Input)[1];
    EXPECT_EQ(y.usagePage, 0x01);
    EXPECT_EQ(y.usageMin, 0x31);
    EXPECT_EQ(y.bitSize, 10);
    EXPECT_EQ(y.bitOffset, 16u);
    EXPECT_EQ(y.unitsExponent, -3);
    EXPECT_EQ(joystick.ButtonCaps(ReportKind::Input)[0].usageMax, 6);
    EXPECT_EQ(joystick.caps.inputReportByteLength, 1 + 4);  // 26 bits
}

TEST(HidReportDescriptorTest, UsagesAreSplitOverFieldsAndTheLastOneRepeats) {
    const HidReportDescriptor descriptor = ParseOk(Bytes({
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x25,
        0x7F, 0x75, 0x08, 0x95, 0x05,                                // five byte fields
        0x09, 0x10, 0x19, 0x20, 0x29, 0x21, 0x09, 0x30,              // usage, range of two, usage
        0x81, 0x02, 0x95, 0x02, 0x19, 0x40, 0x29, 0x45, 0x81, 0x02,  // range of six over two fields
        0xC0,
    }));
    const auto values = descriptor.Collections()[0].ValueCaps(ReportKind::Input);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].usageMin, 0x10);
    EXPECT_EQ(values[0].reportCount, 1);
    EXPECT_EQ(values[1].usageMin, 0x20);
    EXPECT_EQ(values[1].usageMax, 0x21);
    EXPECT_TRUE(values[1].isRange);
    EXPECT_EQ(values[1].bitOffset, 8u);
    EXPECT_EQ(values[1].reportCount, 2);
    EXPECT_EQ(values[2].usageMin, 0x30);
    EXPECT_EQ(values[2].bitOffset, 24u);
    EXPECT_EQ(values[2].reportCount, 2);  // fields 4 and 5 both carry the last usage
    EXPECT_EQ(values[3].usageMin, 0x40);
    EXPECT_EQ(values[3].usageMax, 0x41);  // a range longer than its fields is cut
    EXPECT_EQ(values[3].dataIndexMin, 4);
    EXPECT_EQ(values[3].dataIndexMax, 5);
}

TEST(HidReportDescriptorTest, ArrayUsagesSplitIntoSlicesOfTheIndexSpace) {
    const HidReportDescriptor descriptor = ParseOk(Bytes({
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x01, 0x25, 0x05, 0x75, 0x08, 0x95, 0x02, 0x09,
        0xB5, 0x19, 0xE9, 0x29, 0xEA, 0x0A, 0x23, 0x02, 0x0A, 0x24, 0x02, 0x81, 0x00, 0xC0,
    }));
    const auto buttons = descriptor.Collections()[0].ButtonCaps(ReportKind::Input);
    ASSERT_EQ(buttons.size(), 4u);
    const std::uint32_t bases[] = {0, 1, 3, 4};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(buttons[i].isArray);
        EXPECT_EQ(buttons[i].arrayIndexBase, bases[i]);
        EXPECT_EQ(buttons[i].bitOffset, 0u);
        EXPECT_EQ(buttons[i].reportCount, 2);
    }
    EXPECT_EQ(buttons[1].usageMax, 0xEA);
}

TEST(HidReportDescriptorTest, DelimitersLongItemsAndPaddingAreTolerated) {
    const HidReportDescriptor descriptor = ParseOk(Bytes({
        0x05,
        0x01,
        0x09,
        0x02,
        0xA1,
        0x01,
        0xFE,
        0x02,
        0x10,
        0xAA,
        0xBB,  // long item with 2 data
               // bytes
        0xA9,
        0x01,
        0x09,
        0x30,
        0x09,
        0x32,
        0xA9,
        0x00,  // delimited set: X (preferred), Z
        0x15,
        0x00,
        0x25,
        0x7F,
        0x75,
        0x08,
        0x95,
        0x01,
        0x81,
        0x02,
        0x75,
        0x08,
        0x95,
        0x01,
        0x81,
        0x03,  // constant without usage: padding
        0xC0,
    }));
    const HidTopLevelCollection& collection = descriptor.Collections()[0];
    ASSERT_EQ(collection.ValueCaps(ReportKind::Input).size(), 1u);
    EXPECT_EQ(collection.ValueCaps(ReportKind::Input)[0].usageMin, 0x30);
    EXPECT_EQ(collection.caps.inputReportByteLength, 3);
}

TEST(HidReportDescriptorTest, LengthIsTheLongestReportOfTheCollection) {
    const HidReportDescriptor descriptor = ParseOk(Bytes({
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x25, 0x01,
        0x75, 0x01, 0x85, 0x05, 0x95, 0x03, 0x09, 0x01, 0xB1, 0x02,  // feature report 5: 3 bits
        0x85, 0x06, 0x95, 0x11, 0x09, 0x02, 0xB1, 0x02,              // feature report 6: 17 bits
        0xC0, 0x06, 0x00, 0xFF, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x07, 0x95,
        0x01, 0x09, 0x03, 0x81, 0x02, 0xC0,
    }));
    ASSERT_EQ(descriptor.Collections().size(), 2u);
    const HidTopLevelCollection& first = descriptor.Collections()[0];
    EXPECT_EQ(first.caps.featureReportByteLength, 1 + 3);
    EXPECT_EQ(first.caps.inputReportByteLength, 0);
    ASSERT_EQ(first.ReportIds(ReportKind::Feature).size(), 2u);
    EXPECT_EQ(descriptor.Collections()[1].caps.inputReportByteLength, 2);
    EXPECT_EQ(descriptor.Collections()[1].ReportIds(ReportKind::Input)[0], 7);
}

TEST(HidReportDescriptorTest, MalformedDescriptorsAreRefusedWithTheOffendingOffset) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        HidDescriptorError error;
        std::size_t offset;
    };
    const Case cases[] = {
        {"item data cut off", Bytes({0x05, 0x01, 0x26, 0xFF}), HidDescriptorError::Truncated, 2},
        {"long item cut off", Bytes({0xFE, 0x05, 0x00, 0x01}), HidDescriptorError::Truncated, 0},
        {"report id 0", Bytes({0xA1, 0x01, 0x85, 0x00, 0xC0}), HidDescriptorError::BadReportId, 2},
        {"report id 256", Bytes({0x86, 0x00, 0x01}), HidDescriptorError::BadReportId, 0},
        {"end without collection", Bytes({0xC0}), HidDescriptorError::UnbalancedCollection, 0},
        {"collection left open", Bytes({0xA1, 0x01, 0xA1, 0x00, 0xC0}),
         HidDescriptorError::UnclosedCollection, 5},
        {"pop without push", Bytes({0xB4}), HidDescriptorError::BadPop, 0},
        {"inverted usage range",
         Bytes({0xA1, 0x01, 0x19, 0x05, 0x29, 0x02, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}),
         HidDescriptorError::InvertedUsageRange, 10},
        {"report too long",
         Bytes({0xA1, 0x01, 0x77, 0xFF, 0xFF, 0x00, 0x00, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81, 0x02,
                0xC0}),
         HidDescriptorError::ReportTooLong, 12},
        {"array of usages 0-65535: one data index more than the caps can count",
         Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95,
                0x01, 0x81, 0x00, 0xC0}),
         HidDescriptorError::TooComplex, 15},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        HidReportDescriptor descriptor;
        const HidDescriptorResult result = descriptor.Parse(test.bytes);
        EXPECT_EQ(result.error, test.error);
        EXPECT_EQ(result.offset, test.offset);
        EXPECT_TRUE(descriptor.Collections().empty());
        EXPECT_FALSE(DescribeDescriptorError(result.error).empty());
    }

    std::vector<std::uint8_t> deepPush(100, 0xA4);
    HidReportDescriptor descriptor;
    EXPECT_EQ(descriptor.Parse(deepPush).error, HidDescriptorError::StackTooDeep);
}

TEST(HidReportDescriptorTest, DataIndicesUpToTheCountLimitAreCountedExactly) {
    // Usages 0-65534: indices 0-65534, the most a 16-bit count can hold.
    const HidReportDescriptor descriptor =
        ParseOk(Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x00, 0x2A, 0xFE, 0xFF, 0x75, 0x10,
                       0x95, 0x01, 0x81, 0x00, 0xC0}));
    ASSERT_EQ(descriptor.Collections().size(), 1u);
    const HidTopLevelCollection& collection = descriptor.Collections()[0];
    EXPECT_EQ(collection.caps.numberInputDataIndices, 0xFFFF);
    ASSERT_EQ(collection.ButtonCaps(ReportKind::Input).size(), 1u);
    EXPECT_EQ(collection.ButtonCaps(ReportKind::Input)[0].dataIndexMax, 0xFFFE);

    // Two fields that together pass the limit are refused at the second.
    HidReportDescriptor split;
    const HidDescriptorResult result =
        split.Parse(Bytes({0xA1, 0x01, 0x19, 0x00, 0x2A, 0xFE, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81,
                           0x00, 0x09, 0x01, 0x81, 0x00, 0xC0}));
    EXPECT_EQ(result.error, HidDescriptorError::TooComplex);
    EXPECT_EQ(result.offset, 15u);
}

TEST(HidReportDescriptorTest, FailedParseForgetsThePreviousCollections) {
    HidReportDescriptor descriptor;
    ASSERT_TRUE(descriptor.Parse(LoadDescriptor("keyboard-consumer.hex")).Ok());
    ASSERT_EQ(descriptor.Collections().size(), 2u);
    EXPECT_FALSE(descriptor.Parse(Bytes({0xC0})).Ok());
    EXPECT_TRUE(descriptor.Collections().empty());
    EXPECT_FALSE(descriptor.Numbered());
}

// Every cap of a successful parse must lie inside its collection's report
// length, so that unpacking a report of that length never reads past it.
void ExpectCapsInsideReports(const HidReportDescriptor& descriptor) {
    for (const HidTopLevelCollection& collection : descriptor.Collections()) {
        const std::uint16_t lengths[] = {collection.caps.inputReportByteLength,
                                         collection.caps.outputReportByteLength,
                                         collection.caps.featureReportByteLength};
        for (const ReportKind kind : {ReportKind::Input, ReportKind::Output, ReportKind::Feature}) {
            const std::uint64_t available = lengths[static_cast<int>(kind)] * 8u;
            for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
                ASSERT_LE(8u + caps.bitOffset + std::uint64_t{caps.bitSize} * caps.reportCount,
                          available);
            }
            for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
                ASSERT_LE(8u + caps.bitOffset + std::uint64_t{caps.bitSize} * caps.reportCount,
                          available);
            }
        }
    }
}

// Feeds every reading of the caps a random report of the right length.
void ExerciseUnpacking(const HidReportDescriptor& descriptor, std::mt19937& random) {
    for (const HidTopLevelCollection& collection : descriptor.Collections()) {
        std::vector<std::uint8_t> report(collection.caps.inputReportByteLength);
        for (auto& byte : report) {
            byte = static_cast<std::uint8_t>(random());
        }
        if (!report.empty() && !collection.ReportIds(ReportKind::Input).empty()) {
            report[0] = collection.ReportIds(ReportKind::Input)[0];
        }
        for (const HidButtonCaps& caps : collection.ButtonCaps(ReportKind::Input)) {
            std::vector<std::uint16_t> usages(
                MaxUsageListLength(collection, ReportKind::Input, caps.usagePage));
            std::size_t count = 0;
            const HidStatus status =
                GetUsages(collection, ReportKind::Input, caps.usagePage, report, usages, count);
            if (!report.empty() && report[0] == caps.reportId) {
                ASSERT_EQ(status, HidStatus::Success);
                ASSERT_LE(count, usages.size());
            }
        }
        for (const HidValueCaps& caps : collection.ValueCaps(ReportKind::Input)) {
            std::uint32_t value = 0;
            std::int32_t scaled = 0;
            (void)GetUsageValue(collection, ReportKind::Input, caps.usagePage, caps.usageMax,
                                report, value);
            (void)GetScaledUsageValue(collection, ReportKind::Input, caps.usagePage, caps.usageMin,
                                      report, scaled);
        }
    }
}

// Random and damaged descriptors: the parser must refuse or accept them
// without reading out of bounds (run under AddressSanitizer in CI), and what
// it accepts must be internally consistent.
TEST(HidReportDescriptorTest, RandomAndTruncatedInputNeverBreaksTheParser) {
    std::mt19937 random(20240611);
    const char* files[] = {"mouse-3button-wheel.hex", "keyboard-consumer.hex",
                           "vendor-consumer.hex", "mouse-8button-pan.hex"};
    for (const char* file : files) {
        const auto original = LoadDescriptor(file);
        ASSERT_FALSE(original.empty());
        for (std::size_t length = 0; length <= original.size(); ++length) {
            HidReportDescriptor descriptor;
            const std::vector<std::uint8_t> prefix(original.begin(), original.begin() + length);
            const HidDescriptorResult result = descriptor.Parse(prefix);
            if (result.Ok()) {
                ExpectCapsInsideReports(descriptor);
            } else {
                EXPECT_LE(result.offset, prefix.size());
            }
        }
        for (int round = 0; round < 2000; ++round) {
            std::vector<std::uint8_t> mutated = original;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                mutated[random() % mutated.size()] = static_cast<std::uint8_t>(random());
            }
            HidReportDescriptor descriptor;
            if (descriptor.Parse(mutated).Ok()) {
                ExpectCapsInsideReports(descriptor);
                ExerciseUnpacking(descriptor, random);
            }
        }
    }
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::uint8_t> noise(random() % 96);
        for (auto& byte : noise) {
            byte = static_cast<std::uint8_t>(random());
        }
        HidReportDescriptor descriptor;
        if (descriptor.Parse(noise).Ok()) {
            ExpectCapsInsideReports(descriptor);
            ExerciseUnpacking(descriptor, random);
        }
    }
}

}  // namespace
}  // namespace varlok::device
