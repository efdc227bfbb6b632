#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

#include "sim/mousedescriptors.h"
#include "simtestsupport.h"

namespace varlok::sim::test {
namespace {

using device::Command;
using device::TransferResult;
using device::TransferStatus;
using Direction = LoggedReport::Direction;

constexpr std::chrono::milliseconds kNoWait{0};

// Faults with one member set; the others keep their defaults.
template <typename Member, typename Value>
VirtualMouse::Faults Faulty(Member VirtualMouse::Faults::*member, Value value) {
    VirtualMouse::Faults faults;
    faults.*member = value;
    return faults;
}

class VirtualMouseTest : public SimTest {
protected:
    // Starts a read without a time limit on another thread.
    static std::future<TransferResult> StartRead(device::HidConnection& connection) {
        return std::async(std::launch::async, [&connection] {
            std::vector<std::uint8_t> buffer(64);
            return connection.Read(buffer, device::kWaitForever);
        });
    }

    const device::ReportFrame m_write =
        Request(Command::WriteSettings, 2, 64, std::array<std::uint8_t, 2>{0xAB, 0xCD});
};

TEST_F(VirtualMouseTest, LogRecordsEveryReportInOrderWithItsPath) {
    auto config = OpenConfig();
    const auto answer = Exchange(*config, m_write.Raw());
    m_mouse->PressEvent(0x402);
    auto consumer = OpenConsumer();  // opened after the event: receives nothing of it
    std::vector<std::uint8_t> buffer(64);
    ASSERT_EQ(config->Read(buffer, kGuard).status, TransferStatus::Done);

    const auto log = m_mouse->Log();
    ASSERT_EQ(log.size(), 3U);
    const std::string path = m_backend->PathOf(MouseCollection::Configuration);
    EXPECT_EQ(log[0].direction, Direction::HostToDevice);
    EXPECT_EQ(log[0].path, path);
    EXPECT_TRUE(std::ranges::equal(log[0].bytes, m_write.Raw()));
    EXPECT_TRUE(log[0].accepted);
    EXPECT_EQ(log[1].direction, Direction::DeviceToHost);
    EXPECT_EQ(log[1].bytes, answer);
    EXPECT_EQ(log[2].bytes, (std::vector<std::uint8_t>{0x02, 0x02, 0x04}));
    EXPECT_EQ(consumer->Read(buffer, kNoWait).status, TransferStatus::TimedOut);

    m_mouse->ClearLog();
    EXPECT_TRUE(m_mouse->Log().empty());
}

TEST_F(VirtualMouseTest, LogKeepsTheNewestEntriesWithinItsLimit) {
    m_mouse->SetLogLimit(3);
    auto config = OpenConfig();
    for (std::uint8_t i = 0; i < 3; ++i) {
        Exchange(*config, Request(Command::ReadSettings, 1, i).Raw());
    }
    const auto log = m_mouse->Log();
    ASSERT_EQ(log.size(), 3U);
    EXPECT_EQ(log[0].direction, Direction::DeviceToHost);
    EXPECT_EQ(log[1].bytes[5], 2);  // the last request
    EXPECT_EQ(log[2].direction, Direction::DeviceToHost);
}

TEST_F(VirtualMouseTest, SilentMouseTakesWritesButNeitherActsNorAnswers) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::silent, true));
    const MemorySnapshot before(*m_mouse);
    auto config = OpenConfig();
    EXPECT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Done);
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(config->Read(buffer, kNoWait).status, TransferStatus::TimedOut);
    EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);
    ASSERT_EQ(m_mouse->Log().size(), 1U);
    EXPECT_TRUE(m_mouse->Log()[0].accepted);

    m_mouse->SetFaults({});
    EXPECT_EQ(Exchange(*config, m_write.Raw())[7], 0x00);
}

TEST_F(VirtualMouseTest, FailingWritesAreLoggedAsRefused) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::failWrites, true));
    const MemorySnapshot before(*m_mouse);
    auto config = OpenConfig();
    EXPECT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Failed);
    EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);
    ASSERT_EQ(m_mouse->Log().size(), 1U);
    EXPECT_FALSE(m_mouse->Log()[0].accepted);
}

TEST_F(VirtualMouseTest, ForcedStatusAnswersEveryCommandWithoutCarryingItOut) {
    for (const std::uint8_t status : {std::uint8_t{0xFF}, std::uint8_t{0xFE}}) {
        SCOPED_TRACE(static_cast<int>(status));
        m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::forcedStatus, status));
        const MemorySnapshot before(*m_mouse);
        const auto answer = Exchange(m_write);
        ASSERT_EQ(answer.size(), 64U);
        EXPECT_EQ(answer[0], 0x04);
        EXPECT_TRUE(std::equal(answer.begin() + 3, answer.begin() + 7, m_write.Raw().begin() + 3));
        EXPECT_EQ(answer[7], status);
        EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);
        EXPECT_EQ(Exchange(Request(Command::ReadDeviceInfo, 0x21))[7], status);
    }
}

TEST_F(VirtualMouseTest, LatencyHoldsTheAnswerBack) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::latency, std::chrono::hours(1)));
    auto config = OpenConfig();
    ASSERT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Done);
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(config->Read(buffer, kNoWait).status, TransferStatus::TimedOut);
    // The command itself was carried out at once.
    EXPECT_EQ(m_mouse->SettingsArea()[64], 0xAB);
}

TEST_F(VirtualMouseTest, DelayedAnswerArrivesWithinALongerWait) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::latency, std::chrono::milliseconds(20)));
    const auto answer = Exchange(m_write);
    ASSERT_EQ(answer.size(), 64U);
    EXPECT_EQ(answer[7], 0x00);
}

TEST_F(VirtualMouseTest, GarbageAnswersAreNeverValidAnswers) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::garbage, true));
    auto config = OpenConfig();
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const auto answer = Exchange(*config, m_write.Raw());
        const bool foreignId = answer.size() == 64 && answer[0] != 0x04 && answer[0] > 0x04;
        const bool cutShort = answer.size() < 8 && !answer.empty() && answer[0] == 0x04;
        EXPECT_TRUE(foreignId || cutShort);
        EXPECT_EQ(round % 2 == 0, foreignId);
    }
    // The commands were carried out; only their answers were spoiled.
    EXPECT_EQ(m_mouse->SettingsArea()[65], 0xCD);
}

// Pulled out in the middle of a transfer: the reports before go through
// with their answers, the last is carried out and never answered, and the
// mouse is gone for every session until it is plugged in again.
TEST_F(VirtualMouseTest, UnpluggedAfterAReportItIsGoneBeforeTheAnswer) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::unplugAfterReports, 2U));
    auto config = OpenConfig();
    auto consumer = OpenConsumer();
    const auto waiting = StartRead(*consumer);
    EXPECT_EQ(Exchange(*config, m_write.Raw()).size(), 64U);
    const device::ReportFrame last =
        Request(Command::WriteSettings, 1, 66, std::array<std::uint8_t, 1>{0xEF});
    ASSERT_EQ(config->Write(last.Raw(), kGuard).status, TransferStatus::Done);
    EXPECT_FALSE(m_mouse->IsPlugged());
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(config->Read(buffer, kGuard).status, TransferStatus::Failed);
    EXPECT_EQ(waiting.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(m_mouse->SettingsArea()[66], 0xEF);
    EXPECT_FALSE(m_mouse->CurrentFaults().unplugAfterReports);
    m_mouse->Plug();
    auto again = OpenConfig();
    EXPECT_EQ(Exchange(*again, m_write.Raw()).size(), 64U);
}

TEST_F(VirtualMouseTest, TheProfileButtonSwitchesToTheNextProfileAndReportsIt) {
    int changes = 0;
    m_mouse->SetMemoryObserver([&changes] { ++changes; });
    auto consumer = OpenConsumer();
    auto area = m_mouse->SettingsArea();
    area[kActiveProfileByte] = 3;
    m_mouse->SetSettingsArea(area);
    for (const std::uint8_t next : {4, 0}) {
        m_mouse->PressProfileButton();
        EXPECT_EQ(m_mouse->SettingsArea()[kActiveProfileByte], next);
        for (const std::vector<std::uint8_t>& report :
             {std::vector<std::uint8_t>{kConsumerReportId, 0x01, 0x04},
              std::vector<std::uint8_t>{kConsumerReportId, 0x00, 0x00}}) {
            std::vector<std::uint8_t> buffer(64);
            const auto read = consumer->Read(buffer, kGuard);
            ASSERT_EQ(read.status, TransferStatus::Done);
            buffer.resize(read.bytes);
            EXPECT_EQ(buffer, report);
        }
    }
    EXPECT_EQ(changes, 3);  // the area, then each switch

    m_mouse->Unplug();
    m_mouse->PressProfileButton();
    EXPECT_EQ(m_mouse->SettingsArea()[kActiveProfileByte], 0);
    EXPECT_EQ(changes, 3);
    m_mouse->SetMemoryObserver({});
}

TEST_F(VirtualMouseTest, TheDpiButtonStepsTheStageOfTheRecordInForceAndReportsIt) {
    int changes = 0;
    auto consumer = OpenConsumer();
    auto area = m_mouse->SettingsArea();
    area[kActiveProfileByte] = 2;
    area[2 * kRecordSize + kCurrentDpiStageByte] = 5;
    area[kCurrentDpiStageByte] = 0;
    m_mouse->SetSettingsArea(area);
    m_mouse->SetMemoryObserver([&changes] { ++changes; });
    // Stage 6 to 7, then round to 1; a byte that names no stage starts at 1.
    for (const std::uint8_t next : {6, 0}) {
        m_mouse->PressDpiButton();
        EXPECT_EQ(m_mouse->SettingsArea()[2 * kRecordSize + kCurrentDpiStageByte], next);
        std::vector<std::uint8_t> buffer(64);
        const auto read = consumer->Read(buffer, kGuard);
        ASSERT_EQ(read.status, TransferStatus::Done);
        buffer.resize(read.bytes);
        EXPECT_EQ(buffer, (std::vector<std::uint8_t>{kConsumerReportId, 0x01, 0x04}));
        ASSERT_EQ(consumer->Read(buffer, kGuard).status, TransferStatus::Done);
    }
    area = m_mouse->SettingsArea();
    area[2 * kRecordSize + kCurrentDpiStageByte] = 0x40;
    m_mouse->SetSettingsArea(area);
    m_mouse->PressDpiButton();
    EXPECT_EQ(m_mouse->SettingsArea()[2 * kRecordSize + kCurrentDpiStageByte], 0);
    // Profile 0's record and the active profile stay as they were.
    EXPECT_EQ(m_mouse->SettingsArea()[kCurrentDpiStageByte], 0);
    EXPECT_EQ(m_mouse->SettingsArea()[kActiveProfileByte], 2);
    EXPECT_EQ(changes, 4);
    m_mouse->SetMemoryObserver({});
}

TEST_F(VirtualMouseTest, UnplugWakesAWaitingReaderAndKillsItsConnection) {
    auto consumer = OpenConsumer();
    auto config = OpenConfig();
    auto reader = StartRead(*consumer);
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, kGuard));
    m_mouse->Unplug();
    ASSERT_EQ(reader.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(reader.get().status, TransferStatus::Failed);

    EXPECT_FALSE(m_mouse->IsPlugged());
    EXPECT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Failed);
    m_mouse->PressEvent(0x401);

    m_mouse->Plug();
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(consumer->Read(buffer, kNoWait).status, TransferStatus::Failed);
    EXPECT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Failed);
    EXPECT_EQ(m_mouse->Generation(), 2U);

    auto fresh = OpenConfig();
    EXPECT_EQ(Exchange(*fresh, m_write.Raw())[7], 0x00);
}

TEST_F(VirtualMouseTest, AnswerPendingAtUnplugIsNeverDelivered) {
    m_mouse->SetFaults(Faulty(&VirtualMouse::Faults::latency, std::chrono::hours(1)));
    auto config = OpenConfig();
    ASSERT_EQ(config->Write(m_write.Raw(), kGuard).status, TransferStatus::Done);
    m_mouse->Unplug();
    m_mouse->Plug();
    m_mouse->SetFaults({});
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(config->Read(buffer, kNoWait).status, TransferStatus::Failed);
}

TEST_F(VirtualMouseTest, AbortWakesAWaitingReadOnce) {
    auto consumer = OpenConsumer();
    auto reader = StartRead(*consumer);
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, kGuard));
    consumer->Abort();
    ASSERT_EQ(reader.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(reader.get().status, TransferStatus::Aborted);

    // The abort was used up: the next read waits for a report again.
    m_mouse->PressEvent(0x401);
    std::vector<std::uint8_t> buffer(3);
    EXPECT_EQ(consumer->Read(buffer, kGuard).status, TransferStatus::Done);
}

TEST_F(VirtualMouseTest, AbortWakesAWaitingDecoyRead) {
    auto decoy = OpenPath(VirtualHidBackend::DecoyPath());
    auto reader = StartRead(*decoy);
    decoy->Abort();
    ASSERT_EQ(reader.wait_for(kGuard), std::future_status::ready);
    EXPECT_EQ(reader.get().status, TransferStatus::Aborted);
}

TEST_F(VirtualMouseTest, OnItsOwnThreadTheMouseAnswersEachReportInTurnAsTheWriteReturns) {
    m_mouse->AnswerOnOwnThread();
    auto config = OpenConfig();
    auto consumer = OpenConsumer();
    // Two reports back to back: their answers come in their order, to the
    // session that wrote them alone.
    ASSERT_EQ(config->Write(Request(Command::ReadSettings, 1, 64).Raw(), kGuard).status,
              TransferStatus::Done);
    ASSERT_EQ(config->Write(Request(Command::ReadSettings, 1, 128).Raw(), kGuard).status,
              TransferStatus::Done);
    std::vector<std::uint8_t> answer(64);
    ASSERT_EQ(config->Read(answer, kGuard).status, TransferStatus::Done);
    EXPECT_EQ(answer[5], 64);
    ASSERT_EQ(config->Read(answer, kGuard).status, TransferStatus::Done);
    EXPECT_EQ(answer[5], 128);
    EXPECT_EQ(consumer->Read(answer, kNoWait).status, TransferStatus::TimedOut);
    // A write is carried out by the time its answer is read.
    EXPECT_EQ(Exchange(*config, m_write.Raw()).size(), 64U);
    EXPECT_EQ(m_mouse->SettingsArea()[64], 0xAB);
    EXPECT_EQ(m_mouse->SettingsArea()[65], 0xCD);
}

TEST_F(VirtualMouseTest, ConcurrentExchangesNeverSeeEachOthersAnswers) {
    constexpr int kRounds = 200;
    // Interface 1 delivers consumer reports to every reader, so each side
    // skips those (as HidDevice does by report id) and checks its answers.
    auto exchangeLoop = [this](std::uint16_t offset) {
        auto config = OpenConfig();
        int mismatches = 0;
        for (int i = 0; i < kRounds; ++i) {
            const auto request = Request(Command::ReadSettings, 1, offset);
            if (config->Write(request.Raw(), kGuard).status != TransferStatus::Done) {
                ++mismatches;
                continue;
            }
            std::vector<std::uint8_t> answer(64);
            TransferResult read;
            do {
                read = config->Read(answer, kGuard);
            } while (read.status == TransferStatus::Done && answer[0] == kConsumerReportId);
            if (read.bytes != 64 || answer[5] != (offset & 0xFF) || answer[7] != 0x00) {
                ++mismatches;
            }
        }
        return mismatches;
    };
    auto other = std::async(std::launch::async, exchangeLoop, std::uint16_t{64});
    auto events = std::async(std::launch::async, [this] {
        for (int i = 0; i < kRounds; ++i) {
            m_mouse->PressEvent(0x401);
        }
    });
    const int mine = exchangeLoop(128);
    events.get();
    EXPECT_EQ(mine, 0);
    EXPECT_EQ(other.get(), 0);
}

}  // namespace
}  // namespace varlok::sim::test
