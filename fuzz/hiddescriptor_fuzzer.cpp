// Arbitrary bytes as one interface's HID report descriptor, through the
// parser and then through every caps query over reports made of the same
// bytes. A refused descriptor leaves no collections. An accepted one must be
// consistent: the counts in each collection's caps match its cap lists, data
// indices are handed out without gaps from 0 and their count holds the
// highest one, every cap lies inside its report's length, and the usage
// queries stay inside the reports and the usage lists they are given.
//
// Input: the descriptor, all of it. The reports the queries read repeat the
// input bytes, with the report id of the cap in front.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/hidreportdescriptor.h"
#include "device/hidusages.h"
#include "fuzzsupport.h"

namespace {

using varlok::device::HidButtonCaps;
using varlok::device::HidDescriptorResult;
using varlok::device::HidReportDescriptor;
using varlok::device::HidStatus;
using varlok::device::HidTopLevelCollection;
using varlok::device::HidValueCaps;
using varlok::device::ReportKind;

constexpr ReportKind kKinds[] = {ReportKind::Input, ReportKind::Output, ReportKind::Feature};

std::uint16_t ReportLength(const HidTopLevelCollection& collection, ReportKind kind) {
    switch (kind) {
        case ReportKind::Input:
            return collection.caps.inputReportByteLength;
        case ReportKind::Output:
            return collection.caps.outputReportByteLength;
        case ReportKind::Feature:
            return collection.caps.featureReportByteLength;
    }
    return 0;
}

template <typename Caps>
void CheckCapsInsideReport(std::span<const Caps> list, std::uint16_t length,
                           std::uint32_t& dataIndices) {
    for (const Caps& caps : list) {
        VARLOK_FUZZ_CHECK(8u + caps.bitOffset + std::uint64_t{caps.bitSize} * caps.reportCount <=
                          std::uint64_t{length} * 8u);
        VARLOK_FUZZ_CHECK(caps.dataIndexMin <= caps.dataIndexMax);
        VARLOK_FUZZ_CHECK(caps.dataIndexMax < 0xFFFF);
        dataIndices = std::max<std::uint32_t>(dataIndices, caps.dataIndexMax + 1u);
    }
}

void CheckCounts(const HidTopLevelCollection& collection) {
    const auto& caps = collection.caps;
    const std::uint16_t buttonCounts[] = {caps.numberInputButtonCaps, caps.numberOutputButtonCaps,
                                          caps.numberFeatureButtonCaps};
    const std::uint16_t valueCounts[] = {caps.numberInputValueCaps, caps.numberOutputValueCaps,
                                         caps.numberFeatureValueCaps};
    const std::uint16_t indexCounts[] = {caps.numberInputDataIndices, caps.numberOutputDataIndices,
                                         caps.numberFeatureDataIndices};
    for (const ReportKind kind : kKinds) {
        const auto k = static_cast<std::size_t>(kind);
        VARLOK_FUZZ_CHECK(collection.ButtonCaps(kind).size() == buttonCounts[k]);
        VARLOK_FUZZ_CHECK(collection.ValueCaps(kind).size() == valueCounts[k]);
        std::uint32_t dataIndices = 0;
        CheckCapsInsideReport(collection.ButtonCaps(kind), ReportLength(collection, kind),
                              dataIndices);
        CheckCapsInsideReport(collection.ValueCaps(kind), ReportLength(collection, kind),
                              dataIndices);
        VARLOK_FUZZ_CHECK(dataIndices == indexCounts[k]);
        const auto ids = collection.ReportIds(kind);
        VARLOK_FUZZ_CHECK(std::is_sorted(ids.begin(), ids.end()));
        VARLOK_FUZZ_CHECK(std::adjacent_find(ids.begin(), ids.end()) == ids.end());
    }
}

// A report of the kind's length carrying reportId, filled with the input.
std::vector<std::uint8_t> MakeReport(std::span<const std::uint8_t> input, std::uint16_t length,
                                     std::uint8_t reportId) {
    std::vector<std::uint8_t> report(length);
    for (std::size_t i = 0; i < report.size(); ++i) {
        report[i] = input[i % input.size()];
    }
    if (!report.empty()) {
        report[0] = reportId;
    }
    return report;
}

void Query(const HidTopLevelCollection& collection, ReportKind kind,
           std::span<const std::uint8_t> input) {
    const std::uint16_t length = ReportLength(collection, kind);
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        const std::vector<std::uint8_t> report = MakeReport(input, length, caps.reportId);
        const std::uint32_t most = MaxUsageListLength(collection, kind, caps.usagePage);
        // One slot fewer than the most as well, to reach BufferTooSmall.
        for (const std::uint32_t slots : {most, most > 0 ? most - 1 : 0u}) {
            std::vector<std::uint16_t> usages(slots, 0xFFFF);
            std::size_t count = 0;
            const HidStatus status =
                GetUsages(collection, kind, caps.usagePage, report, usages, count);
            if (status == HidStatus::Success) {
                VARLOK_FUZZ_CHECK(count <= usages.size());
                VARLOK_FUZZ_CHECK(std::find(usages.begin(), usages.begin() + count, 0) ==
                                  usages.begin() + count);
            }
            if (slots == most) {
                VARLOK_FUZZ_CHECK(status != HidStatus::BufferTooSmall);
            }
        }
    }
    for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
        const std::vector<std::uint8_t> report = MakeReport(input, length, caps.reportId);
        for (const std::uint16_t usage : {caps.usageMin, caps.usageMax}) {
            std::uint32_t value = 0;
            static_cast<void>(
                GetUsageValue(collection, kind, caps.usagePage, usage, report, value));
            std::int32_t scaled = 0;
            if (GetScaledUsageValue(collection, kind, caps.usagePage, usage, report, scaled) !=
                HidStatus::Success) {
                VARLOK_FUZZ_CHECK(scaled == 0);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    HidReportDescriptor descriptor;
    const HidDescriptorResult result = descriptor.Parse(input);
    if (!result.Ok()) {
        VARLOK_FUZZ_CHECK(descriptor.Collections().empty());
        VARLOK_FUZZ_CHECK(result.offset <= size);
        VARLOK_FUZZ_CHECK(!varlok::device::DescribeDescriptorError(result.error).empty());
        return 0;
    }
    for (const HidTopLevelCollection& collection : descriptor.Collections()) {
        CheckCounts(collection);
        for (const ReportKind kind : kKinds) {
            Query(collection, kind, input);
        }
    }
    return 0;
}
