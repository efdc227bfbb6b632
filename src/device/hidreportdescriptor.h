#pragma once

// Our own HID report-descriptor parser. It turns the descriptor of one
// interface into its top-level collections, each with the caps, button caps
// and value caps that the Windows HID parser reports for it, so that code
// written against HidP_GetCaps and friends keeps its meaning on every platform.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "device/hidtypes.h"

namespace varlok::device {

enum class HidDescriptorError {
    None,
    Truncated,             // an item's data runs past the end of the descriptor
    BadReportId,           // Report ID 0 or above 255
    ReportTooLong,         // a report would exceed 65534 data bytes
    UnbalancedCollection,  // End Collection without an open collection
    UnclosedCollection,    // the descriptor ends inside a collection
    BadPop,                // Pop without a matching Push
    StackTooDeep,          // too many nested Push items or collections
    InvertedUsageRange,    // Usage Minimum above Usage Maximum
    TooComplex,            // more caps, data indices or usages than the records can count
};

// A short English reason for logs and tool output.
[[nodiscard]] std::string_view DescribeDescriptorError(HidDescriptorError error);

struct HidDescriptorResult {
    HidDescriptorError error = HidDescriptorError::None;
    std::size_t offset = 0;  // byte offset of the item that was refused

    [[nodiscard]] bool Ok() const { return error == HidDescriptorError::None; }
};

// What one top-level collection of an interface offers, per report kind
// (indexed by ReportKind). Caps are listed in descriptor order.
struct HidTopLevelCollection {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    HidCaps caps;
    std::array<std::vector<HidButtonCaps>, 3> buttonCaps;
    std::array<std::vector<HidValueCaps>, 3> valueCaps;
    // Ids of the reports of each kind that carry fields of this collection,
    // ascending; {0} for an interface without numbered reports.
    std::array<std::vector<std::uint8_t>, 3> reportIds;

    [[nodiscard]] std::span<const HidButtonCaps> ButtonCaps(ReportKind kind) const;
    [[nodiscard]] std::span<const HidValueCaps> ValueCaps(ReportKind kind) const;
    [[nodiscard]] std::span<const std::uint8_t> ReportIds(ReportKind kind) const;
    [[nodiscard]] bool HasReportId(ReportKind kind, std::uint8_t reportId) const;
};

// Parses one interface's report descriptor (HID 1.11 §6.2.2). Refuses
// malformed input with an error and the offset of the offending item; never
// reads outside the bytes it is given.
class HidReportDescriptor {
public:
    [[nodiscard]] HidDescriptorResult Parse(std::span<const std::uint8_t> descriptor);

    // The top-level collections of the last successful Parse, in descriptor
    // order; empty after a failed one.
    [[nodiscard]] const std::vector<HidTopLevelCollection>& Collections() const;
    // Whether the interface uses Report ID items (its reports then start
    // with the id on the wire).
    [[nodiscard]] bool Numbered() const;

private:
    std::vector<HidTopLevelCollection> m_collections;
    bool m_numbered = false;
};

}  // namespace varlok::device
