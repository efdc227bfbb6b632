#include "device/devicelink.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace varlok::device {
namespace {

// Answers a slow device delivered after their exchange gave up are dropped
// before the next request; a device that never stops sending is cut off here.
constexpr int kMaxDiscardedReports = 64;
// Offsets are 16-bit: no chunk may start beyond this many bytes.
constexpr std::size_t kAddressSpace = 0x10000;

LinkResult StatusResult(const ReportFrame& answer) {
    switch (answer.Status()) {
        case ReportFrame::kStatusFailed:
            return LinkResult::DeviceFailed;
        case ReportFrame::kStatusRefused:
            return LinkResult::DeviceRefused;
        default:
            return LinkResult::Success;
    }
}

}  // namespace

std::string_view Describe(LinkResult result) {
    switch (result) {
        case LinkResult::Success:
            return "success";
        case LinkResult::NoAnswer:
            return "not connected or no answer";
        case LinkResult::WriteFailed:
            return "write failed";
        case LinkResult::DeviceFailed:
            return "device status 0xFF";
        case LinkResult::DeviceRefused:
            return "device status 0xFE";
        case LinkResult::BadBlockIndex:
            return "block index above 4";
        case LinkResult::BadLength:
            return "length does not fit the command";
    }
    return "unknown result";
}

DeviceLink::DeviceLink(std::shared_ptr<HidBus> bus) : m_device(std::move(bus)) {}

DeviceLink::~DeviceLink() {
    const std::lock_guard lock(m_ioMutex);
    m_device.Close();
}

void DeviceLink::Init(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t usage,
                      std::uint16_t usagePage) {
    m_vendorId = vendorId;
    m_productId = productId;
    m_usage = usage;
    m_usagePage = usagePage;
    SetConnected(false);
}

void DeviceLink::Init(DeviceType type) {
    Init(kVendorId, IdentityOf(type).productId, kConfigurationUsage, kConfigurationUsagePage);
}

bool DeviceLink::SetBlockSize(std::uint16_t size) {
    if (size > kMaxBlockSize) {
        return false;
    }
    m_blockSize = size;
    return true;
}

void DeviceLink::SetConnected(bool connected) {
    m_connected = connected;
    if (!connected) {
        m_syncActive = false;
    }
}

bool DeviceLink::MatchesOpenDevice() const {
    if (!m_device.IsOpen()) {
        return false;
    }
    const HidAttributes& attributes = m_device.Attributes();
    const HidCaps& caps = m_device.Caps();
    return attributes.vendorId == m_vendorId && attributes.productId == m_productId &&
           caps.usagePage == m_usagePage && caps.usage == m_usage;
}

std::unique_lock<std::recursive_mutex> DeviceLink::LockIo() {
    return std::unique_lock<std::recursive_mutex>(m_ioMutex);
}

void DeviceLink::DiscardPendingInput() {
    ReportFrame stale;
    for (int i = 0; i < kMaxDiscardedReports; ++i) {
        if (!m_device.ReadReport(stale.Raw(), nullptr, std::chrono::milliseconds(0))) {
            return;
        }
    }
}

bool DeviceLink::IsAnswerTo(std::span<const std::uint8_t> report, std::uint8_t requestCommand) {
    if (report.size() < ReportFrame::kDataIndex ||
        report[ReportFrame::kReportIdIndex] != ReportFrame::kReportId) {
        return false;
    }
    const std::uint8_t command = report[ReportFrame::kCommandIndex];
    return command == requestCommand || !IsCommandCode(command);
}

bool DeviceLink::ReadAnswer(std::uint8_t requestCommand, ReportFrame& answer,
                            std::size_t* answerBytes) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kReadTimeout;
    for (;;) {
        const auto remaining =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) {
            return false;
        }
        // Each report lands in a zeroed buffer and only the bytes received
        // reach the answer: a short answer must not carry over bytes of a
        // report skipped before it, nor of the caller's request.
        ReportFrame::Bytes report{};
        std::size_t received = 0;
        if (!m_device.ReadReport(report, &received, remaining)) {
            return false;
        }
        received = std::min(received, report.size());
        if (IsAnswerTo(std::span(report).first(received), requestCommand)) {
            answer = ReportFrame::FromBytes(std::span(report).first(received));
            if (answerBytes != nullptr) {
                *answerBytes = received;
            }
            return true;
        }
    }
}

LinkResult DeviceLink::Exchange(const ReportFrame& request, ReportFrame& answer,
                                std::size_t* answerBytes) {
    if (answerBytes != nullptr) {
        *answerBytes = 0;
    }
    if (!m_connected) {
        return LinkResult::NoAnswer;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        DiscardPendingInput();
        if (!m_device.WriteReport(request.Raw(), nullptr, kWriteTimeout)) {
            return LinkResult::WriteFailed;
        }
        answer = ReportFrame();
        if (ReadAnswer(request.CommandCode(), answer, answerBytes)) {
            return LinkResult::Success;
        }
    }
    return LinkResult::NoAnswer;
}

LinkResult DeviceLink::Transact(std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> response, std::size_t* answerBytes) {
    const std::lock_guard lock(m_ioMutex);
    ReportFrame answer;
    const LinkResult result = Exchange(ReportFrame::FromBytes(request), answer, answerBytes);
    if (result == LinkResult::Success) {
        const std::size_t count = std::min(response.size(), ReportFrame::kSize);
        std::copy_n(answer.Raw().begin(), count, response.begin());
    }
    return result;
}

bool DeviceLink::TransactOnce(std::span<std::uint8_t> buffer) {
    const std::lock_guard lock(m_ioMutex);
    if (!m_connected) {
        return false;
    }
    ReportFrame frame = ReportFrame::FromBytes(buffer);
    DiscardPendingInput();
    // Only whether an answer comes back counts; the write's own result does not.
    static_cast<void>(m_device.WriteReport(frame.Raw(), nullptr, kWriteTimeout));
    if (!ReadAnswer(frame.CommandCode(), frame, nullptr)) {
        return false;
    }
    const std::size_t count = std::min(buffer.size(), ReportFrame::kSize);
    std::copy_n(frame.Raw().begin(), count, buffer.begin());
    return true;
}

LinkResult DeviceLink::Command(const ReportFrame& request, ReportFrame& answer) {
    const std::lock_guard lock(m_ioMutex);
    const LinkResult result = Exchange(request, answer, nullptr);
    return result == LinkResult::Success ? StatusResult(answer) : result;
}

LinkResult DeviceLink::BeginTransfer() {
    ReportFrame request(Command::BeginTransfer);
    request.Seal();
    ReportFrame answer;
    return Command(request, answer);
}

LinkResult DeviceLink::EndTransfer() {
    if (!m_connected) {
        return LinkResult::NoAnswer;
    }
    std::this_thread::sleep_for(kEndTransferPause);
    ReportFrame request(Command::EndTransfer);
    request.Seal();
    ReportFrame answer;
    return Command(request, answer);
}

LinkResult DeviceLink::ReadDeviceInfo(DeviceInfo& info) {
    ReportFrame request(Command::ReadDeviceInfo);
    request.SetLength(ReportFrame::kDeviceInfoLength);
    request.Seal();
    ReportFrame answer;
    const LinkResult result = Command(request, answer);
    if (result == LinkResult::Success) {
        std::copy_n(answer.Data().begin(), DeviceInfo::kSize, info.Raw().begin());
    }
    return result;
}

LinkResult DeviceLink::ReadSettings(std::span<std::uint8_t> destination, std::uint16_t offset) {
    if (destination.empty() || destination.size() > ReportFrame::kDataCapacity) {
        return LinkResult::BadLength;
    }
    ReportFrame request(Command::ReadSettings);
    request.SetLength(static_cast<std::uint8_t>(destination.size()));
    request.SetOffset(offset);
    request.Seal();
    ReportFrame answer;
    const LinkResult result = Command(request, answer);
    if (result == LinkResult::Success) {
        std::copy_n(answer.Data().begin(), destination.size(), destination.begin());
    }
    return result;
}

LinkResult DeviceLink::WriteSettings(std::span<const std::uint8_t> source, std::uint16_t offset) {
    if (source.empty() || source.size() > ReportFrame::kDataCapacity) {
        return LinkResult::BadLength;
    }
    ReportFrame request(Command::WriteSettings);
    request.SetLength(static_cast<std::uint8_t>(source.size()));
    request.SetOffset(offset);
    request.SetData(source);
    request.Seal();
    ReportFrame answer;
    return Command(request, answer);
}

LinkResult DeviceLink::Chunked(device::Command command, std::uint16_t baseOffset, std::size_t total,
                               std::span<const std::uint8_t> source,
                               std::span<std::uint8_t> destination) {
    if (baseOffset + total > kAddressSpace) {
        return LinkResult::BadLength;
    }
    if (total == 0) {
        return LinkResult::Success;
    }
    const std::lock_guard lock(m_ioMutex);
    // Data bytes are not cleared between chunks: after a short last chunk
    // they still hold the previous chunk's bytes, and the checksum covers them.
    ReportFrame request(command);
    ReportFrame answer;
    for (std::size_t position = 0; position < total; position += ReportFrame::kDataCapacity) {
        const std::size_t chunk = std::min(ReportFrame::kDataCapacity, total - position);
        request.SetLength(static_cast<std::uint8_t>(chunk));
        request.SetOffset(static_cast<std::uint16_t>(baseOffset + position));
        if (!source.empty()) {
            request.SetData(source.subspan(position, chunk));
        }
        request.Seal();
        LinkResult result = Exchange(request, answer, nullptr);
        if (result == LinkResult::Success) {
            result = StatusResult(answer);
        }
        if (result != LinkResult::Success) {
            return result;
        }
        if (!destination.empty()) {
            std::copy_n(answer.Data().begin(), chunk, destination.begin() + position);
        }
    }
    return LinkResult::Success;
}

LinkResult DeviceLink::Block(device::Command command, std::uint16_t baseOffset,
                             std::span<const std::uint8_t> source,
                             std::span<std::uint8_t> destination) {
    const std::size_t total = m_blockSize;
    if (std::max(source.size(), destination.size()) < total) {
        return LinkResult::BadLength;
    }
    return Chunked(command, baseOffset, total, source, destination);
}

LinkResult DeviceLink::StoredBlock(device::Command command, unsigned index,
                                   std::span<const std::uint8_t> source,
                                   std::span<std::uint8_t> destination) {
    if (index >= kStoredBlockCount) {
        return LinkResult::BadBlockIndex;
    }
    return Block(command, static_cast<std::uint16_t>(index * kStoredBlockStep), source,
                 destination);
}

LinkResult DeviceLink::ReadActiveBlock(std::span<std::uint8_t> destination) {
    return Block(Command::ReadActiveBlock, 0, {}, destination);
}

LinkResult DeviceLink::ReadStoredBlock(std::span<std::uint8_t> destination, unsigned index) {
    return StoredBlock(Command::ReadStoredBlock, index, {}, destination);
}

LinkResult DeviceLink::WriteStoredBlock(std::span<const std::uint8_t> source, unsigned index) {
    return StoredBlock(Command::WriteStoredBlock, index, source, {});
}

LinkResult DeviceLink::RestoreDefaults() {
    // The device takes this one request with its checksum bytes left at zero.
    ReportFrame request(Command::RestoreDefaults);
    return TransactOnce(request.Raw()) ? LinkResult::Success : LinkResult::NoAnswer;
}

LinkResult DeviceLink::SendLightingFrame(std::span<const std::uint8_t> source) {
    return Chunked(Command::SendLightingFrame, 0, source.size(), source, {});
}

LinkResult DeviceLink::WriteMacroData(std::span<const std::uint8_t> source) {
    return Chunked(Command::WriteMacroData, 0, source.size(), source, {});
}

LinkResult DeviceLink::WriteCursorData(std::span<const std::uint8_t> source) {
    return Chunked(Command::WriteCursorData, 0, source.size(), source, {});
}

}  // namespace varlok::device
