#include "device/devicelink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "configurationdescriptor.h"
#include "device/hidbus.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::device {
namespace {

using Bytes = ReportFrame::Bytes;
using Report = std::vector<std::uint8_t>;

constexpr std::uint16_t kVendor = 0x0C45;
constexpr std::uint16_t kProduct = 0x7643;
constexpr std::uint16_t kUsage = 0x92;
constexpr std::uint16_t kUsagePage = 0xFF1C;
constexpr char kPath[] = "fake:cfg#vid_0c45&pid_7643&mi_01";

// Data byte i of the fake's answer to a request with this offset; distinct
// per command and offset so that misplaced or crossed answers show.
std::uint8_t AnswerByte(std::uint8_t command, std::uint16_t offset, std::size_t i) {
    return static_cast<std::uint8_t>((offset + i) * 7 + command);
}

// The device side of the fake: records every transfer and answers writes
// through a replaceable rule. Thread-safe.
class FakeDevice {
public:
    struct Read {
        std::chrono::milliseconds timeout;
        bool delivered;
    };
    // Returns the reports queued in answer to one request (none: silence).
    using Rule = std::function<std::vector<Report>(const Bytes& request, std::size_t index)>;

    static std::vector<Report> Echo(const Bytes& request, std::uint8_t status) {
        Report answer(request.begin(), request.end());
        answer[ReportFrame::kStatusIndex] = status;
        const auto offset = static_cast<std::uint16_t>(request[5] | (request[6] << 8));
        for (std::size_t i = 0; i < ReportFrame::kDataCapacity; ++i) {
            answer[ReportFrame::kDataIndex + i] = AnswerByte(request[3], offset, i);
        }
        return {answer};
    }

    void SetRule(Rule rule) {
        const std::lock_guard lock(m_mutex);
        m_rule = std::move(rule);
    }
    void SetFailWrites(bool fail) {
        const std::lock_guard lock(m_mutex);
        m_failWrites = fail;
    }
    // Queues report as if it arrived when the next read that waits times out.
    void ArriveAfterNextTimeout(Report report) {
        const std::lock_guard lock(m_mutex);
        m_late.push_back(std::move(report));
    }
    void Queue(Report report) {
        const std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(report));
        m_changed.notify_all();
    }

    std::vector<Bytes> Writes() const {
        const std::lock_guard lock(m_mutex);
        return m_writes;
    }
    std::vector<Read> Reads() const {
        const std::lock_guard lock(m_mutex);
        return m_reads;
    }
    // Reads that waited for an answer (not the link's zero-timeout checks
    // for stale input).
    std::size_t WaitingReads() const {
        const auto reads = Reads();
        return static_cast<std::size_t>(std::count_if(
            reads.begin(), reads.end(), [](const Read& r) { return r.timeout.count() > 0; }));
    }
    std::size_t TransferCount() const {
        const std::lock_guard lock(m_mutex);
        return m_writes.size() + m_reads.size();
    }
    void ClearRecords() {
        const std::lock_guard lock(m_mutex);
        m_writes.clear();
        m_reads.clear();
    }

    TransferResult DoRead(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        const bool ready =
            m_changed.wait_for(lock, timeout, [this] { return !m_pending.empty() || m_aborted; });
        if (m_aborted) {
            m_aborted = false;
            m_reads.push_back({timeout, false});
            return {TransferStatus::Aborted, 0};
        }
        if (!ready) {
            m_reads.push_back({timeout, false});
            if (timeout.count() > 0 && !m_late.empty()) {
                m_pending.push_back(std::move(m_late.front()));
                m_late.pop_front();
            }
            return {TransferStatus::TimedOut, 0};
        }
        m_reads.push_back({timeout, true});
        Report report = std::move(m_pending.front());
        m_pending.pop_front();
        const std::size_t count = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), count, buffer.begin());
        return {TransferStatus::Done, count};
    }

    TransferResult DoWrite(std::span<const std::uint8_t> report) {
        const std::lock_guard lock(m_mutex);
        Bytes request{};
        std::copy_n(report.begin(), std::min(report.size(), request.size()), request.begin());
        m_writes.push_back(request);
        if (m_failWrites) {
            return {TransferStatus::Failed, 0};
        }
        if (m_rule) {
            for (Report& answer : m_rule(request, m_writes.size() - 1)) {
                m_pending.push_back(std::move(answer));
            }
        }
        m_changed.notify_all();
        return {TransferStatus::Done, report.size()};
    }

    void DoAbort() {
        const std::lock_guard lock(m_mutex);
        m_aborted = true;
        m_changed.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Rule m_rule = [](const Bytes& request, std::size_t) { return Echo(request, 0x00); };
    bool m_failWrites = false;
    bool m_aborted = false;
    std::deque<Report> m_pending;
    std::deque<Report> m_late;
    std::vector<Bytes> m_writes;
    std::vector<Read> m_reads;
};

class FakeConnection : public HidConnection {
public:
    explicit FakeConnection(std::shared_ptr<FakeDevice> device) : m_device(std::move(device)) {}
    std::vector<std::uint8_t> ReportDescriptor() const override {
        const auto& bytes = testing::kConfigurationWithOtherInputDescriptor;
        return {bytes.begin(), bytes.end()};
    }
    HidAttributes Attributes() const override { return {kVendor, kProduct, 0x0100}; }
    TransferResult Read(std::span<std::uint8_t> buffer,
                        std::chrono::milliseconds timeout) override {
        return m_device->DoRead(buffer, timeout);
    }
    TransferResult Write(std::span<const std::uint8_t> report,
                         std::chrono::milliseconds /*timeout*/) override {
        return m_device->DoWrite(report);
    }
    void Abort() override { m_device->DoAbort(); }

private:
    std::shared_ptr<FakeDevice> m_device;
};

class FakeBackend : public HidBackend {
public:
    explicit FakeBackend(std::shared_ptr<FakeDevice> device) : m_device(std::move(device)) {}
    std::string_view Scheme() const override { return "fake"; }
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.emplace_back(kPath);
        return true;
    }
    std::unique_ptr<HidConnection> Open(std::string_view path, const HidOpenRequest&,
                                        HidOpenError& error) override {
        if (path != kPath) {
            error = HidOpenError::NotFound;
            return nullptr;
        }
        error = HidOpenError::None;
        return std::make_unique<FakeConnection>(m_device);
    }
    bool Probe(std::string_view path) override { return path == kPath; }

private:
    std::shared_ptr<FakeDevice> m_device;
};

// A link opened on the fake device and marked connected, as the presence
// monitor leaves it.
class DeviceLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_bus->Attach(std::make_shared<FakeBackend>(m_device));
        m_link.Init(kVendor, kProduct, kUsage, kUsagePage);
        ASSERT_TRUE(m_link.Device().Open(kPath, true, true, true, false));
        ASSERT_TRUE(m_link.MatchesOpenDevice());
        m_link.SetConnected(true);
    }

    std::shared_ptr<FakeDevice> m_device = std::make_shared<FakeDevice>();
    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    DeviceLink m_link{m_bus};
};

// A request frame built here byte by byte, independently of ReportFrame.
Bytes Request(std::uint8_t command, std::uint8_t length, std::uint16_t offset,
              std::span<const std::uint8_t> data = {}) {
    Bytes frame{};
    frame[0] = 0x04;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<std::uint8_t>(offset & 0xFF);
    frame[6] = static_cast<std::uint8_t>(offset >> 8);
    std::copy(data.begin(), data.end(), frame.begin() + 8);
    unsigned sum = 0;
    for (std::size_t i = 3; i < frame.size(); ++i) {
        sum += frame[i];
    }
    frame[1] = static_cast<std::uint8_t>(sum & 0xFF);
    frame[2] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    return frame;
}

Bytes Literal(std::initializer_list<std::uint8_t> header) {
    Bytes frame{};
    std::copy(header.begin(), header.end(), frame.begin());
    return frame;
}

TEST_F(DeviceLinkTest, SingleCommandsSendExactBytes) {
    DeviceInfo info;
    ASSERT_EQ(m_link.BeginTransfer(), LinkResult::Success);
    ASSERT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    ASSERT_EQ(m_link.EndTransfer(), LinkResult::Success);
    ASSERT_EQ(m_link.RestoreDefaults(), LinkResult::Success);

    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 4U);
    EXPECT_EQ(writes[0], Literal({0x04, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(writes[1], Literal({0x04, 0x24, 0x00, 0x03, 0x21, 0x00, 0x00, 0x00}));
    EXPECT_EQ(writes[2], Literal({0x04, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00}));
    // Restoring defaults goes out with its checksum bytes left at zero.
    EXPECT_EQ(writes[3], Literal({0x04, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(m_device->WaitingReads(), 4U);
}

TEST_F(DeviceLinkTest, DeviceInfoIsAnswerBytes8To40) {
    DeviceInfo info;
    info.Raw().fill(0x5A);
    ASSERT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    for (std::size_t i = 0; i < DeviceInfo::kSize; ++i) {
        EXPECT_EQ(info.Raw()[i], AnswerByte(0x03, 0, i)) << "byte " << i;
    }
    // Bytes 9-10 and 13-14 of the block read little-endian.
    EXPECT_EQ(info.SensorCode(), AnswerByte(0x03, 0, 9) | (AnswerByte(0x03, 0, 10) << 8));
    EXPECT_EQ(info.BaseDpi(), AnswerByte(0x03, 0, 13) | (AnswerByte(0x03, 0, 14) << 8));
    EXPECT_EQ(info.MacroCapacityBytes(), AnswerByte(0x03, 0, 6) * 128U);
}

TEST_F(DeviceLinkTest, SettingsCommandsAddressTheSettingsArea) {
    std::array<std::uint8_t, 56> record{};
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(0xC0 + i);
    }
    ASSERT_EQ(m_link.WriteSettings(record, 0), LinkResult::Success);
    const std::array<std::uint8_t, 1> two{0x02};
    ASSERT_EQ(m_link.WriteSettings(two, 0), LinkResult::Success);
    std::array<std::uint8_t, 56> read{};
    ASSERT_EQ(m_link.ReadSettings(read, 128), LinkResult::Success);
    std::array<std::uint8_t, 1> active{};
    ASSERT_EQ(m_link.ReadSettings(active, 0), LinkResult::Success);

    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 4U);
    EXPECT_EQ(writes[0], Request(0x06, 56, 0, record));
    EXPECT_EQ(writes[1], Request(0x06, 1, 0, two));
    EXPECT_EQ(writes[2], Request(0x05, 56, 128));
    EXPECT_EQ(writes[3], Request(0x05, 1, 0));
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i], AnswerByte(0x05, 128, i));
    }
    EXPECT_EQ(active[0], AnswerByte(0x05, 0, 0));

    // Counts the frame cannot carry are refused before anything is sent.
    std::array<std::uint8_t, 57> tooLong{};
    EXPECT_EQ(m_link.ReadSettings(tooLong, 0), LinkResult::BadLength);
    EXPECT_EQ(m_link.WriteSettings(tooLong, 0), LinkResult::BadLength);
    EXPECT_EQ(m_link.ReadSettings({}, 0), LinkResult::BadLength);
    EXPECT_EQ(m_device->Writes().size(), 4U);
}

TEST_F(DeviceLinkTest, StoredBlockIsTenChunksAtItsOffset) {
    std::vector<std::uint8_t> block(512, 0xEE);
    ASSERT_EQ(m_link.ReadStoredBlock(block, 2), LinkResult::Success);

    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 10U);
    for (std::size_t k = 0; k < 10; ++k) {
        const auto offset = static_cast<std::uint16_t>(252 + 56 * k);
        const std::uint8_t length = k < 9 ? 56 : 8;
        EXPECT_EQ(writes[k], Request(0x08, length, offset)) << "chunk " << k;
    }
    for (std::size_t position = 0; position < block.size(); ++position) {
        const std::size_t chunkStart = position - position % 56;
        ASSERT_EQ(block[position], AnswerByte(0x08, static_cast<std::uint16_t>(252 + chunkStart),
                                              position - chunkStart))
            << "byte " << position;
    }

    m_device->ClearRecords();
    EXPECT_EQ(m_link.ReadStoredBlock(block, 5), LinkResult::BadBlockIndex);
    EXPECT_EQ(m_link.WriteStoredBlock(block, 5), LinkResult::BadBlockIndex);
    EXPECT_EQ(m_device->TransferCount(), 0U);
}

TEST_F(DeviceLinkTest, WrittenBlockCarriesItsSource) {
    std::vector<std::uint8_t> block(512);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 3 + 1);
    }
    ASSERT_EQ(m_link.WriteStoredBlock(block, 4), LinkResult::Success);
    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 10U);
    for (std::size_t k = 0; k < 9; ++k) {
        const std::span<const std::uint8_t> chunk(block.data() + 56 * k, 56);
        EXPECT_EQ(writes[k], Request(0x09, 56, static_cast<std::uint16_t>(504 + 56 * k), chunk))
            << "chunk " << k;
    }
    // The last chunk's 8 bytes, then the ninth chunk's bytes 8..55 still there.
    std::vector<std::uint8_t> last(block.begin() + 504, block.end());
    last.insert(last.end(), block.begin() + 448 + 8, block.begin() + 504);
    EXPECT_EQ(writes[9], Request(0x09, 8, 1008, last));

    // A buffer shorter than the block is refused before anything is sent.
    m_device->ClearRecords();
    EXPECT_EQ(m_link.WriteStoredBlock(std::span(block).first(511), 0), LinkResult::BadLength);
    EXPECT_EQ(m_link.ReadActiveBlock(std::span(block).first(100)), LinkResult::BadLength);
    EXPECT_EQ(m_device->TransferCount(), 0U);
}

TEST_F(DeviceLinkTest, LightingFrameShortChunkKeepsStaleDataUnderTheChecksum) {
    std::array<std::uint8_t, 66> frame{};
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<std::uint8_t>(i + 1);
    }
    ASSERT_EQ(m_link.SendLightingFrame(frame), LinkResult::Success);
    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 2U);

    // 0x12 + 56 + (1 + ... + 56) = 1670 = 0x0686
    Bytes first = Literal({0x04, 0x86, 0x06, 0x12, 56, 0x00, 0x00, 0x00});
    std::copy_n(frame.begin(), 56, first.begin() + 8);
    EXPECT_EQ(writes[0], first);

    // 0x12 + 10 + 0x38 + (57 + ... + 66) + (11 + ... + 56) = 2240 = 0x08C0
    Bytes second = Literal({0x04, 0xC0, 0x08, 0x12, 10, 56, 0x00, 0x00});
    std::copy_n(frame.begin() + 56, 10, second.begin() + 8);
    std::copy(frame.begin() + 10, frame.begin() + 56, second.begin() + 18);
    EXPECT_EQ(writes[1], second);
}

TEST_F(DeviceLinkTest, MacroAndCursorDataAreChunkedFromOffsetZero) {
    std::vector<std::uint8_t> macro(120, 0x21);
    ASSERT_EQ(m_link.WriteMacroData(macro), LinkResult::Success);
    std::vector<std::uint8_t> cursor(56, 0x42);
    ASSERT_EQ(m_link.WriteCursorData(cursor), LinkResult::Success);
    ASSERT_EQ(m_link.WriteMacroData({}), LinkResult::Success);

    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 4U);
    EXPECT_EQ(writes[0], Request(0x15, 56, 0, std::span(macro).first(56)));
    EXPECT_EQ(writes[1], Request(0x15, 56, 56, std::span(macro).first(56)));
    EXPECT_EQ(writes[2], Request(0x15, 8, 112, std::span(macro).first(56)));
    EXPECT_EQ(writes[3], Request(0x17, 56, 0, cursor));

    // Offsets are 16-bit: a payload reaching beyond 0xFFFF is refused whole.
    std::vector<std::uint8_t> huge(0x10001, 0x01);
    EXPECT_EQ(m_link.WriteMacroData(huge), LinkResult::BadLength);
    EXPECT_EQ(m_device->Writes().size(), 4U);
}

TEST_F(DeviceLinkTest, BlockSizeAboveLimitIsRefusedAndSmallerSizeChunks) {
    EXPECT_EQ(m_link.BlockSize(), 512);
    EXPECT_FALSE(m_link.SetBlockSize(513));
    EXPECT_EQ(m_link.BlockSize(), 512);
    ASSERT_TRUE(m_link.SetBlockSize(126));
    EXPECT_EQ(m_link.BlockSize(), 126);

    std::vector<std::uint8_t> block(126);
    ASSERT_EQ(m_link.ReadActiveBlock(block), LinkResult::Success);
    ASSERT_EQ(m_link.ReadStoredBlock(block, 1), LinkResult::Success);
    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 6U);
    EXPECT_EQ(writes[0], Request(0x07, 56, 0));
    EXPECT_EQ(writes[1], Request(0x07, 56, 56));
    EXPECT_EQ(writes[2], Request(0x07, 14, 112));
    EXPECT_EQ(writes[3], Request(0x08, 56, 126));
    EXPECT_EQ(writes[4], Request(0x08, 56, 182));
    EXPECT_EQ(writes[5], Request(0x08, 14, 238));
}

TEST_F(DeviceLinkTest, SilentDeviceGetsFourAttemptsThenNoAnswer) {
    m_device->SetRule([](const Bytes&, std::size_t) { return std::vector<Report>{}; });
    std::array<std::uint8_t, 56> destination{};
    destination.fill(0xEE);
    EXPECT_EQ(m_link.ReadSettings(destination, 64), LinkResult::NoAnswer);

    const auto writes = m_device->Writes();
    ASSERT_EQ(writes.size(), 4U);
    for (const Bytes& write : writes) {
        EXPECT_EQ(write, Request(0x05, 56, 64));
    }
    EXPECT_EQ(m_device->WaitingReads(), 4U);
    for (const auto& read : m_device->Reads()) {
        if (read.timeout.count() > 0) {
            EXPECT_LE(read.timeout, DeviceLink::kReadTimeout);
        }
    }
    EXPECT_TRUE(std::all_of(destination.begin(), destination.end(),
                            [](std::uint8_t b) { return b == 0xEE; }));
    EXPECT_TRUE(m_link.IsConnected());
}

TEST_F(DeviceLinkTest, FailedWriteIsNotRetried) {
    m_device->SetFailWrites(true);
    EXPECT_EQ(m_link.BeginTransfer(), LinkResult::WriteFailed);
    EXPECT_EQ(m_device->Writes().size(), 1U);
    EXPECT_EQ(m_device->WaitingReads(), 0U);

    std::vector<std::uint8_t> block(512);
    EXPECT_EQ(m_link.WriteStoredBlock(block, 0), LinkResult::WriteFailed);
    EXPECT_EQ(m_device->Writes().size(), 2U);

    // Restoring defaults does not look at the write, only at the read-back.
    EXPECT_EQ(m_link.RestoreDefaults(), LinkResult::NoAnswer);
    EXPECT_EQ(m_device->Writes().size(), 3U);
    EXPECT_EQ(m_device->WaitingReads(), 1U);
    EXPECT_TRUE(m_link.IsConnected());
}

TEST_F(DeviceLinkTest, FailureStatusesMapToTheirResults) {
    struct Case {
        std::uint8_t status;
        LinkResult result;
    };
    for (const Case& c :
         {Case{0xFF, LinkResult::DeviceFailed}, Case{0xFE, LinkResult::DeviceRefused},
          Case{0x01, LinkResult::Success}, Case{0xFD, LinkResult::Success}}) {
        m_device->SetRule([status = c.status](const Bytes& request, std::size_t) {
            return FakeDevice::Echo(request, status);
        });
        DeviceInfo info;
        info.Raw().fill(0x77);
        EXPECT_EQ(m_link.ReadDeviceInfo(info), c.result) << int{c.status};
        const bool copied = c.result == LinkResult::Success;
        EXPECT_EQ(info.Raw()[0] != 0x77, copied) << int{c.status};
        std::array<std::uint8_t, 3> settings{};
        EXPECT_EQ(m_link.WriteSettings(settings, 0), c.result);
        EXPECT_EQ(m_link.BeginTransfer(), c.result);
    }
    // A status ends a chunked command at the chunk that carried it.
    m_device->ClearRecords();
    m_device->SetRule([](const Bytes& request, std::size_t index) {
        return FakeDevice::Echo(request, index == 1 ? 0xFE : 0x00);
    });
    std::vector<std::uint8_t> block(512);
    EXPECT_EQ(m_link.WriteStoredBlock(block, 0), LinkResult::DeviceRefused);
    EXPECT_EQ(m_device->Writes().size(), 2U);
}

TEST_F(DeviceLinkTest, DisconnectedLinkDoesNoIo) {
    m_link.SetSyncActive(true);
    m_link.SetConnected(false);
    EXPECT_FALSE(m_link.IsSyncActive());

    DeviceInfo info;
    std::vector<std::uint8_t> buffer(512);
    Bytes raw{};
    EXPECT_EQ(m_link.BeginTransfer(), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.EndTransfer(), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.ReadSettings(std::span(buffer).first(56), 0), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.WriteSettings(std::span(buffer).first(56), 0), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.ReadActiveBlock(buffer), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.ReadStoredBlock(buffer, 0), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.WriteStoredBlock(buffer, 0), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.RestoreDefaults(), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.SendLightingFrame(std::span(buffer).first(66)), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.WriteMacroData(buffer), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.WriteCursorData(buffer), LinkResult::NoAnswer);
    EXPECT_EQ(m_link.Transact(raw, raw), LinkResult::NoAnswer);
    EXPECT_FALSE(m_link.TransactOnce(raw));
    EXPECT_EQ(m_device->TransferCount(), 0U);

    // Init also leaves the link disconnected.
    m_link.SetConnected(true);
    m_link.Init(kVendor, 0x6556, kUsage, kUsagePage);
    EXPECT_FALSE(m_link.IsConnected());
    EXPECT_FALSE(m_link.MatchesOpenDevice());
}

TEST_F(DeviceLinkTest, ChunkedReadFailingMidwayCopiesOnlyChunksRead) {
    m_device->SetRule([](const Bytes& request, std::size_t index) {
        return index < 3 ? FakeDevice::Echo(request, 0x00) : std::vector<Report>{};
    });
    std::vector<std::uint8_t> block(512, 0xEE);
    EXPECT_EQ(m_link.ReadActiveBlock(block), LinkResult::NoAnswer);
    EXPECT_EQ(m_device->Writes().size(), 3U + 4U);
    for (std::size_t i = 0; i < 168; ++i) {
        const std::size_t chunkStart = i - i % 56;
        ASSERT_EQ(block[i], AnswerByte(0x07, static_cast<std::uint16_t>(chunkStart), i % 56));
    }
    EXPECT_TRUE(
        std::all_of(block.begin() + 168, block.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

TEST_F(DeviceLinkTest, ReportsThatAreNoAnswerAreSkippedWithinTheReadBudget) {
    // Another report id and a report cut short before its status come first.
    m_device->SetRule([](const Bytes& request, std::size_t) {
        Report other(64, 0x99);
        other[0] = 0x05;
        const Report cut{0x04, 0x00, 0x00};
        std::vector<Report> answers{other, cut};
        answers.push_back(FakeDevice::Echo(request, 0x00).front());
        return answers;
    });
    std::array<std::uint8_t, 4> settings{};
    ASSERT_EQ(m_link.ReadSettings(settings, 8), LinkResult::Success);
    EXPECT_EQ(m_device->Writes().size(), 1U);
    EXPECT_EQ(settings[0], AnswerByte(0x05, 8, 0));

    // Only such reports: four attempts, no answer.
    m_device->ClearRecords();
    m_device->SetRule([](const Bytes&, std::size_t) {
        Report other(64, 0x00);
        other[0] = 0x05;
        return std::vector<Report>{other};
    });
    EXPECT_EQ(m_link.ReadSettings(settings, 8), LinkResult::NoAnswer);
    EXPECT_EQ(m_device->Writes().size(), 4U);
}

TEST_F(DeviceLinkTest, AnotherCommandsAnswerIsNeverTakenForTheAnswer) {
    // Ahead of each answer comes a refusal of a settings write, as another
    // program's exchange on the same node, or a late answer, would put it.
    const Report foreign = FakeDevice::Echo(Request(0x06, 56, 0), 0xFF).front();
    m_device->SetRule([&](const Bytes& request, std::size_t) {
        return std::vector<Report>{foreign, FakeDevice::Echo(request, 0x00).front()};
    });
    std::array<std::uint8_t, 8> settings{};
    ASSERT_EQ(m_link.ReadSettings(settings, 16), LinkResult::Success);
    EXPECT_EQ(settings[0], AnswerByte(0x05, 16, 0));
    EXPECT_EQ(m_device->Writes(), std::vector<Bytes>{Request(0x05, 8, 16)});

    // A mouse that echoes nothing (byte 3 zero) is answered all the same.
    m_device->SetRule([](const Bytes& request, std::size_t) {
        Report answer = FakeDevice::Echo(request, 0x00).front();
        std::fill(answer.begin() + 1, answer.begin() + 7, 0);
        return std::vector<Report>{answer};
    });
    ASSERT_EQ(m_link.ReadSettings(settings, 24), LinkResult::Success);
    EXPECT_EQ(settings[0], AnswerByte(0x05, 24, 0));

    // Nothing but other commands' answers: a silent mouse's four attempts.
    m_device->ClearRecords();
    m_device->SetRule([&](const Bytes&, std::size_t) { return std::vector<Report>{foreign}; });
    EXPECT_EQ(m_link.BeginTransfer(), LinkResult::NoAnswer);
    EXPECT_EQ(m_device->Writes().size(), 4U);
    Bytes begin = Request(0x01, 0, 0);
    EXPECT_FALSE(m_link.TransactOnce(begin));
}

TEST_F(DeviceLinkTest, ShortAnswerReadsZeroWhereNoByteWasReceived) {
    // A full report 5 of 0xEE is skipped, then a 10-byte answer echoing the
    // command arrives: its bytes 10-63 were never sent and must not show the
    // skipped report's.
    Report shortAnswer{0x04, 0x00, 0x00, 0x05, 0x38, 0x00, 0x00, 0x00, 0x11, 0x11};
    m_device->SetRule([&](const Bytes& request, std::size_t) {
        Report other(64, 0xEE);
        other[0] = 0x05;
        shortAnswer[3] = request[3];
        return std::vector<Report>{other, shortAnswer};
    });
    std::array<std::uint8_t, 56> settings{};
    settings.fill(0x55);
    ASSERT_EQ(m_link.ReadSettings(settings, 0), LinkResult::Success);
    std::array<std::uint8_t, 56> expected{};
    expected[0] = expected[1] = 0x11;
    EXPECT_EQ(settings, expected);

    DeviceInfo info;
    ASSERT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    EXPECT_TRUE(std::equal(info.Raw().begin(), info.Raw().end(), expected.begin()));

    // Transact and TransactOnce: neither the request's bytes nor the skipped
    // report's survive past the answer's tenth byte.
    std::array<std::uint8_t, 64> request{};
    request.fill(0x77);
    request[0] = 0x04;
    std::array<std::uint8_t, 64> response{};
    response.fill(0x55);
    std::size_t received = 0;
    ASSERT_EQ(m_link.Transact(request, response, &received), LinkResult::Success);
    EXPECT_EQ(received, shortAnswer.size());
    ASSERT_TRUE(m_link.TransactOnce(request));
    for (const auto* buffer : {&response, &request}) {
        EXPECT_TRUE(std::equal(shortAnswer.begin(), shortAnswer.end(), buffer->begin()));
        EXPECT_TRUE(std::all_of(buffer->begin() + 10, buffer->end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST_F(DeviceLinkTest, LateAnswerIsNeverTakenForALaterExchange) {
    // The first request is answered just after the link stopped waiting; the
    // device then answers the repeated request at once. The late answer must
    // not be read as the answer to the repeat, nor to the next command.
    Report late(64, 0xAA);
    late[0] = 0x04;
    late[7] = 0x00;
    m_device->SetRule([](const Bytes& request, std::size_t index) {
        return index == 0 ? std::vector<Report>{} : FakeDevice::Echo(request, 0x00);
    });
    m_device->ArriveAfterNextTimeout(late);
    std::array<std::uint8_t, 8> first{};
    ASSERT_EQ(m_link.ReadSettings(first, 16), LinkResult::Success);
    EXPECT_EQ(m_device->Writes().size(), 2U);
    EXPECT_EQ(first[0], AnswerByte(0x05, 16, 0));

    std::array<std::uint8_t, 8> second{};
    ASSERT_EQ(m_link.ReadSettings(second, 24), LinkResult::Success);
    EXPECT_EQ(second[0], AnswerByte(0x05, 24, 0));
}

TEST_F(DeviceLinkTest, TransactPadsTheRequestAndCopiesTheAnswer) {
    const std::array<std::uint8_t, 8> request{0x04, 0x09, 0x00, 0x05, 0x04, 0x00, 0x00, 0x00};
    std::array<std::uint8_t, 64> response{};
    std::size_t received = 99;
    ASSERT_EQ(m_link.Transact(request, response, &received), LinkResult::Success);
    EXPECT_EQ(received, 64U);
    EXPECT_EQ(m_device->Writes().front(), Request(0x05, 4, 0));
    EXPECT_EQ(response[0], 0x04);
    EXPECT_EQ(response[8], AnswerByte(0x05, 0, 0));

    // TransactOnce hands the answer back in the caller's buffer.
    std::array<std::uint8_t, 64> once{0x04, 0x00, 0x00, 0x05, 0x01, 0x02};
    ASSERT_TRUE(m_link.TransactOnce(once));
    EXPECT_EQ(once[8], AnswerByte(0x05, 2, 0));
}

TEST_F(DeviceLinkTest, IoLockIsReentrantAndKeepsOtherThreadsOut) {
    auto cycle = m_link.LockIo();
    // Commands of the thread that holds the lock go ahead.
    ASSERT_EQ(m_link.BeginTransfer(), LinkResult::Success);

    std::atomic<bool> started = false;
    std::thread other([&] {
        started = true;
        std::array<std::uint8_t, 1> byte{};
        EXPECT_EQ(m_link.ReadSettings(byte, 0), LinkResult::Success);
    });
    while (!started) {
        std::this_thread::yield();
    }
    ASSERT_EQ(m_link.EndTransfer(), LinkResult::Success);
    // Until the cycle ends only this thread's commands reached the device.
    const auto held = m_device->Writes();
    ASSERT_EQ(held.size(), 2U);
    EXPECT_EQ(held[1][3], 0x02);
    cycle.unlock();
    other.join();
    const auto after = m_device->Writes();
    ASSERT_EQ(after.size(), 3U);
    EXPECT_EQ(after[2], Request(0x05, 1, 0));
}

TEST_F(DeviceLinkTest, TwoThreadsNeverReadEachOthersAnswers) {
    // Answers are queued when a request arrives and wait for whoever reads
    // first: exactly the situation in which a lock around each single write
    // and read lets one thread take the other's answer.
    constexpr int kIterations = 1000;
    std::atomic<int> crossed = 0;
    std::atomic<int> failed = 0;
    std::thread settingsReader([&] {
        for (int i = 0; i < kIterations; ++i) {
            std::array<std::uint8_t, 56> record{};
            const auto offset = static_cast<std::uint16_t>(64 * (i % 5));
            if (m_link.ReadSettings(record, offset) != LinkResult::Success) {
                ++failed;
            } else if (record[0] != AnswerByte(0x05, offset, 0) ||
                       record[55] != AnswerByte(0x05, offset, 55)) {
                ++crossed;
            }
        }
    });
    std::thread infoReader([&] {
        for (int i = 0; i < kIterations; ++i) {
            DeviceInfo info;
            if (m_link.ReadDeviceInfo(info) != LinkResult::Success) {
                ++failed;
            } else if (info.Raw()[0] != AnswerByte(0x03, 0, 0) ||
                       info.Raw()[32] != AnswerByte(0x03, 0, 32)) {
                ++crossed;
            }
        }
    });
    std::thread blockReader([&] {
        std::vector<std::uint8_t> block(512);
        for (int i = 0; i < kIterations / 10; ++i) {
            if (m_link.ReadStoredBlock(block, 1) != LinkResult::Success) {
                ++failed;
                continue;
            }
            for (std::size_t k = 0; k < 10; ++k) {
                const auto offset = static_cast<std::uint16_t>(126 + 56 * k);
                if (block[56 * k] != AnswerByte(0x08, offset, 0)) {
                    ++crossed;
                }
            }
        }
    });
    settingsReader.join();
    infoReader.join();
    blockReader.join();
    EXPECT_EQ(crossed, 0);
    EXPECT_EQ(failed, 0);

    // The chunks of the block reads went out back to back.
    const auto writes = m_device->Writes();
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i][3] == 0x08 && writes[i][6] * 256 + writes[i][5] != 126 + 9 * 56) {
            ASSERT_LT(i + 1, writes.size());
            EXPECT_EQ(writes[i + 1][3], 0x08) << "write " << i;
        }
    }
}

// The same link against the virtual mouse, whose firmware model answers from
// its own memory, reached through the real HidDevice path.
class DeviceLinkSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_link.Init(sim::kMouseVendorId, sim::kMouseProductId, kUsage, kUsagePage);
        const std::string path =
            sim::VirtualHidBackend(m_mouse).PathOf(sim::MouseCollection::Configuration);
        ASSERT_TRUE(m_link.Device().Open(path, true, true, true, false));
        ASSERT_TRUE(m_link.MatchesOpenDevice());
        m_link.SetConnected(true);
    }

    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse = sim::AttachVirtualMouse(*m_bus);
    DeviceLink m_link{m_bus};
};

TEST_F(DeviceLinkSimTest, StoredBlockWrittenIsReadBackAtItsOffset) {
    std::vector<std::uint8_t> block(512);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    }
    ASSERT_EQ(m_link.BeginTransfer(), LinkResult::Success);
    ASSERT_EQ(m_link.WriteStoredBlock(block, 3), LinkResult::Success);
    ASSERT_EQ(m_link.EndTransfer(), LinkResult::Success);
    const auto stored = m_mouse->StoredKeyBlock(3);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), stored.begin()));
    const auto memory = m_mouse->KeyMemory();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.begin() + std::ptrdiff_t{3 * 126}));

    std::vector<std::uint8_t> read(512);
    ASSERT_EQ(m_link.ReadStoredBlock(read, 3), LinkResult::Success);
    EXPECT_EQ(read, block);
}

TEST_F(DeviceLinkSimTest, TwoThreadsNeverReadEachOthersAnswers) {
    auto area = m_mouse->SettingsArea();
    for (std::size_t i = 0; i < area.size(); ++i) {
        area[i] = static_cast<std::uint8_t>(i * 5 + 3);
    }
    // Offsets 0-55 read the record in force: with profile 0 active, that is
    // the area's own first record.
    area[0] = 0;
    m_mouse->SetSettingsArea(area);
    const auto info = m_mouse->DeviceInfo();
    sim::VirtualMouse::Faults faults;
    faults.latency = std::chrono::microseconds(100);
    m_mouse->SetFaults(faults);
    m_mouse->SetLogLimit(16);

    constexpr int kIterations = 300;
    std::atomic<int> crossed = 0;
    std::atomic<int> failed = 0;
    const auto readSettings = [&](std::uint16_t firstRecord) {
        for (int i = 0; i < kIterations; ++i) {
            const auto offset = static_cast<std::uint16_t>(64 * ((firstRecord + i) % 5));
            std::array<std::uint8_t, 56> record{};
            if (m_link.ReadSettings(record, offset) != LinkResult::Success) {
                ++failed;
            } else if (!std::equal(record.begin(), record.end(), area.begin() + offset)) {
                ++crossed;
            }
        }
    };
    std::thread first(readSettings, 0);
    std::thread second(readSettings, 2);
    std::thread infoReader([&] {
        for (int i = 0; i < kIterations; ++i) {
            DeviceInfo read;
            if (m_link.ReadDeviceInfo(read) != LinkResult::Success) {
                ++failed;
            } else if (!std::equal(info.begin(), info.end(), read.Raw().begin())) {
                ++crossed;
            }
        }
    });
    first.join();
    second.join();
    infoReader.join();
    EXPECT_EQ(crossed, 0);
    EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace varlok::device
