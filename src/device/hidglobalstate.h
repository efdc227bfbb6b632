#pragma once

// The global items of a report descriptor in force at each main item, with
// their Push/Pop stack (HID 1.11 §6.2.2.7 Global Items). Internal to the
// device layer.

#include <cstdint>
#include <vector>

#include "device/hiditemreader.h"
#include "device/hidreportdescriptor.h"

namespace varlok::device {

// A logical or physical extent keeps both readings until the main item,
// because whether the maximum is signed depends on the minimum.
struct HidRawNumber {
    std::uint32_t unsignedData = 0;
    std::int32_t signedData = 0;
};

// The logical and physical extents as a main item's fields use them.
struct HidExtents {
    std::int32_t logicalMinimum = 0;
    std::int32_t logicalMaximum = 0;
    std::int32_t physicalMinimum = 0;
    std::int32_t physicalMaximum = 0;
};

// The global item table: what Push saves and Pop restores.
struct HidGlobalItems {
    std::uint16_t usagePage = 0;
    HidRawNumber logicalMinimum;
    HidRawNumber logicalMaximum;
    HidRawNumber physicalMinimum;
    HidRawNumber physicalMaximum;
    std::int8_t unitExponent = 0;
    std::uint32_t unit = 0;
    std::uint32_t reportSize = 0;
    std::uint8_t reportId = 0;
    std::uint32_t reportCount = 0;

    // A maximum is read unsigned unless its minimum is negative, which is
    // how devices write ranges like 0..255 in one byte.
    [[nodiscard]] HidExtents ReadExtents() const;
};

// The global items read so far, and whether any of them numbered the reports.
class HidGlobalState {
public:
    // Takes one global item into the table. BadReportId, StackTooDeep and
    // BadPop refuse the item and leave the state as it was; reserved tags
    // are ignored.
    [[nodiscard]] HidDescriptorError Apply(const HidItem& item);

    [[nodiscard]] const HidGlobalItems& Current() const { return m_current; }
    // Whether a Report ID item was read: the reports then start with the id.
    [[nodiscard]] bool Numbered() const { return m_numbered; }

private:
    [[nodiscard]] HidDescriptorError Push();
    [[nodiscard]] HidDescriptorError Pop();

    HidGlobalItems m_current;
    std::vector<HidGlobalItems> m_stack;
    bool m_numbered = false;
};

}  // namespace varlok::device
