#pragma once

// Splits one interface's report descriptor into its items (HID 1.11 §6.2.2),
// and names the item types, tags and main item data bits the descriptor
// parser acts on. Internal to the device layer.

#include <cstddef>
#include <cstdint>
#include <span>

namespace varlok::device {

namespace hiditem {

// Item types and the long-item prefix (HID 1.11 §6.2.2.2 Short Items,
// §6.2.2.3 Long Items).
inline constexpr std::uint8_t kTypeMain = 0;
inline constexpr std::uint8_t kTypeGlobal = 1;
inline constexpr std::uint8_t kTypeLocal = 2;
inline constexpr std::uint8_t kLongItemPrefix = 0xFE;

// Main item tags (HID 1.11 §6.2.2.4 Main Items).
inline constexpr std::uint8_t kTagInput = 0x8;
inline constexpr std::uint8_t kTagOutput = 0x9;
inline constexpr std::uint8_t kTagCollection = 0xA;
inline constexpr std::uint8_t kTagFeature = 0xB;
inline constexpr std::uint8_t kTagEndCollection = 0xC;

// Global item tags (HID 1.11 §6.2.2.7 Global Items).
inline constexpr std::uint8_t kTagUsagePage = 0x0;
inline constexpr std::uint8_t kTagLogicalMinimum = 0x1;
inline constexpr std::uint8_t kTagLogicalMaximum = 0x2;
inline constexpr std::uint8_t kTagPhysicalMinimum = 0x3;
inline constexpr std::uint8_t kTagPhysicalMaximum = 0x4;
inline constexpr std::uint8_t kTagUnitExponent = 0x5;
inline constexpr std::uint8_t kTagUnit = 0x6;
inline constexpr std::uint8_t kTagReportSize = 0x7;
inline constexpr std::uint8_t kTagReportId = 0x8;
inline constexpr std::uint8_t kTagReportCount = 0x9;
inline constexpr std::uint8_t kTagPush = 0xA;
inline constexpr std::uint8_t kTagPop = 0xB;

// Local item tags (HID 1.11 §6.2.2.8 Local Items). Designator and string
// items are accepted and ignored: the records have no place for them.
inline constexpr std::uint8_t kTagUsage = 0x0;
inline constexpr std::uint8_t kTagUsageMinimum = 0x1;
inline constexpr std::uint8_t kTagUsageMaximum = 0x2;
inline constexpr std::uint8_t kTagDelimiter = 0xA;

// Main item data bits (HID 1.11 §6.2.2.5 Input, Output, and Feature Items).
inline constexpr std::uint32_t kFlagConstant = 1u << 0;
inline constexpr std::uint32_t kFlagVariable = 1u << 1;
inline constexpr std::uint32_t kFlagRelative = 1u << 2;
inline constexpr std::uint32_t kFlagNullState = 1u << 6;

}  // namespace hiditem

// One short item as written. Its data is kept in both readings, because
// which one applies depends on the tag (and for a logical or physical
// maximum, on its minimum).
struct HidItem {
    std::uint8_t type = 0;
    std::uint8_t tag = 0;
    std::size_t size = 0;  // data bytes: 0, 1, 2 or 4
    std::uint32_t unsignedData = 0;
    std::int32_t signedData = 0;  // the data sign-extended from its size
};

enum class HidItemRead {
    Item,       // the next short item was read
    End,        // every byte of the descriptor has been read
    Truncated,  // the item at Offset() runs past the end of the descriptor
};

// Yields the short items of a descriptor in order and skips long items: no
// long item tags are defined (HID 1.11 §6.2.2.3). Never reads outside the
// bytes it is given, which must outlive the reader.
class HidItemReader {
public:
    explicit HidItemReader(std::span<const std::uint8_t> descriptor) : m_descriptor(descriptor) {}

    // Reads the next short item into item. After Truncated the reader stays
    // on the refused item, and every further call refuses it again.
    [[nodiscard]] HidItemRead Next(HidItem& item);

    // Where the item that the last Next read or refused starts; the
    // descriptor's size once it returned End.
    [[nodiscard]] std::size_t Offset() const { return m_offset; }

private:
    std::span<const std::uint8_t> m_descriptor;
    std::size_t m_offset = 0;
    std::size_t m_next = 0;  // where the item after the one at m_offset starts
};

}  // namespace varlok::device
