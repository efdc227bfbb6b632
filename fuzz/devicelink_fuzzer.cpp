// Arbitrary device answers to every command of DeviceLink, over a fake
// backend that presents a configuration collection. Whatever the
// device sends, the link must stay inside its buffers, and a command it
// reports as successful must hand back exactly the answer it took: the data
// bytes the device sent, zero where the answer was too short to carry them,
// never bytes of an earlier report or of the request. Failure statuses must
// map to their results.
//
// Input, consumed as the link asks for it: before each command a byte that
// chooses it (and a few for its length, offset or index); on each report the
// link writes, the device's answer to it: a count (0-3) of reports, each a
// length byte (0-71; the link reads at most 64) and that many bytes. Reports
// the link does not read before its next write are dropped. EndTransfer is
// left out: its only difference from BeginTransfer is a fixed pause.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "fuzzsupport.h"
#include "tests/device/configurationdescriptor.h"

namespace {

using namespace varlok::device;
using Report = std::vector<std::uint8_t>;

constexpr char kPath[] = "fuzz:node#vid_0c45&pid_7643&mi_01";

constexpr std::size_t kMostCommands = 24;

// One report written by the link and the reports the device delivered after
// it, before the next write.
struct Exchange {
    ReportFrame::Bytes request{};
    std::vector<Report> delivered;
};

class ScriptedDevice {
public:
    explicit ScriptedDevice(FuzzedDataProvider& input) : m_input(input) {}

    TransferResult Read(std::span<std::uint8_t> buffer) {
        if (m_pending.empty()) {
            // Nothing more comes: a timeout at once, so that retries cost no time.
            return {TransferStatus::TimedOut, 0};
        }
        Report report = std::move(m_pending.front());
        m_pending.pop_front();
        const std::size_t count = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), count, buffer.begin());
        report.resize(count);
        if (!m_exchanges.empty()) {
            m_exchanges.back().delivered.push_back(std::move(report));
        }
        return {TransferStatus::Done, count};
    }

    TransferResult Write(std::span<const std::uint8_t> report) {
        Exchange exchange;
        std::copy_n(report.begin(), std::min(report.size(), exchange.request.size()),
                    exchange.request.begin());
        m_exchanges.push_back(exchange);
        m_pending.clear();
        const unsigned answers = m_input.ConsumeIntegralInRange<unsigned>(0, 3);
        for (unsigned i = 0; i < answers; ++i) {
            const auto length = m_input.ConsumeIntegralInRange<std::size_t>(0, 71);
            m_pending.push_back(m_input.ConsumeBytes<std::uint8_t>(length));
        }
        return {TransferStatus::Done, report.size()};
    }

    [[nodiscard]] const std::vector<Exchange>& Exchanges() const { return m_exchanges; }
    void ClearExchanges() { m_exchanges.clear(); }

private:
    FuzzedDataProvider& m_input;
    std::deque<Report> m_pending;
    std::vector<Exchange> m_exchanges;
};

class ScriptedConnection : public HidConnection {
public:
    explicit ScriptedConnection(ScriptedDevice& device) : m_device(device) {}
    std::vector<std::uint8_t> ReportDescriptor() const override {
        // Report 5 beside the answers' report 4: the link must skip it.
        const auto& bytes = varlok::device::testing::kConfigurationWithOtherInputDescriptor;
        return {bytes.begin(), bytes.end()};
    }
    HidAttributes Attributes() const override { return {kVendorId, kMouseProductId, 0x0100}; }
    TransferResult Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override {
        return m_device.Read(buffer);
    }
    TransferResult Write(std::span<const std::uint8_t> report, std::chrono::milliseconds) override {
        return m_device.Write(report);
    }
    void Abort() override {}

private:
    ScriptedDevice& m_device;
};

class ScriptedBackend : public HidBackend {
public:
    explicit ScriptedBackend(ScriptedDevice& device) : m_device(device) {}
    std::string_view Scheme() const override { return "fuzz"; }
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.emplace_back(kPath);
        return true;
    }
    std::unique_ptr<HidConnection> Open(std::string_view, const HidOpenRequest&,
                                        HidOpenError& error) override {
        error = HidOpenError::None;
        return std::make_unique<ScriptedConnection>(m_device);
    }
    bool Probe(std::string_view) override { return true; }

private:
    ScriptedDevice& m_device;
};

// The answer the link took in the last exchange of a request with this
// command and offset: the first report delivered after the write that is a
// configuration answer (report id 4, at least up to the status byte) and
// carries no other command's code in byte 3.
const Report& AnswerFor(const ScriptedDevice& device, std::uint8_t command, std::uint16_t offset) {
    const auto& exchanges = device.Exchanges();
    for (auto it = exchanges.rbegin(); it != exchanges.rend(); ++it) {
        const ReportFrame request = ReportFrame::FromBytes(it->request);
        if (request.CommandCode() != command || request.Offset() != offset) {
            continue;
        }
        const auto answer = std::ranges::find_if(it->delivered, [command](const Report& report) {
            return report.size() >= ReportFrame::kDataIndex &&
                   report[0] == ReportFrame::kReportId &&
                   (report[ReportFrame::kCommandIndex] == command ||
                    !IsCommandCode(report[ReportFrame::kCommandIndex]));
        });
        VARLOK_FUZZ_CHECK(answer != it->delivered.end());
        return *answer;
    }
    VARLOK_FUZZ_CHECK(!"no request with this command and offset");
    static const Report none;
    return none;
}

// Byte i of the answer as the link must show it: zero past what was sent.
std::uint8_t AnswerByte(const Report& answer, std::size_t i) {
    return i < answer.size() ? answer[i] : 0;
}

void CheckAnswerTaken(const Report& answer, LinkResult result, bool statusCounts) {
    VARLOK_FUZZ_CHECK(answer.size() >= ReportFrame::kDataIndex);
    VARLOK_FUZZ_CHECK(answer[0] == ReportFrame::kReportId);
    if (!statusCounts) {
        return;
    }
    const std::uint8_t status = answer[ReportFrame::kStatusIndex];
    const LinkResult expected = status == ReportFrame::kStatusFailed    ? LinkResult::DeviceFailed
                                : status == ReportFrame::kStatusRefused ? LinkResult::DeviceRefused
                                                                        : LinkResult::Success;
    VARLOK_FUZZ_CHECK(result == expected);
}

// Data bytes of the answer to (command, offset) against what the link copied.
void CheckData(const ScriptedDevice& device, std::uint8_t command, std::uint16_t offset,
               std::span<const std::uint8_t> copied) {
    const Report& answer = AnswerFor(device, command, offset);
    CheckAnswerTaken(answer, LinkResult::Success, true);
    for (std::size_t i = 0; i < copied.size(); ++i) {
        VARLOK_FUZZ_CHECK(copied[i] == AnswerByte(answer, ReportFrame::kDataIndex + i));
    }
}

void CheckBlock(const ScriptedDevice& device, std::uint8_t command, std::uint16_t base,
                std::span<const std::uint8_t> block) {
    for (std::size_t position = 0; position < block.size();
         position += ReportFrame::kDataCapacity) {
        const std::size_t chunk = std::min(ReportFrame::kDataCapacity, block.size() - position);
        CheckData(device, command, static_cast<std::uint16_t>(base + position),
                  block.subspan(position, chunk));
    }
}

// Bytes for the link to send; their values do not matter to the device.
std::vector<std::uint8_t> Source(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    return bytes;
}

void RunCommand(FuzzedDataProvider& input, DeviceLink& link, ScriptedDevice& device) {
    device.ClearExchanges();
    switch (input.ConsumeIntegralInRange<int>(0, 12)) {
        case 0: {
            const LinkResult result = link.BeginTransfer();
            if (result != LinkResult::NoAnswer) {
                CheckAnswerTaken(AnswerFor(device, 0x01, 0), result, true);
            }
            break;
        }
        case 1: {
            DeviceInfo info;
            info.Raw().fill(0x5A);
            if (link.ReadDeviceInfo(info) == LinkResult::Success) {
                CheckData(device, 0x03, 0, info.Raw());
            }
            break;
        }
        case 2: {
            std::vector<std::uint8_t> destination(
                input.ConsumeIntegralInRange<std::size_t>(1, ReportFrame::kDataCapacity), 0x5A);
            const auto offset = input.ConsumeIntegral<std::uint16_t>();
            const LinkResult result = link.ReadSettings(destination, offset);
            if (result == LinkResult::Success) {
                CheckData(device, 0x05, offset, destination);
            } else if (result != LinkResult::NoAnswer) {
                CheckAnswerTaken(AnswerFor(device, 0x05, offset), result, true);
            }
            break;
        }
        case 3: {
            const auto source = Source(
                input.ConsumeIntegralInRange<std::size_t>(0, ReportFrame::kDataCapacity + 1));
            const LinkResult result = link.WriteSettings(source, 0);
            if (source.empty() || source.size() > ReportFrame::kDataCapacity) {
                VARLOK_FUZZ_CHECK(result == LinkResult::BadLength);
            } else if (result != LinkResult::NoAnswer) {
                CheckAnswerTaken(AnswerFor(device, 0x06, 0), result, true);
            }
            break;
        }
        case 4: {
            std::vector<std::uint8_t> block(DeviceLink::kMaxBlockSize, 0x5A);
            if (link.ReadActiveBlock(block) == LinkResult::Success) {
                CheckBlock(device, 0x07, 0, block);
            }
            break;
        }
        case 5: {
            std::vector<std::uint8_t> block(DeviceLink::kMaxBlockSize, 0x5A);
            const unsigned index = input.ConsumeIntegralInRange<unsigned>(0, 5);
            const LinkResult result = link.ReadStoredBlock(block, index);
            if (index >= DeviceLink::kStoredBlockCount) {
                VARLOK_FUZZ_CHECK(result == LinkResult::BadBlockIndex);
            } else if (result == LinkResult::Success) {
                CheckBlock(device, 0x08,
                           static_cast<std::uint16_t>(index * DeviceLink::kStoredBlockStep), block);
            }
            break;
        }
        case 6:
            static_cast<void>(link.WriteStoredBlock(Source(DeviceLink::kMaxBlockSize),
                                                    input.ConsumeIntegralInRange<unsigned>(0, 4)));
            break;
        case 7:
            static_cast<void>(link.RestoreDefaults());
            break;
        case 8:
            static_cast<void>(
                link.SendLightingFrame(Source(input.ConsumeIntegralInRange<std::size_t>(0, 200))));
            break;
        case 9:
            static_cast<void>(
                link.WriteMacroData(Source(input.ConsumeIntegralInRange<std::size_t>(0, 200))));
            break;
        case 10:
            static_cast<void>(
                link.WriteCursorData(Source(input.ConsumeIntegralInRange<std::size_t>(0, 200))));
            break;
        case 11: {
            const std::array<std::uint8_t, 8> request{0x04, 0x00, 0x00, 0x05,
                                                      0x04, 0x00, 0x00, 0x00};
            std::array<std::uint8_t, 64> response;
            response.fill(0x5A);
            std::size_t received = 99;
            if (link.Transact(request, response, &received) == LinkResult::Success) {
                const Report& answer = AnswerFor(device, 0x05, 0);
                CheckAnswerTaken(answer, LinkResult::Success, false);
                VARLOK_FUZZ_CHECK(received == answer.size());
                for (std::size_t i = 0; i < response.size(); ++i) {
                    VARLOK_FUZZ_CHECK(response[i] == AnswerByte(answer, i));
                }
            } else {
                VARLOK_FUZZ_CHECK(received == 0);
            }
            break;
        }
        case 12: {
            std::array<std::uint8_t, 64> buffer;
            buffer.fill(0x77);
            buffer[0] = 0x04;
            buffer[3] = 0x05;
            if (link.TransactOnce(buffer)) {
                const Report& answer = AnswerFor(device, 0x05, 0x7777);
                CheckAnswerTaken(answer, LinkResult::Success, false);
                for (std::size_t i = 0; i < buffer.size(); ++i) {
                    VARLOK_FUZZ_CHECK(buffer[i] == AnswerByte(answer, i));
                }
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ScriptedDevice device(input);
    const auto bus = std::make_shared<HidBus>();
    bus->Attach(std::make_shared<ScriptedBackend>(device));
    DeviceLink link(bus);
    link.Init(DeviceType::Mouse);
    VARLOK_FUZZ_CHECK(link.Device().Open(kPath, true, true, true, false));
    VARLOK_FUZZ_CHECK(link.MatchesOpenDevice());
    link.SetConnected(true);
    for (std::size_t i = 0; i < kMostCommands && input.remaining_bytes() > 0; ++i) {
        RunCommand(input, link, device);
    }
    return 0;
}
