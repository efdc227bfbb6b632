#pragma once

// The local items of a report descriptor that describe the next main item:
// its usages and usage ranges (HID 1.11 §6.2.2.8 Local Items). Internal to
// the device layer.

#include <cstdint>
#include <optional>
#include <vector>

#include "device/hiditemreader.h"
#include "device/hidreportdescriptor.h"

namespace varlok::device {

// A usage or usage range with its page resolved at the main item.
struct HidResolvedUsage {
    std::uint16_t page = 0;
    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    bool isRange = false;
};

// The usages, usage ranges and delimited sets read since the last main item.
class HidLocalState {
public:
    // Takes one local item. Of a delimited set of alternative usages for one
    // control only the first (preferred) one is kept; designators, strings
    // and reserved tags are ignored.
    void Apply(const HidItem& item);

    // Resolves the usages in descriptor order against usagePage, the usage
    // page in force at the main item (a 4-byte usage carries its own page in
    // its high half); a lone Usage Minimum or Maximum counts as a single
    // usage. InvertedUsageRange when a range's minimum lies above its maximum.
    [[nodiscard]] HidDescriptorError Resolve(std::uint16_t usagePage,
                                             std::vector<HidResolvedUsage>& resolved) const;

    // Local items describe only the next main item: every main item ends
    // them.
    void Clear() { *this = HidLocalState{}; }

private:
    // A Usage (or Usage Minimum / Maximum) value as written.
    struct Usage {
        std::uint32_t value = 0;
        bool extended = false;  // a 4-byte item: the high half is its usage page
    };

    struct Entry {
        Usage minimum;
        Usage maximum;
        bool isRange = false;
    };

    void CompleteRange();
    void AddEntry(const Entry& entry);

    std::vector<Entry> m_entries;
    std::optional<Usage> m_pendingMinimum;
    std::optional<Usage> m_pendingMaximum;
    int m_delimiterDepth = 0;
    bool m_delimiterSetTaken = false;
};

}  // namespace varlok::device
