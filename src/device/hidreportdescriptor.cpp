#include "device/hidreportdescriptor.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "device/hidusages.h"

namespace varlok::device {

namespace {

constexpr std::size_t kKindCount = 3;
// Report byte lengths are 16-bit and count the report id byte.
constexpr std::uint64_t kMaxReportBits = (std::uint64_t{0xFFFF} - 1) * 8;
// Push nesting and collection nesting each.
constexpr std::size_t kMaxStackDepth = 64;
// Total usage-list entries HidDevice would allocate for one report kind.
constexpr std::uint64_t kMaxUsageSlots = std::uint64_t{1} << 20;
constexpr std::uint32_t kMaxCount16 = 0xFFFF;

// Item types and the long-item prefix (HID 1.11 §6.2.2.2 Short Items,
// §6.2.2.3 Long Items).
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kTypeLocal = 2;
constexpr std::uint8_t kLongItemPrefix = 0xFE;

// Main item tags (HID 1.11 §6.2.2.4 Main Items).
constexpr std::uint8_t kTagInput = 0x8;
constexpr std::uint8_t kTagOutput = 0x9;
constexpr std::uint8_t kTagCollection = 0xA;
constexpr std::uint8_t kTagFeature = 0xB;
constexpr std::uint8_t kTagEndCollection = 0xC;

// Global item tags (HID 1.11 §6.2.2.7 Global Items).
constexpr std::uint8_t kTagUsagePage = 0x0;
constexpr std::uint8_t kTagLogicalMinimum = 0x1;
constexpr std::uint8_t kTagLogicalMaximum = 0x2;
constexpr std::uint8_t kTagPhysicalMinimum = 0x3;
constexpr std::uint8_t kTagPhysicalMaximum = 0x4;
constexpr std::uint8_t kTagUnitExponent = 0x5;
constexpr std::uint8_t kTagUnit = 0x6;
constexpr std::uint8_t kTagReportSize = 0x7;
constexpr std::uint8_t kTagReportId = 0x8;
constexpr std::uint8_t kTagReportCount = 0x9;
constexpr std::uint8_t kTagPush = 0xA;
constexpr std::uint8_t kTagPop = 0xB;

// Local item tags (HID 1.11 §6.2.2.8 Local Items). Designator and string
// items are accepted and ignored: the records have no place for them.
constexpr std::uint8_t kTagUsage = 0x0;
constexpr std::uint8_t kTagUsageMinimum = 0x1;
constexpr std::uint8_t kTagUsageMaximum = 0x2;
constexpr std::uint8_t kTagDelimiter = 0xA;

// Main item data bits (HID 1.11 §6.2.2.5 Input, Output, and Feature Items).
constexpr std::uint32_t kFlagConstant = 1u << 0;
constexpr std::uint32_t kFlagVariable = 1u << 1;
constexpr std::uint32_t kFlagRelative = 1u << 2;
constexpr std::uint32_t kFlagNullState = 1u << 6;

struct Item {
    std::uint8_t type = 0;
    std::uint8_t tag = 0;
    std::size_t size = 0;  // data bytes: 0, 1, 2 or 4
    std::uint32_t unsignedData = 0;
    std::int32_t signedData = 0;
};

// A logical or physical extent keeps both readings until the main item,
// because whether the maximum is signed depends on the minimum.
struct RawNumber {
    std::uint32_t unsignedData = 0;
    std::int32_t signedData = 0;
};

struct GlobalState {
    std::uint16_t usagePage = 0;
    RawNumber logicalMinimum;
    RawNumber logicalMaximum;
    RawNumber physicalMinimum;
    RawNumber physicalMaximum;
    std::int8_t unitExponent = 0;
    std::uint32_t unit = 0;
    std::uint32_t reportSize = 0;
    std::uint8_t reportId = 0;
    std::uint32_t reportCount = 0;
};

// A Usage (or Usage Minimum / Maximum) value as written: a 4-byte item
// carries its own usage page in the high half (HID 1.11 §6.2.2.8).
struct LocalUsage {
    std::uint32_t value = 0;
    bool extended = false;
};

struct UsageEntry {
    LocalUsage minimum;
    LocalUsage maximum;
    bool isRange = false;
};

struct LocalState {
    std::vector<UsageEntry> usages;
    std::optional<LocalUsage> pendingMinimum;
    std::optional<LocalUsage> pendingMaximum;
    int delimiterDepth = 0;
    bool delimiterSetTaken = false;
};

// A usage entry with its page resolved at the main item.
struct ResolvedUsage {
    std::uint16_t page = 0;
    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    bool isRange = false;
};

struct Extents {
    std::int32_t logicalMinimum = 0;
    std::int32_t logicalMaximum = 0;
    std::int32_t physicalMinimum = 0;
    std::int32_t physicalMaximum = 0;
};

// HID 1.11 §6.2.2.7: a maximum is read unsigned unless its minimum is negative,
// which is how devices write ranges like 0..255 in one byte.
std::pair<std::int32_t, std::int32_t> ReadExtent(const RawNumber& minimum,
                                                 const RawNumber& maximum) {
    const std::int32_t low = minimum.signedData;
    const std::int32_t high =
        low < 0 ? maximum.signedData : static_cast<std::int32_t>(maximum.unsignedData);
    return {low, high};
}

std::size_t KindIndex(ReportKind kind) {
    return static_cast<std::size_t>(kind);
}

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> descriptor) : m_descriptor(descriptor) {}

    HidDescriptorResult Run() {
        std::size_t position = 0;
        while (position < m_descriptor.size()) {
            const std::uint8_t prefix = m_descriptor[position];
            if (prefix == kLongItemPrefix) {
                // HID 1.11 §6.2.2.3 Long Items: no long item tags are defined;
                // skip the data.
                if (m_descriptor.size() - position < 3) {
                    return Fail(HidDescriptorError::Truncated, position);
                }
                const std::size_t dataSize = m_descriptor[position + 1];
                if (m_descriptor.size() - position - 3 < dataSize) {
                    return Fail(HidDescriptorError::Truncated, position);
                }
                position += 3 + dataSize;
                continue;
            }
            const std::size_t sizeCode = prefix & 0x3u;
            Item item;
            item.size = sizeCode == 3 ? 4 : sizeCode;
            item.type = static_cast<std::uint8_t>((prefix >> 2) & 0x3u);
            item.tag = static_cast<std::uint8_t>(prefix >> 4);
            if (m_descriptor.size() - position - 1 < item.size) {
                return Fail(HidDescriptorError::Truncated, position);
            }
            for (std::size_t i = 0; i < item.size; ++i) {
                item.unsignedData |= std::uint32_t{m_descriptor[position + 1 + i]} << (8 * i);
            }
            item.signedData = SignExtend(item.unsignedData, item.size);
            const HidDescriptorError error = Handle(item);
            if (error != HidDescriptorError::None) {
                return Fail(error, position);
            }
            position += 1 + item.size;
        }
        if (!m_collectionStack.empty()) {
            return Fail(HidDescriptorError::UnclosedCollection, m_descriptor.size());
        }
        return Finish();
    }

    std::vector<HidTopLevelCollection> TakeCollections() { return std::move(m_collections); }
    bool Numbered() const { return m_numbered; }

private:
    static std::int32_t SignExtend(std::uint32_t value, std::size_t size) {
        switch (size) {
            case 1:
                return static_cast<std::int8_t>(value);
            case 2:
                return static_cast<std::int16_t>(value);
            case 4:
                return static_cast<std::int32_t>(value);
            default:
                return 0;
        }
    }

    static HidDescriptorResult Fail(HidDescriptorError error, std::size_t offset) {
        return {error, offset};
    }

    HidDescriptorError Handle(const Item& item) {
        switch (item.type) {
            case kTypeMain:
                return HandleMain(item);
            case kTypeGlobal:
                return HandleGlobal(item);
            case kTypeLocal:
                return HandleLocal(item);
            default:
                return HidDescriptorError::None;  // reserved type: ignored
        }
    }

    HidDescriptorError HandleGlobal(const Item& item) {
        switch (item.tag) {
            case kTagUsagePage:
                m_global.usagePage = static_cast<std::uint16_t>(item.unsignedData);
                break;
            case kTagLogicalMinimum:
                m_global.logicalMinimum = {item.unsignedData, item.signedData};
                break;
            case kTagLogicalMaximum:
                m_global.logicalMaximum = {item.unsignedData, item.signedData};
                break;
            case kTagPhysicalMinimum:
                m_global.physicalMinimum = {item.unsignedData, item.signedData};
                break;
            case kTagPhysicalMaximum:
                m_global.physicalMaximum = {item.unsignedData, item.signedData};
                break;
            case kTagUnitExponent:
                // HID 1.11 writes the exponent as a signed nibble; many devices
                // write a signed byte instead (0xFE for -2). Accept both.
                if (item.unsignedData <= 0xF) {
                    m_global.unitExponent = static_cast<std::int8_t>(
                        item.unsignedData >= 8 ? static_cast<int>(item.unsignedData) - 16
                                               : static_cast<int>(item.unsignedData));
                } else {
                    m_global.unitExponent = static_cast<std::int8_t>(
                        std::clamp(item.signedData, std::int32_t{-128}, std::int32_t{127}));
                }
                break;
            case kTagUnit:
                m_global.unit = item.unsignedData;
                break;
            case kTagReportSize:
                m_global.reportSize = item.unsignedData;
                break;
            case kTagReportId:
                if (item.unsignedData == 0 || item.unsignedData > 0xFF) {
                    return HidDescriptorError::BadReportId;
                }
                m_global.reportId = static_cast<std::uint8_t>(item.unsignedData);
                m_numbered = true;
                break;
            case kTagReportCount:
                m_global.reportCount = item.unsignedData;
                break;
            case kTagPush:
                if (m_globalStack.size() >= kMaxStackDepth) {
                    return HidDescriptorError::StackTooDeep;
                }
                m_globalStack.push_back(m_global);
                break;
            case kTagPop:
                if (m_globalStack.empty()) {
                    return HidDescriptorError::BadPop;
                }
                m_global = m_globalStack.back();
                m_globalStack.pop_back();
                break;
            default:
                break;  // reserved global tag: ignored
        }
        return HidDescriptorError::None;
    }

    HidDescriptorError HandleLocal(const Item& item) {
        const LocalUsage usage{item.unsignedData, item.size == 4};
        switch (item.tag) {
            case kTagUsage:
                AddUsage({usage, usage, false});
                break;
            case kTagUsageMinimum:
                m_local.pendingMinimum = usage;
                CompleteRange();
                break;
            case kTagUsageMaximum:
                m_local.pendingMaximum = usage;
                CompleteRange();
                break;
            case kTagDelimiter:
                // HID 1.11 §6.2.2.8 Delimiter: a set of alternative usages for
                // one control. We keep the first (preferred) usage of each set.
                if (item.unsignedData == 1) {
                    if (m_local.delimiterDepth == 0) {
                        m_local.delimiterSetTaken = false;
                    }
                    ++m_local.delimiterDepth;
                } else if (item.unsignedData == 0 && m_local.delimiterDepth > 0) {
                    --m_local.delimiterDepth;
                }
                break;
            default:
                break;  // designators, strings and reserved tags: ignored
        }
        return HidDescriptorError::None;
    }

    void CompleteRange() {
        if (m_local.pendingMinimum && m_local.pendingMaximum) {
            AddUsage({*m_local.pendingMinimum, *m_local.pendingMaximum, true});
            m_local.pendingMinimum.reset();
            m_local.pendingMaximum.reset();
        }
    }

    void AddUsage(const UsageEntry& entry) {
        if (m_local.delimiterDepth > 0) {
            if (m_local.delimiterSetTaken) {
                return;
            }
            m_local.delimiterSetTaken = true;
        }
        m_local.usages.push_back(entry);
    }

    std::uint16_t PageOf(const LocalUsage& usage) const {
        return usage.extended ? static_cast<std::uint16_t>(usage.value >> 16) : m_global.usagePage;
    }

    // Resolves the local usages against the usage page in force at the main
    // item; a lone Usage Minimum or Maximum counts as a single usage.
    HidDescriptorError ResolveUsages(std::vector<ResolvedUsage>& resolved) const {
        std::vector<UsageEntry> entries = m_local.usages;
        for (const auto& lone : {m_local.pendingMinimum, m_local.pendingMaximum}) {
            if (lone) {
                entries.push_back({*lone, *lone, false});
            }
        }
        for (const UsageEntry& entry : entries) {
            ResolvedUsage usage;
            usage.page = PageOf(entry.minimum);
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

    HidDescriptorError HandleMain(const Item& item) {
        HidDescriptorError error = HidDescriptorError::None;
        switch (item.tag) {
            case kTagInput:
                error = AddField(ReportKind::Input, item.unsignedData);
                break;
            case kTagOutput:
                error = AddField(ReportKind::Output, item.unsignedData);
                break;
            case kTagFeature:
                error = AddField(ReportKind::Feature, item.unsignedData);
                break;
            case kTagCollection:
                error = OpenCollection();
                break;
            case kTagEndCollection:
                if (m_collectionStack.empty()) {
                    return HidDescriptorError::UnbalancedCollection;
                }
                m_collectionStack.pop_back();
                break;
            default:
                break;  // reserved main tag: ignored
        }
        // Local items describe only the next main item (HID 1.11 §6.2.2.8).
        m_local = LocalState{};
        return error;
    }

    // HID 1.11 §6.2.2.6 Collection, End Collection Items. A collection at the
    // outermost level starts a top-level collection; nested ones are its link
    // collections, numbered from 1 in descriptor order (0 is the top level).
    HidDescriptorError OpenCollection() {
        if (m_collectionStack.size() >= kMaxStackDepth) {
            return HidDescriptorError::StackTooDeep;
        }
        std::vector<ResolvedUsage> usages;
        if (const auto error = ResolveUsages(usages); error != HidDescriptorError::None) {
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

    // HID 1.11 §6.2.2.5 Input, Output, and Feature Items: lays the fields out
    // in their report and describes them as caps the way Windows does: arrays
    // and 1-bit variable fields as button caps, wider variable fields as value
    // caps, one cap per usage or usage range; fields beyond the declared
    // usages repeat the last usage.
    HidDescriptorError AddField(ReportKind kind, std::uint32_t flags) {
        const std::size_t k = KindIndex(kind);
        const std::uint64_t bits = std::uint64_t{m_global.reportSize} * m_global.reportCount;
        std::uint64_t& reportBits = m_reportBits[k][m_global.reportId];
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
        if (m_global.reportSize > kMaxCount16 || m_global.reportCount > kMaxCount16) {
            return HidDescriptorError::TooComplex;
        }
        HidTopLevelCollection& collection = m_collections.back();
        collection.reportIds[k].push_back(m_global.reportId);

        std::vector<ResolvedUsage> usages;
        if (const auto error = ResolveUsages(usages); error != HidDescriptorError::None) {
            return error;
        }
        const bool constant = (flags & kFlagConstant) != 0;
        if (constant && usages.empty()) {
            return HidDescriptorError::None;  // padding
        }
        if (usages.empty()) {
            usages.push_back({m_global.usagePage, 0, 0, false});
        }

        FieldContext field;
        field.kind = kind;
        field.flags = flags;
        field.bitOffset = fieldOffset;
        const auto [logicalMinimum, logicalMaximum] =
            ReadExtent(m_global.logicalMinimum, m_global.logicalMaximum);
        const auto [physicalMinimum, physicalMaximum] =
            ReadExtent(m_global.physicalMinimum, m_global.physicalMaximum);
        field.extents = {logicalMinimum, logicalMaximum, physicalMinimum, physicalMaximum};

        if ((flags & kFlagVariable) == 0) {
            return AddArrayCaps(field, usages);
        }
        return AddVariableCaps(field, usages);
    }

    struct FieldContext {
        ReportKind kind = ReportKind::Input;
        std::uint32_t flags = 0;
        std::uint32_t bitOffset = 0;
        Extents extents;
    };

    std::uint16_t LinkCollection() const { return m_collectionStack.back(); }

    // The fields button caps and value caps have in common.
    template <typename Caps>
    void FillCommon(Caps& caps, const FieldContext& field, const ResolvedUsage& usage,
                    std::uint32_t bitOffset) const {
        caps.usagePage = usage.page;
        caps.reportId = m_global.reportId;
        caps.linkCollection = LinkCollection();
        caps.isRange = usage.isRange;
        caps.usageMin = usage.minimum;
        caps.usageMax = usage.maximum;
        caps.logicalMin = field.extents.logicalMinimum;
        caps.logicalMax = field.extents.logicalMaximum;
        caps.bitOffset = bitOffset;
        caps.bitField = static_cast<std::uint16_t>(field.flags);
        caps.isAbsolute = (field.flags & kFlagRelative) == 0;
    }

    HidDescriptorError TakeDataIndices(ReportKind kind, const ResolvedUsage& usage,
                                       std::uint16_t& first, std::uint16_t& last) {
        std::uint32_t& next = m_dataIndices[KindIndex(kind)];
        // The caps count data indices in 16 bits, so the highest index a
        // collection may hand out is 0xFFFE: one more could not be counted.
        const std::uint32_t count = std::uint32_t{usage.maximum} - usage.minimum + 1;
        if (next + count > kMaxCount16) {
            return HidDescriptorError::TooComplex;
        }
        first = static_cast<std::uint16_t>(next);
        last = static_cast<std::uint16_t>(next + count - 1);
        next += count;
        return HidDescriptorError::None;
    }

    // An array (selector) field: every field holds the index of one asserted
    // usage. All caps of the item share the fields; each covers its slice of
    // the index space.
    HidDescriptorError AddArrayCaps(const FieldContext& field,
                                    const std::vector<ResolvedUsage>& usages) {
        std::vector<HidButtonCaps>& list = m_collections.back().buttonCaps[KindIndex(field.kind)];
        std::uint32_t indexBase = 0;
        for (const ResolvedUsage& usage : usages) {
            HidButtonCaps caps;
            FillCommon(caps, field, usage, field.bitOffset);
            caps.isArray = true;
            caps.bitSize = static_cast<std::uint16_t>(m_global.reportSize);
            caps.reportCount = static_cast<std::uint16_t>(m_global.reportCount);
            caps.arrayIndexBase = indexBase;
            if (const auto error =
                    TakeDataIndices(field.kind, usage, caps.dataIndexMin, caps.dataIndexMax);
                error != HidDescriptorError::None) {
                return error;
            }
            indexBase += std::uint32_t{usage.maximum} - usage.minimum + 1;
            if (list.size() >= kMaxCount16) {
                return HidDescriptorError::TooComplex;
            }
            list.push_back(caps);
        }
        return HidDescriptorError::None;
    }

    HidDescriptorError AddVariableCaps(const FieldContext& field,
                                       std::vector<ResolvedUsage> usages) {
        const std::size_t k = KindIndex(field.kind);
        HidTopLevelCollection& collection = m_collections.back();
        const std::uint32_t size = m_global.reportSize;
        std::uint32_t remaining = m_global.reportCount;
        std::uint32_t fieldIndex = 0;
        for (std::size_t i = 0; i < usages.size() && remaining > 0; ++i) {
            ResolvedUsage usage = usages[i];
            const std::uint32_t usageCount = std::uint32_t{usage.maximum} - usage.minimum + 1;
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
                caps.hasNull = (field.flags & kFlagNullState) != 0;
                caps.bitSize = static_cast<std::uint16_t>(size);
                caps.reportCount = static_cast<std::uint16_t>(taken);
                caps.physicalMin = field.extents.physicalMinimum;
                caps.physicalMax = field.extents.physicalMaximum;
                caps.units = m_global.unit;
                caps.unitsExponent = m_global.unitExponent;
                if (collection.valueCaps[k].size() >= kMaxCount16) {
                    return HidDescriptorError::TooComplex;
                }
                collection.valueCaps[k].push_back(caps);
            }
        }
        return HidDescriptorError::None;
    }

    HidDescriptorResult Finish() {
        for (HidTopLevelCollection& collection : m_collections) {
            std::array<std::uint16_t, kKindCount> lengths{};
            for (std::size_t k = 0; k < kKindCount; ++k) {
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
                        return Fail(HidDescriptorError::TooComplex, m_descriptor.size());
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
        return {};
    }

    template <typename T>
    static std::uint16_t CountOf(const std::array<std::vector<T>, 3>& lists, ReportKind kind) {
        return static_cast<std::uint16_t>(lists[KindIndex(kind)].size());
    }

    // Data indices are handed out contiguously from 0 per kind, so the count
    // is one past the highest index in use; TakeDataIndices keeps it within
    // 16 bits.
    static std::uint16_t DataIndexCount(const HidTopLevelCollection& collection, ReportKind kind) {
        std::uint32_t count = 0;
        for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
            count = std::max<std::uint32_t>(count, caps.dataIndexMax + 1u);
        }
        for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
            count = std::max<std::uint32_t>(count, caps.dataIndexMax + 1u);
        }
        return static_cast<std::uint16_t>(count);
    }

    std::span<const std::uint8_t> m_descriptor;
    GlobalState m_global;
    std::vector<GlobalState> m_globalStack;
    LocalState m_local;
    std::vector<std::uint16_t> m_collectionStack;  // link collection numbers
    std::vector<HidTopLevelCollection> m_collections;
    std::array<std::uint32_t, kKindCount> m_dataIndices{};
    std::array<std::array<std::uint64_t, 256>, kKindCount> m_reportBits{};
    bool m_numbered = false;
};

}  // namespace

std::string_view DescribeDescriptorError(HidDescriptorError error) {
    switch (error) {
        case HidDescriptorError::None:
            return "no error";
        case HidDescriptorError::Truncated:
            return "an item runs past the end of the report descriptor";
        case HidDescriptorError::BadReportId:
            return "a Report ID item holds 0 or a value above 255";
        case HidDescriptorError::ReportTooLong:
            return "a report is longer than 65534 bytes";
        case HidDescriptorError::UnbalancedCollection:
            return "End Collection without an open collection";
        case HidDescriptorError::UnclosedCollection:
            return "the report descriptor ends inside a collection";
        case HidDescriptorError::BadPop:
            return "Pop without a matching Push";
        case HidDescriptorError::StackTooDeep:
            return "Push items or collections are nested too deeply";
        case HidDescriptorError::InvertedUsageRange:
            return "a Usage Minimum lies above its Usage Maximum";
        case HidDescriptorError::TooComplex:
            return "the report descriptor declares more controls than can be counted";
    }
    return "unknown error";
}

std::span<const HidButtonCaps> HidTopLevelCollection::ButtonCaps(ReportKind kind) const {
    return buttonCaps[KindIndex(kind)];
}

std::span<const HidValueCaps> HidTopLevelCollection::ValueCaps(ReportKind kind) const {
    return valueCaps[KindIndex(kind)];
}

std::span<const std::uint8_t> HidTopLevelCollection::ReportIds(ReportKind kind) const {
    return reportIds[KindIndex(kind)];
}

bool HidTopLevelCollection::HasReportId(ReportKind kind, std::uint8_t reportId) const {
    const auto& ids = reportIds[KindIndex(kind)];
    return std::binary_search(ids.begin(), ids.end(), reportId);
}

HidDescriptorResult HidReportDescriptor::Parse(std::span<const std::uint8_t> descriptor) {
    m_collections.clear();
    m_numbered = false;
    Parser parser(descriptor);
    const HidDescriptorResult result = parser.Run();
    if (result.Ok()) {
        m_collections = parser.TakeCollections();
        m_numbered = parser.Numbered();
    }
    return result;
}

const std::vector<HidTopLevelCollection>& HidReportDescriptor::Collections() const {
    return m_collections;
}

bool HidReportDescriptor::Numbered() const {
    return m_numbered;
}

}  // namespace varlok::device
