#include "device/reportframe.h"

#include <algorithm>
#include <numeric>

namespace varlok::device {

ReportFrame::ReportFrame(Command command) {
    m_bytes[kReportIdIndex] = kReportId;
    SetCommand(command);
}

ReportFrame ReportFrame::FromBytes(std::span<const std::uint8_t> bytes) {
    ReportFrame frame;
    const std::size_t count = std::min(bytes.size(), kSize);
    std::copy_n(bytes.begin(), count, frame.m_bytes.begin());
    return frame;
}

void ReportFrame::SetCommand(Command command) {
    m_bytes[kCommandIndex] = static_cast<std::uint8_t>(command);
}

std::uint16_t ReportFrame::Offset() const {
    return static_cast<std::uint16_t>(m_bytes[kOffsetLowIndex] | (m_bytes[kOffsetHighIndex] << 8));
}

void ReportFrame::SetOffset(std::uint16_t offset) {
    m_bytes[kOffsetLowIndex] = static_cast<std::uint8_t>(offset & 0xFF);
    m_bytes[kOffsetHighIndex] = static_cast<std::uint8_t>(offset >> 8);
}

void ReportFrame::SetData(std::span<const std::uint8_t> source) {
    const std::size_t count = std::min(source.size(), kDataCapacity);
    std::copy_n(source.begin(), count, m_bytes.begin() + kDataIndex);
}

std::span<std::uint8_t, ReportFrame::kDataCapacity> ReportFrame::Data() {
    return std::span<std::uint8_t, kDataCapacity>(m_bytes.data() + kDataIndex, kDataCapacity);
}

std::span<const std::uint8_t, ReportFrame::kDataCapacity> ReportFrame::Data() const {
    return std::span<const std::uint8_t, kDataCapacity>(m_bytes.data() + kDataIndex, kDataCapacity);
}

std::uint16_t ReportFrame::ComputeChecksum() const {
    const unsigned sum = std::accumulate(m_bytes.begin() + kChecksumFirstIndex, m_bytes.end(), 0U);
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::uint16_t ReportFrame::StoredChecksum() const {
    return static_cast<std::uint16_t>(m_bytes[kChecksumLowIndex] |
                                      (m_bytes[kChecksumHighIndex] << 8));
}

void ReportFrame::Seal() {
    const std::uint16_t checksum = ComputeChecksum();
    m_bytes[kChecksumLowIndex] = static_cast<std::uint8_t>(checksum & 0xFF);
    m_bytes[kChecksumHighIndex] = static_cast<std::uint8_t>(checksum >> 8);
}

}  // namespace varlok::device
