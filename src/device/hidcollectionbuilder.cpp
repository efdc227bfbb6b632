#include "device/hidcollectionbuilder.h"

#include <algorithm>

#include "device/hiditemreader.h"
#include "device/hidusages.h"

namespace varlok::device {

namespace {

// Report byte lengths are 16-bit and count the report id byte.
constexpr std::uint64_t kMaxReportBits = (std::uint64_t{0xFFFF} - 1) * 8;
constexpr std::size_t kMaxCollectionDepth = 64;
// Total usage-list entries HidDevice would allocate for one report kind.
constexpr std::uint64_t kMaxUsageSlots = std::uint64_t{1} << 20;
constexpr std::uint32_t kMaxCount16 = 0xFFFF;

std::uint32_t UsageCount(const HidResolvedUsage& usage) {
    return std::uint32_t{usage.maximum} - usage.minimum + 1;
}

template <typename T>
std::uint16_t CountOf(const std::array<std::vector<T>, kReportKindCount>& lists, ReportKind kind) {
    return static_cast<std::uint16_t>(lists[KindIndex(kind)].size());
}

// Data indices are handed out contiguously from 0 per kind, so the count is
// one past the highest index in use; TakeDataIndices keeps it within 16 bits.
std::uint16_t DataIndexCount(const HidTopLevelCollection& collection, ReportKind kind) {
    std::uint32_t count = 0;
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        count = std::max<std::uint32_t>(count, caps.dataIndexMax + 1u);
    }
    for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
        count = std::max<std::uint32_t>(count, caps.dataIndexMax + 1u);
    }
    return static_cast<std::uint16_t>(count);
}

}  // namespace

// A collection at the outermost level starts a top-level collection; nested
// ones are its link collections, numbered from 1 in descriptor order (0 is
// the top level).
HidDescriptorError HidCollectionBuilder::OpenCollection(const HidGlobalItems& global,
                                                        const HidLocalState& local) {
    if (m_collectionStack.size() >= kMaxCollectionDepth) {
        return HidDescriptorError::StackTooDeep;
    }
    std::vector<HidResolvedUsage> usages;
    if (const auto error = local.Resolve(global.usagePage, usages);
        error != HidDescriptorError::None) {
        return error;
    }
    if (m_collectionStack.empty()) {
        HidTopLevelCollection collection;
        if (!usages.empty()) {
            collection.usagePage = usages.front().page;
            collection.usage = usages.front().minimum;
        }
        collection.caps.usagePage = collection.usagePage;
        collection.caps.usage = collection.usage;
        collection.caps.numberLinkCollectionNodes = 1;
        m_collections.push_back(std::move(collection));
        m_dataIndices = {};
        m_collectionStack.push_back(0);
        return HidDescriptorError::None;
    }
    HidCaps& caps = m_collections.back().caps;
    if (caps.numberLinkCollectionNodes >= kMaxCount16) {
        return HidDescriptorError::TooComplex;
    }
    m_collectionStack.push_back(caps.numberLinkCollectionNodes);
    ++caps.numberLinkCollectionNodes;
    return HidDescriptorError::None;
}

HidDescriptorError HidCollectionBuilder::CloseCollection() {
    if (m_collectionStack.empty()) {
        return HidDescriptorError::UnbalancedCollection;
    }
    m_collectionStack.pop_back();
    return HidDescriptorError::None;
}

// HID 1.11 §6.2.2.5 Input, Output, and Feature Items: lays the fields out in
// their report and describes them as caps the way Windows does: arrays and
// 1-bit variable fields as button caps, wider variable fields as value caps,
// one cap per usage or usage range; fields beyond the declared usages repeat
// the last usage.
HidDescriptorError HidCollectionBuilder::AddField(ReportKind kind, std::uint32_t flags,
                                                  const HidGlobalItems& global,
                                                  const HidLocalState& local) {
    const std::size_t k = KindIndex(kind);
    const std::uint64_t bits = std::uint64_t{global.reportSize} * global.reportCount;
    std::uint64_t& reportBits = m_reportBits[k][global.reportId];
    if (bits > kMaxReportBits - reportBits) {
        return HidDescriptorError::ReportTooLong;
    }
    const auto fieldOffset = static_cast<std::uint32_t>(reportBits);
    reportBits += bits;
    if (m_collectionStack.empty() || bits == 0) {
        // A field outside every collection belongs to no top-level
        // collection; it still takes its room in the report.
        return HidDescriptorError::None;
    }
    if (global.reportSize > kMaxCount16 || global.reportCount > kMaxCount16) {
        return HidDescriptorError::TooComplex;
    }
    m_collections.back().reportIds[k].push_back(global.reportId);

    std::vector<HidResolvedUsage> usages;
    if (const auto error = local.Resolve(global.usagePage, usages);
        error != HidDescriptorError::None) {
        return error;
    }
    const bool constant = (flags & hiditem::kFlagConstant) != 0;
    if (constant && usages.empty()) {
        return HidDescriptorError::None;  // padding
    }
    if (usages.empty()) {
        usages.push_back({global.usagePage, 0, 0, false});
    }

    const FieldContext field{global, kind, flags, fieldOffset, global.ReadExtents()};
    if ((flags & hiditem::kFlagVariable) == 0) {
        return AddArrayCaps(field, usages);
    }
    return AddVariableCaps(field, usages);
}

template <typename Caps>
void HidCollectionBuilder::FillCommon(Caps& caps, const FieldContext& field,
                                      const HidResolvedUsage& usage,
                                      std::uint32_t bitOffset) const {
    caps.usagePage = usage.page;
    caps.reportId = field.global.reportId;
    caps.linkCollection = m_collectionStack.back();
    caps.isRange = usage.isRange;
    caps.usageMin = usage.minimum;
    caps.usageMax = usage.maximum;
    caps.logicalMin = field.extents.logicalMinimum;
    caps.logicalMax = field.extents.logicalMaximum;
    caps.bitOffset = bitOffset;
    caps.bitField = static_cast<std::uint16_t>(field.flags);
    caps.isAbsolute = (field.flags & hiditem::kFlagRelative) == 0;
}

HidDescriptorError HidCollectionBuilder::TakeDataIndices(ReportKind kind,
                                                         const HidResolvedUsage& usage,
                                                         std::uint16_t& first,
                                                         std::uint16_t& last) {
    std::uint32_t& next = m_dataIndices[KindIndex(kind)];
    // The caps count data indices in 16 bits, so the highest index a
    // collection may hand out is 0xFFFE: one more could not be counted.
    const std::uint32_t count = UsageCount(usage);
    if (next + count > kMaxCount16) {
        return HidDescriptorError::TooComplex;
    }
    first = static_cast<std::uint16_t>(next);
    last = static_cast<std::uint16_t>(next + count - 1);
    next += count;
    return HidDescriptorError::None;
}

// An array (selector) field: every field holds the index of one asserted
// usage. All caps of the item share the fields; each covers its slice of the
// index space.
HidDescriptorError HidCollectionBuilder::AddArrayCaps(const FieldContext& field,
                                                      const std::vector<HidResolvedUsage>& usages) {
    std::vector<HidButtonCaps>& list = m_collections.back().buttonCaps[KindIndex(field.kind)];
    std::uint32_t indexBase = 0;
    for (const HidResolvedUsage& usage : usages) {
        HidButtonCaps caps;
        FillCommon(caps, field, usage, field.bitOffset);
        caps.isArray = true;
        caps.bitSize = static_cast<std::uint16_t>(field.global.reportSize);
        caps.reportCount = static_cast<std::uint16_t>(field.global.reportCount);
        caps.arrayIndexBase = indexBase;
        if (const auto error =
                TakeDataIndices(field.kind, usage, caps.dataIndexMin, caps.dataIndexMax);
            error != HidDescriptorError::None) {
            return error;
        }
        indexBase += UsageCount(usage);
        if (list.size() >= kMaxCount16) {
            return HidDescriptorError::TooComplex;
        }
        list.push_back(caps);
    }
    return HidDescriptorError::None;
}

HidDescriptorError HidCollectionBuilder::AddVariableCaps(
    const FieldContext& field, const std::vector<HidResolvedUsage>& usages) {
    const std::size_t k = KindIndex(field.kind);
    HidTopLevelCollection& collection = m_collections.back();
    const std::uint32_t size = field.global.reportSize;
    std::uint32_t remaining = field.global.reportCount;
    std::uint32_t fieldIndex = 0;
    for (std::size_t i = 0; i < usages.size() && remaining > 0; ++i) {
        HidResolvedUsage usage = usages[i];
        const std::uint32_t usageCount = UsageCount(usage);
        const bool last = i + 1 == usages.size();
        const std::uint32_t taken = last ? remaining : std::min(usageCount, remaining);
        if (taken < usageCount) {
            usage.maximum = static_cast<std::uint16_t>(usage.minimum + taken - 1);
        }
        const std::uint32_t bitOffset = field.bitOffset + fieldIndex * size;
        fieldIndex += taken;
        remaining -= taken;

        std::uint16_t dataIndexMin = 0;
        std::uint16_t dataIndexMax = 0;
        if (const auto error = TakeDataIndices(field.kind, usage, dataIndexMin, dataIndexMax);
            error != HidDescriptorError::None) {
            return error;
        }
        if (size == 1) {
            HidButtonCaps caps;
            FillCommon(caps, field, usage, bitOffset);
            caps.dataIndexMin = dataIndexMin;
            caps.dataIndexMax = dataIndexMax;
            caps.bitSize = 1;
            caps.reportCount = static_cast<std::uint16_t>(taken);
            if (collection.buttonCaps[k].size() >= kMaxCount16) {
                return HidDescriptorError::TooComplex;
            }
            collection.buttonCaps[k].push_back(caps);
        } else {
            HidValueCaps caps;
            FillCommon(caps, field, usage, bitOffset);
            caps.dataIndexMin = dataIndexMin;
            caps.dataIndexMax = dataIndexMax;
            caps.hasNull = (field.flags & hiditem::kFlagNullState) != 0;
            caps.bitSize = static_cast<std::uint16_t>(size);
            caps.reportCount = static_cast<std::uint16_t>(taken);
            caps.physicalMin = field.extents.physicalMinimum;
            caps.physicalMax = field.extents.physicalMaximum;
            caps.units = field.global.unit;
            caps.unitsExponent = field.global.unitExponent;
            if (collection.valueCaps[k].size() >= kMaxCount16) {
                return HidDescriptorError::TooComplex;
            }
            collection.valueCaps[k].push_back(caps);
        }
    }
    return HidDescriptorError::None;
}

HidDescriptorError HidCollectionBuilder::Finish() {
    for (HidTopLevelCollection& collection : m_collections) {
        std::array<std::uint16_t, kReportKindCount> lengths{};
        for (std::size_t k = 0; k < kReportKindCount; ++k) {
            auto& ids = collection.reportIds[k];
            std::sort(ids.begin(), ids.end());
            ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
            std::uint64_t longest = 0;
            for (const std::uint8_t id : ids) {
                longest = std::max(longest, m_reportBits[k][id]);
            }
            lengths[k] = ids.empty() ? 0 : static_cast<std::uint16_t>(1 + (longest + 7) / 8);

            const auto kind = static_cast<ReportKind>(k);
            std::uint64_t usageSlots = 0;
            for (const HidButtonCaps& caps : collection.buttonCaps[k]) {
                usageSlots += MaxUsageListLength(collection, kind, caps.usagePage);
                if (usageSlots > kMaxUsageSlots) {
                    return HidDescriptorError::TooComplex;
                }
            }
        }
        HidCaps& caps = collection.caps;
        caps.inputReportByteLength = lengths[KindIndex(ReportKind::Input)];
        caps.outputReportByteLength = lengths[KindIndex(ReportKind::Output)];
        caps.featureReportByteLength = lengths[KindIndex(ReportKind::Feature)];
        caps.numberInputButtonCaps = CountOf(collection.buttonCaps, ReportKind::Input);
        caps.numberInputValueCaps = CountOf(collection.valueCaps, ReportKind::Input);
        caps.numberInputDataIndices = DataIndexCount(collection, ReportKind::Input);
        caps.numberOutputButtonCaps = CountOf(collection.buttonCaps, ReportKind::Output);
        caps.numberOutputValueCaps = CountOf(collection.valueCaps, ReportKind::Output);
        caps.numberOutputDataIndices = DataIndexCount(collection, ReportKind::Output);
        caps.numberFeatureButtonCaps = CountOf(collection.buttonCaps, ReportKind::Feature);
        caps.numberFeatureValueCaps = CountOf(collection.valueCaps, ReportKind::Feature);
        caps.numberFeatureDataIndices = DataIndexCount(collection, ReportKind::Feature);
    }
    return HidDescriptorError::None;
}

}  // namespace varlok::device
