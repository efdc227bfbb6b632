#include "device/hidglobalstate.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace varlok::device {

namespace {

constexpr std::size_t kMaxPushDepth = 64;

HidRawNumber RawNumberOf(const HidItem& item) {
    return {item.unsignedData, item.signedData};
}

std::pair<std::int32_t, std::int32_t> ReadExtent(const HidRawNumber& minimum,
                                                 const HidRawNumber& maximum) {
    const std::int32_t low = minimum.signedData;
    const std::int32_t high =
        low < 0 ? maximum.signedData : static_cast<std::int32_t>(maximum.unsignedData);
    return {low, high};
}

// HID 1.11 writes the exponent as a signed nibble; many devices write a
// signed byte instead (0xFE for -2). Accept both.
std::int8_t ReadUnitExponent(const HidItem& item) {
    if (item.unsignedData <= 0xF) {
        return static_cast<std::int8_t>(item.unsignedData >= 8
                                            ? static_cast<int>(item.unsignedData) - 16
                                            : static_cast<int>(item.unsignedData));
    }
    return static_cast<std::int8_t>(
        std::clamp(item.signedData, std::int32_t{-128}, std::int32_t{127}));
}

}  // namespace

HidExtents HidGlobalItems::ReadExtents() const {
    const auto [logicalLow, logicalHigh] = ReadExtent(logicalMinimum, logicalMaximum);
    const auto [physicalLow, physicalHigh] = ReadExtent(physicalMinimum, physicalMaximum);
    return {logicalLow, logicalHigh, physicalLow, physicalHigh};
}

HidDescriptorError HidGlobalState::Apply(const HidItem& item) {
    switch (item.tag) {
        case hiditem::kTagUsagePage:
            m_current.usagePage = static_cast<std::uint16_t>(item.unsignedData);
            break;
        case hiditem::kTagLogicalMinimum:
            m_current.logicalMinimum = RawNumberOf(item);
            break;
        case hiditem::kTagLogicalMaximum:
            m_current.logicalMaximum = RawNumberOf(item);
            break;
        case hiditem::kTagPhysicalMinimum:
            m_current.physicalMinimum = RawNumberOf(item);
            break;
        case hiditem::kTagPhysicalMaximum:
            m_current.physicalMaximum = RawNumberOf(item);
            break;
        case hiditem::kTagUnitExponent:
            m_current.unitExponent = ReadUnitExponent(item);
            break;
        case hiditem::kTagUnit:
            m_current.unit = item.unsignedData;
            break;
        case hiditem::kTagReportSize:
            m_current.reportSize = item.unsignedData;
            break;
        case hiditem::kTagReportId:
            if (item.unsignedData == 0 || item.unsignedData > 0xFF) {
                return HidDescriptorError::BadReportId;
            }
            m_current.reportId = static_cast<std::uint8_t>(item.unsignedData);
            m_numbered = true;
            break;
        case hiditem::kTagReportCount:
            m_current.reportCount = item.unsignedData;
            break;
        case hiditem::kTagPush:
            return Push();
        case hiditem::kTagPop:
            return Pop();
        default:
            break;  // reserved global tag: ignored
    }
    return HidDescriptorError::None;
}

HidDescriptorError HidGlobalState::Push() {
    if (m_stack.size() >= kMaxPushDepth) {
        return HidDescriptorError::StackTooDeep;
    }
    m_stack.push_back(m_current);
    return HidDescriptorError::None;
}

HidDescriptorError HidGlobalState::Pop() {
    if (m_stack.empty()) {
        return HidDescriptorError::BadPop;
    }
    m_current = m_stack.back();
    m_stack.pop_back();
    return HidDescriptorError::None;
}

}  // namespace varlok::device
