#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>

#include "simtestsupport.h"

namespace varlok::sim::test {
namespace {

using device::Command;
using device::ReportFrame;

constexpr std::size_t kStatus = 7;
constexpr std::size_t kData = 8;

std::uint16_t SumOfBytes3To63(std::span<const std::uint8_t> frame) {
    return static_cast<std::uint16_t>(std::accumulate(frame.begin() + 3, frame.end(), 0U) & 0xFFFF);
}

// Every answer carries report id 4, its own checksum and the request's bytes 3..6.
void ExpectAnswerTo(const std::vector<std::uint8_t>& answer, const ReportFrame& request,
                    std::uint8_t status) {
    ASSERT_EQ(answer.size(), 64U);
    EXPECT_EQ(answer[0], 0x04);
    EXPECT_EQ(answer[1] | (answer[2] << 8), SumOfBytes3To63(answer));
    EXPECT_TRUE(std::equal(answer.begin() + 3, answer.begin() + 7, request.Raw().begin() + 3));
    EXPECT_EQ(answer[kStatus], status);
}

template <std::size_t N>
std::array<std::uint8_t, N> Pattern(std::uint8_t seed) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

class MouseFirmwareTest : public SimTest {
protected:
    // Sends a payload the way hosts cut it: 56 bytes per report, the last one
    // shorter, with data bytes past a short chunk left from the previous one.
    void WriteChunks(Command command, std::span<const std::uint8_t> payload,
                     std::uint16_t base = 0) {
        ReportFrame frame(command);
        for (std::size_t position = 0; position < payload.size(); position += 56) {
            const std::size_t chunk = std::min<std::size_t>(56, payload.size() - position);
            frame.SetLength(static_cast<std::uint8_t>(chunk));
            frame.SetOffset(static_cast<std::uint16_t>(base + position));
            frame.SetData(payload.subspan(position, chunk));
            frame.Seal();
            const auto answer = Exchange(frame);
            ASSERT_EQ(answer.size(), 64U);
            ASSERT_EQ(answer[kStatus], 0x00) << "chunk at " << position;
        }
    }
    std::vector<std::uint8_t> ReadChunks(Command command, std::size_t total, std::uint16_t base) {
        std::vector<std::uint8_t> data;
        for (std::size_t position = 0; position < total; position += 56) {
            const auto chunk =
                static_cast<std::uint8_t>(std::min<std::size_t>(56, total - position));
            const auto request =
                Request(command, chunk, static_cast<std::uint16_t>(base + position));
            const auto answer = Exchange(request);
            ExpectAnswerTo(answer, request, 0x00);
            data.insert(data.end(), answer.begin() + kData, answer.begin() + kData + chunk);
        }
        return data;
    }
};

TEST_F(MouseFirmwareTest, TransferBracketAnswersWithEchoAndStatusZero) {
    std::array<std::uint8_t, 64> begin{0x04, 0x01, 0x00, 0x01};
    const auto answer = Exchange(*OpenConfig(), begin);
    std::array<std::uint8_t, 64> expected{0x04, 0x01, 0x00, 0x01};
    EXPECT_TRUE(std::ranges::equal(answer, expected));
    EXPECT_TRUE(m_mouse->InTransfer());

    const auto end = Request(Command::EndTransfer);
    ExpectAnswerTo(Exchange(end), end, 0x00);
    EXPECT_FALSE(m_mouse->InTransfer());
}

TEST_F(MouseFirmwareTest, DeviceInfoAnswerCarriesTheBlockInBytes8To40) {
    const std::array<std::uint8_t, 64> request{0x04, 0x24, 0x00, 0x03, 0x21};
    const auto answer = Exchange(*OpenConfig(), request);
    ExpectAnswerTo(answer, ReportFrame::FromBytes(request), 0x00);
    const DeviceInfoBytes info = m_mouse->DeviceInfo();
    EXPECT_TRUE(std::equal(info.begin(), info.end(), answer.begin() + kData));
    EXPECT_TRUE(std::all_of(answer.begin() + 41, answer.end(), [](auto b) { return b == 0; }));

    // Defaults: 4096 bytes of macro memory, sensor 0x3360, 100 DPI per step,
    // slider positions up to 15, base 100 DPI.
    EXPECT_EQ(answer[kData + 6], 32);
    EXPECT_EQ(answer[kData + 9], 0x60);
    EXPECT_EQ(answer[kData + 10], 0x33);
    EXPECT_EQ(answer[kData + 11], 100);
    EXPECT_EQ(answer[kData + 12], 15);
    EXPECT_EQ(answer[kData + 13], 100);
    EXPECT_EQ(answer[kData + 14], 0);

    DeviceInfoBytes changed = info;
    changed[9] = 0x50;
    changed[10] = 0x30;
    m_mouse->SetDeviceInfo(changed);
    const auto again = Exchange(Request(Command::ReadDeviceInfo, 0x21));
    EXPECT_TRUE(std::equal(changed.begin(), changed.end(), again.begin() + kData));
}

TEST_F(MouseFirmwareTest, SettingsReadsAndWritesAddressTheFiveRecords) {
    const auto area = Pattern<kSettingsAreaSize>(3);
    m_mouse->SetSettingsArea(area);

    const auto whole = Request(Command::ReadSettings, 56, 64);
    const auto answer = Exchange(whole);
    ExpectAnswerTo(answer, whole, 0x00);
    EXPECT_TRUE(std::equal(area.begin() + 64, area.begin() + 120, answer.begin() + kData));

    const auto single = Exchange(Request(Command::ReadSettings, 1, 0));
    EXPECT_EQ(single[kData], area[0]);
    EXPECT_TRUE(
        std::all_of(single.begin() + kData + 1, single.end(), [](auto b) { return b == 0; }));

    const auto data = Pattern<56>(0x80);
    const auto write = Request(Command::WriteSettings, 56, 256, data);
    const auto written = Exchange(write);
    ExpectAnswerTo(written, write, 0x00);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), written.begin() + kData));

    auto expected = area;
    std::ranges::copy(data, expected.begin() + 256);
    EXPECT_EQ(m_mouse->SettingsArea(), expected);

    const std::array<std::uint8_t, 1> profile{2};
    ExpectAnswerTo(Exchange(Request(Command::WriteSettings, 1, 0, profile)),
                   Request(Command::WriteSettings, 1, 0, profile), 0x00);
    EXPECT_EQ(m_mouse->SettingsArea()[kActiveProfileByte], 2);
}

TEST_F(MouseFirmwareTest, TheFirst56BytesAreTheActiveProfilesRecordAndOnlyOneByteSwitches) {
    const SettingsAreaBytes factory = m_mouse->SettingsArea();
    const std::array<std::uint8_t, 1> two{2};
    ASSERT_EQ(Exchange(Request(Command::WriteSettings, 1, 0, two))[kStatus], 0x00);

    // Byte 0 tells the active profile; bytes 1-55 are its record, which also
    // lies at its own offset.
    const auto inForce = Exchange(Request(Command::ReadSettings, 56, 0));
    EXPECT_EQ(inForce[kData], 2);
    EXPECT_TRUE(std::equal(inForce.begin() + kData + 1, inForce.end(), factory.begin() + 129));
    EXPECT_EQ(Exchange(Request(Command::ReadSettings, 1, 14))[kData], factory[128 + 14]);

    // A whole record written at offset 0 (byte 0 as a host leaves it, 0) is
    // the active profile's; the mouse stays on that profile, record 0 keeps
    // its bytes.
    const auto record = Pattern<56>(0x90);
    ASSERT_EQ(Exchange(Request(Command::WriteSettings, 56, 0, record))[kStatus], 0x00);
    SettingsAreaBytes expected = factory;
    expected[0] = 2;
    std::copy(record.begin() + 1, record.end(), expected.begin() + 129);
    EXPECT_EQ(m_mouse->SettingsArea(), expected);
    const auto atOwnOffset = Exchange(Request(Command::ReadSettings, 56, 128));
    EXPECT_TRUE(std::equal(record.begin() + 1, record.end(), atOwnOffset.begin() + kData + 1));

    // Offsets past the record in force address the area as it is stored.
    ASSERT_EQ(Exchange(Request(Command::WriteSettings, 2, 62, two))[kStatus], 0x00);
    EXPECT_EQ(m_mouse->SettingsArea()[62], 2);

    // No profile 5; and with byte 0 naming none, there is no record in force
    // to read or write, while the switch still works.
    const MemorySnapshot before(*m_mouse);
    const std::array<std::uint8_t, 1> five{5};
    EXPECT_EQ(Exchange(Request(Command::WriteSettings, 1, 0, five))[kStatus], 0xFF);
    EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);
    expected[0] = 7;
    m_mouse->SetSettingsArea(expected);
    EXPECT_EQ(Exchange(Request(Command::ReadSettings, 56, 0))[kStatus], 0xFF);
    EXPECT_EQ(Exchange(Request(Command::WriteSettings, 56, 0, record))[kStatus], 0xFF);
    EXPECT_EQ(Exchange(Request(Command::ReadSettings, 1, 0))[kData], 7);
    EXPECT_EQ(Exchange(Request(Command::WriteSettings, 1, 0, two))[kStatus], 0x00);
    EXPECT_EQ(m_mouse->SettingsArea()[0], 2);
}

TEST_F(MouseFirmwareTest, FactoryKeyMapReadsBackInChunksFromOffsetZero) {
    const auto map = ReadChunks(Command::ReadActiveBlock, 512, 0);
    const FactoryKeyMapBytes stored = m_mouse->FactoryKeyMap();
    EXPECT_TRUE(std::ranges::equal(map, stored));

    // Left, middle, right, forward, back, DPI cycle, DPI up; then unused entries.
    const std::array<std::uint8_t, 21> keys = {0x10, 0x01, 0x00, 0x10, 0x04, 0x00, 0x10,
                                               0x02, 0x00, 0x10, 0x10, 0x00, 0x10, 0x08,
                                               0x00, 0x13, 0x03, 0x00, 0x13, 0x01, 0x00};
    EXPECT_TRUE(std::equal(keys.begin(), keys.end(), map.begin()));
    EXPECT_TRUE(std::all_of(map.begin() + 21, map.begin() + 510, [](auto b) { return b == 0x05; }));
    EXPECT_EQ(map[510], 0);
    EXPECT_EQ(map[511], 0);
}

TEST_F(MouseFirmwareTest, StoredBlocksAreAddressedAt126ByteSteps) {
    const auto memory = Pattern<kKeyMemorySize>(11);
    m_mouse->SetKeyMemory(memory);
    for (std::uint16_t index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        const auto block = ReadChunks(Command::ReadStoredBlock, 512, index * 126);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.begin() + index * 126));
        EXPECT_TRUE(std::ranges::equal(block, m_mouse->StoredKeyBlock(index)));
    }
}

TEST_F(MouseFirmwareTest, ChunkedKeyBlockWriteAtIndexTwoLandsAtOffset252) {
    const KeyMemoryBytes before = m_mouse->KeyMemory();
    const auto block = Pattern<512>(0x41);
    WriteChunks(Command::WriteStoredBlock, block, 2 * 126);

    const KeyMemoryBytes after = m_mouse->KeyMemory();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), after.begin() + 252));
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 252, before.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 764, after.end(), before.begin() + 764));
    // The overlap: profile 3's block now starts with bytes 126.. of what was sent.
    EXPECT_TRUE(std::equal(block.begin() + 126, block.end(), m_mouse->StoredKeyBlock(3).begin()));

    // The last block reaches exactly the end of key memory.
    WriteChunks(Command::WriteStoredBlock, block, 4 * 126);
    EXPECT_TRUE(std::ranges::equal(m_mouse->StoredKeyBlock(4), block));
}

TEST_F(MouseFirmwareTest, RestoreDefaultsBringsBackSettingsAndKeyBlocksOnly) {
    m_mouse->SetSettingsArea(Pattern<kSettingsAreaSize>(1));
    m_mouse->SetKeyMemory(Pattern<kKeyMemorySize>(2));
    const auto cursor = Pattern<kCursorTableSize>(3);
    m_mouse->SetCursorTable(cursor);
    const std::vector<std::uint8_t> macros = {0xAA, 0x55, 0x10, 0x00};
    m_mouse->SetMacroTable(macros);

    const std::array<std::uint8_t, 64> request{0x04, 0x00, 0x00, 0x0D};
    const auto answer = Exchange(*OpenConfig(), request);
    ExpectAnswerTo(answer, ReportFrame::FromBytes(request), 0x00);

    EXPECT_EQ(m_mouse->SettingsArea(), DeviceMemory::FactorySettingsArea());
    EXPECT_EQ(m_mouse->KeyMemory(), DeviceMemory::FactoryKeyMemory());
    EXPECT_EQ(m_mouse->CursorTable(), cursor);
    EXPECT_TRUE(std::equal(macros.begin(), macros.end(), m_mouse->MacroTable().begin()));
}

TEST_F(MouseFirmwareTest, LightingFrameArrivesInTwoChunks) {
    const auto frame = Pattern<kLightingFrameSize>(9);
    WriteChunks(Command::SendLightingFrame, frame);
    EXPECT_EQ(m_mouse->LightingFrame(), frame);
    EXPECT_EQ(m_mouse->LightingFrameCount(), 1U);
    WriteChunks(Command::SendLightingFrame, frame);
    EXPECT_EQ(m_mouse->LightingFrameCount(), 2U);
}

TEST_F(MouseFirmwareTest, MacroAndCursorTablesAreStoredAsSent) {
    const auto macros = Pattern<200>(21);
    WriteChunks(Command::WriteMacroData, macros);
    const auto macroMemory = m_mouse->MacroTable();
    ASSERT_EQ(macroMemory.size(), 4096U);
    EXPECT_TRUE(std::equal(macros.begin(), macros.end(), macroMemory.begin()));
    EXPECT_TRUE(
        std::all_of(macroMemory.begin() + 200, macroMemory.end(), [](auto b) { return b == 0; }));

    const auto scripts = Pattern<2920>(33);
    WriteChunks(Command::WriteCursorData, scripts);
    const CursorTableBytes cursor = m_mouse->CursorTable();
    EXPECT_TRUE(std::equal(scripts.begin(), scripts.end(), cursor.begin()));
}

TEST_F(MouseFirmwareTest, MacroCapacityFollowsTheInformationBlock) {
    DeviceInfoBytes info = m_mouse->DeviceInfo();
    info[6] = 1;
    m_mouse->SetDeviceInfo(info);
    EXPECT_EQ(m_mouse->MacroTable().size(), 128U);
    const auto inside = Request(Command::WriteMacroData, 56, 72, Pattern<56>(1));
    EXPECT_EQ(Exchange(inside)[kStatus], 0x00);
    const auto beyond = Request(Command::WriteMacroData, 56, 73, Pattern<56>(1));
    EXPECT_EQ(Exchange(beyond)[kStatus], 0xFF);
}

struct BadFrame {
    std::string name;
    ReportFrame frame;
};

ReportFrame WithByte(ReportFrame frame, std::size_t index, std::uint8_t value, bool reseal) {
    frame.Raw()[index] = value;
    if (reseal) {
        frame.Seal();
    }
    return frame;
}

std::vector<BadFrame> BadFrames() {
    const auto data = Pattern<56>(0x30);
    const auto settings = Request(Command::WriteSettings, 56, 0, data);
    return {
        {"checksum off by one", WithByte(settings, 1, settings.Raw()[1] ^ 0x01, false)},
        {"checksum high byte", WithByte(settings, 2, settings.Raw()[2] + 1, false)},
        {"length 57", WithByte(settings, 4, 57, true)},
        {"length 255", WithByte(settings, 4, 255, true)},
        {"device info length 0x20", Request(Command::ReadDeviceInfo, 0x20)},
        {"device info at offset 1", Request(Command::ReadDeviceInfo, 0x21, 1)},
        {"settings past 320", Request(Command::WriteSettings, 56, 265, data)},
        {"settings at 0xFFFF", Request(Command::ReadSettings, 1, 0xFFFF)},
        {"factory map past 512", Request(Command::ReadActiveBlock, 1, 512)},
        {"key blocks past 1016", Request(Command::WriteStoredBlock, 8, 1009, data)},
        {"lighting past 66", Request(Command::SendLightingFrame, 10, 57, data)},
        {"macro past capacity", Request(Command::WriteMacroData, 7, 4090, data)},
        {"cursor past 3072", Request(Command::WriteCursorData, 56, 3017, data)},
        {"report id 5", WithByte(settings, 0, 0x05, true)},
        {"report id 0", WithByte(settings, 0, 0x00, true)},
        {"unknown command 0x04", WithByte(Request(Command::ReadSettings, 1), 3, 0x04, true)},
        {"unknown command 0x00", WithByte(Request(Command::ReadSettings), 3, 0x00, true)},
        {"restore defaults with a checksum", Request(Command::RestoreDefaults)},
        {"begin transfer with a length", Request(Command::BeginTransfer, 1)},
        {"end transfer with an offset", Request(Command::EndTransfer, 0, 1)},
    };
}

TEST_F(MouseFirmwareTest, BadFramesAreAnsweredWithFFAndChangeNothing) {
    m_mouse->SetSettingsArea(Pattern<kSettingsAreaSize>(5));
    m_mouse->SetKeyMemory(Pattern<kKeyMemorySize>(6));
    const MemorySnapshot before(*m_mouse);
    for (const BadFrame& bad : BadFrames()) {
        SCOPED_TRACE(bad.name);
        const auto answer = Exchange(bad.frame);
        ExpectAnswerTo(answer, bad.frame, 0xFF);
        EXPECT_TRUE(
            std::all_of(answer.begin() + kData, answer.end(), [](auto b) { return b == 0; }));
        EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);
        EXPECT_FALSE(m_mouse->InTransfer());
    }
}

TEST_F(MouseFirmwareTest, ReportsOfAnotherSizeAreRefusedByTheInterface) {
    const MemorySnapshot before(*m_mouse);
    auto config = OpenConfig();
    const auto request = Request(Command::WriteSettings, 1, 0, Pattern<1>(9));
    const auto shortWrite = config->Write(std::span(request.Raw()).first(63), kGuard);
    EXPECT_EQ(shortWrite.status, device::TransferStatus::Failed);
    std::vector<std::uint8_t> longer(request.Raw().begin(), request.Raw().end());
    longer.push_back(0);
    EXPECT_EQ(config->Write(longer, kGuard).status, device::TransferStatus::Failed);
    EXPECT_TRUE(MemorySnapshot(*m_mouse) == before);

    const auto log = m_mouse->Log();
    ASSERT_EQ(log.size(), 2U);
    EXPECT_FALSE(log[0].accepted);
    EXPECT_FALSE(log[1].accepted);
}

}  // namespace
}  // namespace varlok::sim::test
