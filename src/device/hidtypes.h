#pragma once

// Plain records describing one HID top-level collection, shaped after what the
// Windows HID parser hands out (HIDP_CAPS, HIDD_ATTRIBUTES, HIDP_BUTTON_CAPS,
// HIDP_VALUE_CAPS) so that callers written against those keep their meaning.

#include <chrono>
#include <cstdint>
#include <vector>

namespace varlok::device {

// Waits without a limit when passed as a transfer timeout.
inline constexpr std::chrono::milliseconds kWaitForever = std::chrono::milliseconds::max();

enum class ReportKind { Input, Output, Feature };

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// Byte lengths include the report id byte, which is 0 for collections
// without numbered reports.
struct HidCaps {
    std::uint16_t usage = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
    std::uint16_t numberLinkCollectionNodes = 0;
    std::uint16_t numberInputButtonCaps = 0;
    std::uint16_t numberInputValueCaps = 0;
    std::uint16_t numberInputDataIndices = 0;
    std::uint16_t numberOutputButtonCaps = 0;
    std::uint16_t numberOutputValueCaps = 0;
    std::uint16_t numberOutputDataIndices = 0;
    std::uint16_t numberFeatureButtonCaps = 0;
    std::uint16_t numberFeatureValueCaps = 0;
    std::uint16_t numberFeatureDataIndices = 0;
};

// One main item whose fields are one bit each (buttons, selectors, arrays).
struct HidButtonCaps {
    std::uint16_t usagePage = 0;
    std::uint8_t reportId = 0;
    std::uint16_t linkCollection = 0;
    bool isRange = false;
    bool isArray = false;        // array (selector) main item rather than variable
    std::uint16_t usageMin = 0;  // the single usage when !isRange
    std::uint16_t usageMax = 0;
    std::uint16_t dataIndexMin = 0;
    std::uint16_t dataIndexMax = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    // Where the fields sit in the report, counted in bits after the report id byte.
    std::uint32_t bitOffset = 0;
    std::uint16_t bitSize = 0;
    std::uint16_t reportCount = 0;
    // Array caps: the selector index (counted from logicalMin) that means
    // usageMin, for an array main item whose usages are split over several caps.
    std::uint32_t arrayIndexBase = 0;
    // The main item's data bits (HID 1.11 §6.2.2.5) and its absolute flag.
    std::uint16_t bitField = 0;
    bool isAbsolute = true;
};

// One main item carrying values.
struct HidValueCaps {
    std::uint16_t usagePage = 0;
    std::uint8_t reportId = 0;
    std::uint16_t linkCollection = 0;
    bool isRange = false;
    std::uint16_t usageMin = 0;  // the single usage when !isRange
    std::uint16_t usageMax = 0;
    std::uint16_t dataIndexMin = 0;
    std::uint16_t dataIndexMax = 0;
    bool hasNull = false;
    std::uint16_t bitSize = 0;
    std::uint16_t reportCount = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    std::int32_t physicalMin = 0;
    std::int32_t physicalMax = 0;
    std::uint32_t units = 0;
    std::int8_t unitsExponent = 0;
    std::uint32_t bitOffset = 0;  // counted in bits after the report id byte
    // The main item's data bits (HID 1.11 §6.2.2.5) and its absolute flag.
    std::uint16_t bitField = 0;
    bool isAbsolute = true;
};

// One capability of one report kind as HidDevice keeps it: button form
// (usage list) or value form. Button items come first, in the order of the
// button caps, then one value item per value usage.
struct HidReportItem {
    bool isButton = false;
    std::uint16_t usagePage = 0;
    std::int32_t status = 0;  // 0 = success, like HIDP_STATUS_SUCCESS
    std::uint8_t reportId = 0;
    bool isSet = false;
    // Button form.
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    std::uint32_t maxUsageCount = 0;
    std::vector<std::uint16_t> usages;  // pressed usages; 0 ends a shorter list
    // Value form.
    std::uint16_t usage = 0;
    std::uint32_t value = 0;
    std::int32_t scaledValue = 0;
};

}  // namespace varlok::device
