#include "device/hidreportdescriptor.h"

#include <algorithm>

#include "device/hidcollectionbuilder.h"
#include "device/hidglobalstate.h"
#include "device/hiditemreader.h"
#include "device/hidlocalstate.h"

namespace varlok::device {

namespace {

// What the items read so far have set up.
struct ParseState {
    HidGlobalState global;
    HidLocalState local;
    HidCollectionBuilder builder;
};

HidDescriptorError AddField(ReportKind kind, const HidItem& item, ParseState& state) {
    return state.builder.AddField(kind, item.unsignedData, state.global.Current(), state.local);
}

HidDescriptorError ApplyMainItem(const HidItem& item, ParseState& state) {
    HidDescriptorError error = HidDescriptorError::None;
    switch (item.tag) {
        case hiditem::kTagInput:
            error = AddField(ReportKind::Input, item, state);
            break;
        case hiditem::kTagOutput:
            error = AddField(ReportKind::Output, item, state);
            break;
        case hiditem::kTagFeature:
            error = AddField(ReportKind::Feature, item, state);
            break;
        case hiditem::kTagCollection:
            error = state.builder.OpenCollection(state.global.Current(), state.local);
            break;
        case hiditem::kTagEndCollection:
            error = state.builder.CloseCollection();
            break;
        default:
            break;  // reserved main tag: ignored
    }
    // Local items describe only the next main item (HID 1.11 §6.2.2.8).
    state.local.Clear();
    return error;
}

HidDescriptorError ApplyItem(const HidItem& item, ParseState& state) {
    switch (item.type) {
        case hiditem::kTypeMain:
            return ApplyMainItem(item, state);
        case hiditem::kTypeGlobal:
            return state.global.Apply(item);
        case hiditem::kTypeLocal:
            state.local.Apply(item);
            return HidDescriptorError::None;
        default:
            return HidDescriptorError::None;  // reserved type: ignored
    }
}

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
    ParseState state;
    HidItemReader reader(descriptor);
    for (HidItem item;;) {
        const HidItemRead read = reader.Next(item);
        if (read == HidItemRead::End) {
            break;
        }
        if (read == HidItemRead::Truncated) {
            return {HidDescriptorError::Truncated, reader.Offset()};
        }
        if (const auto error = ApplyItem(item, state); error != HidDescriptorError::None) {
            return {error, reader.Offset()};
        }
    }
    // The errors of the whole descriptor are reported at its end.
    if (state.builder.InsideCollection()) {
        return {HidDescriptorError::UnclosedCollection, descriptor.size()};
    }
    if (const auto error = state.builder.Finish(); error != HidDescriptorError::None) {
        return {error, descriptor.size()};
    }
    m_collections = state.builder.TakeCollections();
    m_numbered = state.global.Numbered();
    return {};
}

const std::vector<HidTopLevelCollection>& HidReportDescriptor::Collections() const {
    return m_collections;
}

bool HidReportDescriptor::Numbered() const {
    return m_numbered;
}

}  // namespace varlok::device
