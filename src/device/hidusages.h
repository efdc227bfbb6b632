#pragma once

// Reads controls out of one report with the semantics of the Windows HID
// parser's HidP_MaxUsageListLength, HidP_GetUsages, HidP_GetUsageValue and
// HidP_GetScaledUsageValue, over the caps of our descriptor parser. The
// report starts with its report id byte (0 when the interface does not number
// its reports); bit offsets of the caps count from the byte after it.

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/hidreportdescriptor.h"
#include "device/hidtypes.h"

namespace varlok::device {

// Mirrors the HIDP_STATUS_* results the callers distinguish. Success is 0,
// which is what HidReportItem::status holds for success.
enum class HidStatus : std::int32_t {
    Success = 0,
    InvalidReportLength,   // the report is empty or too short for the control
    IncompatibleReportId,  // the control exists only in other reports of this kind
    UsageNotFound,         // no such control in any report of this kind
    BufferTooSmall,        // more usages than the list holds, or a value wider than 32 bits
    BadLogPhyValues,       // logical or physical range unusable for scaling
    Null,                  // outside the logical range, and the control has a null state
    ValueOutOfRange,       // outside the logical range, and the control has no null state
};

// The most usages GetUsages can return for the page (0: for every page).
[[nodiscard]] std::uint32_t MaxUsageListLength(const HidTopLevelCollection& collection,
                                               ReportKind kind, std::uint16_t usagePage);

// The usages of the page that the report asserts (set bits of variable
// fields, selected entries of array fields), in cap order. count receives how
// many there are; when that exceeds usages.size() only the first ones are
// written and the result is BufferTooSmall. Usage 0 (no control) is never
// reported.
[[nodiscard]] HidStatus GetUsages(const HidTopLevelCollection& collection, ReportKind kind,
                                  std::uint16_t usagePage, std::span<const std::uint8_t> report,
                                  std::span<std::uint16_t> usages, std::size_t& count);

// The raw bits of the value control, unsigned and not sign-extended. For a
// control with several fields and a single usage, the first field.
[[nodiscard]] HidStatus GetUsageValue(const HidTopLevelCollection& collection, ReportKind kind,
                                      std::uint16_t usagePage, std::uint16_t usage,
                                      std::span<const std::uint8_t> report, std::uint32_t& value);

// The value mapped from the logical onto the physical range:
// physicalMin + (raw - logicalMin) * (physicalMax - physicalMin) / (logicalMax - logicalMin),
// the raw value read signed when logicalMin is negative. BadLogPhyValues when
// either range is empty or inverted (as when the descriptor declares no
// physical range); Null or ValueOutOfRange when the raw value lies outside the
// logical range. value is 0 whenever the result is not Success.
[[nodiscard]] HidStatus GetScaledUsageValue(const HidTopLevelCollection& collection,
                                            ReportKind kind, std::uint16_t usagePage,
                                            std::uint16_t usage,
                                            std::span<const std::uint8_t> report,
                                            std::int32_t& value);

}  // namespace varlok::device
