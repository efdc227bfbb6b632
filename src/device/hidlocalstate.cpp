#include "device/hidlocalstate.h"

namespace varlok::device {

void HidLocalState::Apply(const HidItem& item) {
    const Usage usage{item.unsignedData, item.size == 4};
    switch (item.tag) {
        case hiditem::kTagUsage:
            AddEntry({usage, usage, false});
            break;
        case hiditem::kTagUsageMinimum:
            m_pendingMinimum = usage;
            CompleteRange();
            break;
        case hiditem::kTagUsageMaximum:
            m_pendingMaximum = usage;
            CompleteRange();
            break;
        case hiditem::kTagDelimiter:
            // Delimiter data 1 opens a set, 0 closes it.
            if (item.unsignedData == 1) {
                if (m_delimiterDepth == 0) {
                    m_delimiterSetTaken = false;
                }
                ++m_delimiterDepth;
            } else if (item.unsignedData == 0 && m_delimiterDepth > 0) {
                --m_delimiterDepth;
            }
            break;
        default:
            break;  // designators, strings and reserved tags: ignored
    }
}

HidDescriptorError HidLocalState::Resolve(std::uint16_t usagePage,
                                          std::vector<HidResolvedUsage>& resolved) const {
    std::vector<Entry> entries = m_entries;
    for (const auto& lone : {m_pendingMinimum, m_pendingMaximum}) {
        if (lone) {
            entries.push_back({*lone, *lone, false});
        }
    }
    for (const Entry& entry : entries) {
        HidResolvedUsage usage;
        usage.page = entry.minimum.extended ? static_cast<std::uint16_t>(entry.minimum.value >> 16)
                                            : usagePage;
        usage.minimum = static_cast<std::uint16_t>(entry.minimum.value);
        usage.maximum = static_cast<std::uint16_t>(entry.maximum.value);
        usage.isRange = entry.isRange;
        if (usage.minimum > usage.maximum) {
            return HidDescriptorError::InvertedUsageRange;
        }
        resolved.push_back(usage);
    }
    return HidDescriptorError::None;
}

void HidLocalState::CompleteRange() {
    if (m_pendingMinimum && m_pendingMaximum) {
        AddEntry({*m_pendingMinimum, *m_pendingMaximum, true});
        m_pendingMinimum.reset();
        m_pendingMaximum.reset();
    }
}

void HidLocalState::AddEntry(const Entry& entry) {
    if (m_delimiterDepth > 0) {
        if (m_delimiterSetTaken) {
            return;
        }
        m_delimiterSetTaken = true;
    }
    m_entries.push_back(entry);
}

}  // namespace varlok::device
