#include "device/hiditemreader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace varlok::device {
namespace {

struct ReadItem {
    std::size_t offset;
    HidItem item;
};

// Every item the reader yields, and how it stopped.
HidItemRead ReadAll(const std::vector<std::uint8_t>& bytes, std::vector<ReadItem>& items,
                    std::size_t& stopOffset) {
    HidItemReader reader(bytes);
    HidItem item;
    HidItemRead read = HidItemRead::Item;
    while ((read = reader.Next(item)) == HidItemRead::Item) {
        items.push_back({reader.Offset(), item});
    }
    stopOffset = reader.Offset();
    return read;
}

TEST(HidItemReaderTest, ShortItemsAreDecodedAndLongItemsSkipped) {
    const std::vector<std::uint8_t> bytes = {
        0xC0,                          // End Collection, no data
        0x15, 0x81,                    // Logical Minimum -127
        0xFE, 0x02, 0x10, 0xAA, 0xBB,  // long item with two data bytes
        0x26, 0xFF, 0x80,              // Logical Maximum 0x80FF
        0xFE, 0x00, 0x11,              // long item without data
        0x0B, 0x01, 0x00, 0x0C, 0xFF,  // 4-byte Usage 0xFF0C0001
    };
    std::vector<ReadItem> items;
    std::size_t stop = 0;
    ASSERT_EQ(ReadAll(bytes, items, stop), HidItemRead::End);
    EXPECT_EQ(stop, bytes.size());
    ASSERT_EQ(items.size(), 4u);

    EXPECT_EQ(items[0].offset, 0u);
    EXPECT_EQ(items[0].item.type, hiditem::kTypeMain);
    EXPECT_EQ(items[0].item.tag, hiditem::kTagEndCollection);
    EXPECT_EQ(items[0].item.size, 0u);

    EXPECT_EQ(items[1].offset, 1u);
    EXPECT_EQ(items[1].item.type, hiditem::kTypeGlobal);
    EXPECT_EQ(items[1].item.tag, hiditem::kTagLogicalMinimum);
    EXPECT_EQ(items[1].item.unsignedData, 0x81u);
    EXPECT_EQ(items[1].item.signedData, -127);

    EXPECT_EQ(items[2].offset, 8u);
    EXPECT_EQ(items[2].item.tag, hiditem::kTagLogicalMaximum);
    EXPECT_EQ(items[2].item.size, 2u);
    EXPECT_EQ(items[2].item.unsignedData, 0x80FFu);
    EXPECT_EQ(items[2].item.signedData, -32513);

    EXPECT_EQ(items[3].offset, 14u);
    EXPECT_EQ(items[3].item.type, hiditem::kTypeLocal);
    EXPECT_EQ(items[3].item.tag, hiditem::kTagUsage);
    EXPECT_EQ(items[3].item.size, 4u);
    EXPECT_EQ(items[3].item.unsignedData, 0xFF0C0001u);
    EXPECT_EQ(items[3].item.signedData, static_cast<std::int32_t>(0xFF0C0001u));
}

TEST(HidItemReaderTest, TruncationIsReportedAtTheItemThatRunsPastTheEnd) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t items;
        std::size_t offset;
    };
    const Case cases[] = {
        {"short item data", {0x05, 0x01, 0x27, 0x01, 0x02, 0x03}, 1, 2},
        {"long item without its tag byte", {0x05, 0x01, 0xFE, 0x00}, 1, 2},
        {"long item data", {0xFE, 0x03, 0x10, 0x01, 0x02}, 0, 0},
        {"short item after a long one", {0xFE, 0x00, 0x10, 0x95}, 0, 3},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<ReadItem> items;
        std::size_t stop = 0;
        EXPECT_EQ(ReadAll(test.bytes, items, stop), HidItemRead::Truncated);
        EXPECT_EQ(items.size(), test.items);
        EXPECT_EQ(stop, test.offset);
    }

    // The reader stays on the refused item.
    const std::vector<std::uint8_t> bytes = {0x09, 0x02, 0x16, 0x01};
    HidItemReader reader(bytes);
    HidItem item;
    ASSERT_EQ(reader.Next(item), HidItemRead::Item);
    EXPECT_EQ(reader.Next(item), HidItemRead::Truncated);
    EXPECT_EQ(reader.Next(item), HidItemRead::Truncated);
    EXPECT_EQ(reader.Offset(), 2u);
}

}  // namespace
}  // namespace varlok::device
