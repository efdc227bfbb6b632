#include "device/hidusages.h"

#include <algorithm>
#include <optional>

namespace varlok::device {

namespace {

// Bits of the report id byte in front of every field.
constexpr std::uint64_t kReportIdBits = 8;

std::uint32_t UsageCount(std::uint16_t minimum, std::uint16_t maximum) {
    return std::uint32_t{maximum} - minimum + 1;
}

// Whether the report holds every bit of the fields starting at bitOffset.
bool Covers(std::span<const std::uint8_t> report, std::uint32_t bitOffset, std::uint32_t bitSize,
            std::uint32_t fieldCount) {
    const std::uint64_t end = kReportIdBits + bitOffset + std::uint64_t{bitSize} * fieldCount;
    return end <= std::uint64_t{report.size()} * 8;
}

// Reads up to 32 bits, least significant first (HID 1.11 §5.8: reports are
// little-endian). The caller has checked the range with Covers.
std::uint32_t ExtractBits(std::span<const std::uint8_t> report, std::uint64_t bitPosition,
                          std::uint32_t bitSize) {
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < bitSize && i < 32; ++i) {
        const std::uint64_t bit = bitPosition + i;
        if ((report[bit / 8] >> (bit % 8)) & 1u) {
            value |= std::uint32_t{1} << i;
        }
    }
    return value;
}

std::int64_t SignExtend(std::uint32_t value, std::uint32_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) {
        return static_cast<std::int32_t>(value);
    }
    const std::uint32_t signBit = std::uint32_t{1} << (bitSize - 1);
    if (value & signBit) {
        return static_cast<std::int64_t>(value) - (std::int64_t{1} << bitSize);
    }
    return value;
}

// The logical value of a field: signed when the logical range reaches below 0.
std::int64_t LogicalValue(std::uint32_t raw, std::uint32_t bitSize, std::int32_t logicalMin) {
    return logicalMin < 0 ? SignExtend(raw, bitSize) : std::int64_t{raw};
}

struct ValueLookup {
    const HidValueCaps* caps = nullptr;
    HidStatus status = HidStatus::UsageNotFound;
};

ValueLookup FindValue(const HidTopLevelCollection& collection, ReportKind kind,
                      std::uint16_t usagePage, std::uint16_t usage,
                      std::span<const std::uint8_t> report) {
    ValueLookup lookup;
    if (report.empty()) {
        lookup.status = HidStatus::InvalidReportLength;
        return lookup;
    }
    for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
        if (caps.usagePage != usagePage || usage < caps.usageMin || usage > caps.usageMax) {
            continue;
        }
        if (caps.reportId != report[0]) {
            lookup.status = HidStatus::IncompatibleReportId;
            continue;
        }
        lookup.caps = &caps;
        lookup.status = HidStatus::Success;
        break;
    }
    return lookup;
}

// The field of the value caps that carries usage: one field per usage of a
// range, the fields beyond the range repeating its last usage.
HidStatus ReadRawValue(const HidValueCaps& caps, std::uint16_t usage,
                       std::span<const std::uint8_t> report, std::uint32_t& value) {
    if (caps.bitSize > 32) {
        return HidStatus::BufferTooSmall;
    }
    const std::uint32_t field = caps.isRange ? std::uint32_t{usage} - caps.usageMin : 0;
    if (!Covers(report, caps.bitOffset, caps.bitSize, field + 1)) {
        return HidStatus::InvalidReportLength;
    }
    value = ExtractBits(
        report, kReportIdBits + caps.bitOffset + std::uint64_t{field} * caps.bitSize, caps.bitSize);
    return HidStatus::Success;
}

class UsageSink {
public:
    explicit UsageSink(std::span<std::uint16_t> usages) : m_usages(usages) {}

    void Add(std::uint16_t usage) {
        if (usage == 0) {
            return;
        }
        if (m_count < m_usages.size()) {
            m_usages[m_count] = usage;
        }
        ++m_count;
    }
    [[nodiscard]] std::size_t Count() const { return m_count; }

private:
    std::span<std::uint16_t> m_usages;
    std::size_t m_count = 0;
};

void CollectVariable(const HidButtonCaps& caps, std::span<const std::uint8_t> report,
                     UsageSink& sink) {
    // Fields beyond the usage range repeat its last usage; report it once.
    std::optional<std::uint16_t> lastAdded;
    for (std::uint32_t field = 0; field < caps.reportCount; ++field) {
        if (ExtractBits(report, kReportIdBits + caps.bitOffset + field, 1) == 0) {
            continue;
        }
        const auto usage = static_cast<std::uint16_t>(
            std::min<std::uint32_t>(caps.usageMin + field, caps.usageMax));
        if (lastAdded != usage) {
            sink.Add(usage);
            lastAdded = usage;
        }
    }
}

void CollectArray(const HidButtonCaps& caps, std::span<const std::uint8_t> report,
                  UsageSink& sink) {
    if (caps.bitSize == 0 || caps.bitSize > 32) {
        return;
    }
    const std::uint32_t usageCount = UsageCount(caps.usageMin, caps.usageMax);
    for (std::uint32_t field = 0; field < caps.reportCount; ++field) {
        const std::uint32_t raw = ExtractBits(
            report, kReportIdBits + caps.bitOffset + std::uint64_t{field} * caps.bitSize,
            caps.bitSize);
        const std::int64_t value = LogicalValue(raw, caps.bitSize, caps.logicalMin);
        // A value outside the logical range selects nothing (the null state).
        if (value < caps.logicalMin || value > caps.logicalMax) {
            continue;
        }
        const std::int64_t index = value - caps.logicalMin;
        if (index < caps.arrayIndexBase ||
            index >= std::int64_t{caps.arrayIndexBase} + usageCount) {
            continue;
        }
        sink.Add(static_cast<std::uint16_t>(caps.usageMin + (index - caps.arrayIndexBase)));
    }
}

}  // namespace

std::uint32_t MaxUsageListLength(const HidTopLevelCollection& collection, ReportKind kind,
                                 std::uint16_t usagePage) {
    std::uint64_t total = 0;
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        if (usagePage != 0 && caps.usagePage != usagePage) {
            continue;
        }
        // An array field names one usage per field; variable fields name each
        // usage of their range at most once.
        total += caps.isArray ? caps.reportCount
                              : std::min<std::uint32_t>(caps.reportCount,
                                                        UsageCount(caps.usageMin, caps.usageMax));
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu));
}

HidStatus GetUsages(const HidTopLevelCollection& collection, ReportKind kind,
                    std::uint16_t usagePage, std::span<const std::uint8_t> report,
                    std::span<std::uint16_t> usages, std::size_t& count) {
    count = 0;
    if (report.empty()) {
        return HidStatus::InvalidReportLength;
    }
    bool pageFound = false;
    bool reportFound = false;
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        if (caps.usagePage != usagePage) {
            continue;
        }
        pageFound = true;
        if (caps.reportId != report[0]) {
            continue;
        }
        reportFound = true;
        if (!Covers(report, caps.bitOffset, caps.bitSize, caps.reportCount)) {
            return HidStatus::InvalidReportLength;
        }
    }
    if (!pageFound) {
        return HidStatus::UsageNotFound;
    }
    if (!reportFound) {
        return HidStatus::IncompatibleReportId;
    }

    UsageSink sink(usages);
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        if (caps.usagePage != usagePage || caps.reportId != report[0]) {
            continue;
        }
        if (caps.isArray) {
            CollectArray(caps, report, sink);
        } else {
            CollectVariable(caps, report, sink);
        }
    }
    count = sink.Count();
    return count > usages.size() ? HidStatus::BufferTooSmall : HidStatus::Success;
}

HidStatus GetUsageValue(const HidTopLevelCollection& collection, ReportKind kind,
                        std::uint16_t usagePage, std::uint16_t usage,
                        std::span<const std::uint8_t> report, std::uint32_t& value) {
    value = 0;
    const ValueLookup lookup = FindValue(collection, kind, usagePage, usage, report);
    if (lookup.status != HidStatus::Success) {
        return lookup.status;
    }
    return ReadRawValue(*lookup.caps, usage, report, value);
}

HidStatus GetScaledUsageValue(const HidTopLevelCollection& collection, ReportKind kind,
                              std::uint16_t usagePage, std::uint16_t usage,
                              std::span<const std::uint8_t> report, std::int32_t& value) {
    value = 0;
    const ValueLookup lookup = FindValue(collection, kind, usagePage, usage, report);
    if (lookup.status != HidStatus::Success) {
        return lookup.status;
    }
    const HidValueCaps& caps = *lookup.caps;
    if (caps.logicalMin >= caps.logicalMax || caps.physicalMin >= caps.physicalMax) {
        return HidStatus::BadLogPhyValues;
    }
    std::uint32_t raw = 0;
    if (const HidStatus status = ReadRawValue(caps, usage, report, raw);
        status != HidStatus::Success) {
        return status;
    }
    const std::int64_t logical = LogicalValue(raw, caps.bitSize, caps.logicalMin);
    if (logical < caps.logicalMin || logical > caps.logicalMax) {
        return caps.hasNull ? HidStatus::Null : HidStatus::ValueOutOfRange;
    }
    // All three spans are below 2^32, so offset * physicalSpan fits 64 bits
    // unsigned; offset <= logicalSpan keeps the result within the physical range.
    const auto offset = static_cast<std::uint64_t>(logical - caps.logicalMin);
    const auto logicalSpan =
        static_cast<std::uint64_t>(std::int64_t{caps.logicalMax} - caps.logicalMin);
    const auto physicalSpan =
        static_cast<std::uint64_t>(std::int64_t{caps.physicalMax} - caps.physicalMin);
    const std::uint64_t scaled =
        offset == logicalSpan ? physicalSpan : offset * physicalSpan / logicalSpan;
    value = static_cast<std::int32_t>(caps.physicalMin + static_cast<std::int64_t>(scaled));
    return HidStatus::Success;
}

}  // namespace varlok::device
