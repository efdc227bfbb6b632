#pragma once

// Builds the top-level collections of one report descriptor from its main
// items, with the caps the Windows HID parser reports for them. Internal to
// the device layer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "device/hidglobalstate.h"
#include "device/hidlocalstate.h"
#include "device/hidreportdescriptor.h"
#include "device/hidtypes.h"

namespace varlok::device {

inline constexpr std::size_t kReportKindCount = 3;

// Where a report kind's entry sits in the per-kind arrays of the records.
inline std::size_t KindIndex(ReportKind kind) {
    return static_cast<std::size_t>(kind);
}

// Opens and closes collections, lays each Input, Output and Feature item out
// in its report and describes its fields as caps, and fills in every
// collection's counts and report lengths once the descriptor is read. Each
// call takes the global and local items in force at its main item.
class HidCollectionBuilder {
public:
    // A Collection item (HID 1.11 §6.2.2.6).
    [[nodiscard]] HidDescriptorError OpenCollection(const HidGlobalItems& global,
                                                    const HidLocalState& local);
    // An End Collection item; UnbalancedCollection when none is open.
    [[nodiscard]] HidDescriptorError CloseCollection();
    // An Input, Output or Feature item with its data bits.
    [[nodiscard]] HidDescriptorError AddField(ReportKind kind, std::uint32_t flags,
                                              const HidGlobalItems& global,
                                              const HidLocalState& local);

    [[nodiscard]] bool InsideCollection() const { return !m_collectionStack.empty(); }

    // The final pass over the collections once every item is read: report
    // lengths, cap and data index counts. TooComplex when a report kind would
    // need more usage-list slots than HidDevice allocates.
    [[nodiscard]] HidDescriptorError Finish();

    [[nodiscard]] std::vector<HidTopLevelCollection> TakeCollections() {
        return std::move(m_collections);
    }

private:
    // What the caps of one main item share.
    struct FieldContext {
        const HidGlobalItems& global;
        ReportKind kind = ReportKind::Input;
        std::uint32_t flags = 0;
        std::uint32_t bitOffset = 0;
        HidExtents extents;
    };

    template <typename Caps>
    void FillCommon(Caps& caps, const FieldContext& field, const HidResolvedUsage& usage,
                    std::uint32_t bitOffset) const;
    [[nodiscard]] HidDescriptorError TakeDataIndices(ReportKind kind, const HidResolvedUsage& usage,
                                                     std::uint16_t& first, std::uint16_t& last);
    [[nodiscard]] HidDescriptorError AddArrayCaps(const FieldContext& field,
                                                  const std::vector<HidResolvedUsage>& usages);
    [[nodiscard]] HidDescriptorError AddVariableCaps(const FieldContext& field,
                                                     const std::vector<HidResolvedUsage>& usages);

    std::vector<std::uint16_t> m_collectionStack;  // link collection numbers
    std::vector<HidTopLevelCollection> m_collections;
    // The next data index of each kind in the current top-level collection.
    std::array<std::uint32_t, kReportKindCount> m_dataIndices{};
    // The bits laid out so far in each report, by kind and report id.
    std::array<std::array<std::uint64_t, 256>, kReportKindCount> m_reportBits{};
};

}  // namespace varlok::device
