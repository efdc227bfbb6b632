#include "device/reportframe.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace varlok::device {
namespace {

using Bytes = ReportFrame::Bytes;

Bytes WithHeader(std::initializer_list<std::uint8_t> header) {
    Bytes bytes{};
    std::size_t index = 0;
    for (std::uint8_t byte : header) {
        bytes[index++] = byte;
    }
    return bytes;
}

TEST(ReportFrameTest, RequestsOfFixedCommandsAreExactBytes) {
    ReportFrame info(Command::ReadDeviceInfo);
    info.SetLength(ReportFrame::kDeviceInfoLength);
    info.Seal();
    EXPECT_EQ(info.Raw(), WithHeader({0x04, 0x24, 0x00, 0x03, 0x21, 0x00, 0x00, 0x00}));

    ReportFrame begin(Command::BeginTransfer);
    begin.Seal();
    EXPECT_EQ(begin.Raw(), WithHeader({0x04, 0x01, 0x00, 0x01}));

    ReportFrame end(Command::EndTransfer);
    end.Seal();
    EXPECT_EQ(end.Raw(), WithHeader({0x04, 0x02, 0x00, 0x02}));

    // A request that is never sealed keeps its checksum bytes at zero.
    const ReportFrame restore(Command::RestoreDefaults);
    EXPECT_EQ(restore.Raw(), WithHeader({0x04, 0x00, 0x00, 0x0D}));
    EXPECT_EQ(restore.ComputeChecksum(), 0x000D);
}

TEST(ReportFrameTest, OffsetAndChecksumAreLittleEndian) {
    ReportFrame frame(Command::ReadStoredBlock);
    frame.SetLength(8);
    frame.SetOffset(756);  // 0x02F4
    frame.Seal();
    // 0x08 + 0x08 + 0xF4 + 0x02 = 0x0106
    EXPECT_EQ(frame.Raw(), WithHeader({0x04, 0x06, 0x01, 0x08, 0x08, 0xF4, 0x02, 0x00}));
    EXPECT_EQ(frame.Offset(), 756);
    EXPECT_EQ(frame.StoredChecksum(), 0x0106);
}

TEST(ReportFrameTest, ChecksumCoversDataBeyondTheLengthAndIgnoresTheHeaderBytes) {
    ReportFrame frame(Command::SendLightingFrame);
    std::array<std::uint8_t, 56> full{};
    full.fill(0xFF);
    frame.SetData(full);
    const std::array<std::uint8_t, 10> tail{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    frame.SetData(tail);
    frame.SetLength(10);
    frame.SetOffset(56);
    frame.Raw()[1] = 0xAA;  // stale checksum bytes must not feed the new sum
    frame.Raw()[2] = 0xBB;
    frame.Seal();
    // 0x12 + 10 + 56 + (1+..+10) + 46 * 0xFF = 18 + 10 + 56 + 55 + 11730 = 11869 = 0x2E5D
    EXPECT_EQ(frame.Raw()[1], 0x5D);
    EXPECT_EQ(frame.Raw()[2], 0x2E);
    EXPECT_EQ(frame.Raw()[8], 1);
    EXPECT_EQ(frame.Raw()[17], 10);
    EXPECT_EQ(frame.Raw()[18], 0xFF);
    EXPECT_EQ(frame.Raw()[63], 0xFF);

    // The largest possible sum still fits: 61 bytes of 0xFF = 15555 = 0x3CC3.
    ReportFrame saturated = ReportFrame::FromBytes(std::vector<std::uint8_t>(64, 0xFF));
    saturated.Seal();
    EXPECT_EQ(saturated.StoredChecksum(), 0x3CC3);
}

TEST(ReportFrameTest, FromBytesPadsShortAndTruncatesLongInput) {
    const std::vector<std::uint8_t> shortInput{0x04, 0x10, 0x00, 0x05, 0x0B};
    const ReportFrame padded = ReportFrame::FromBytes(shortInput);
    EXPECT_EQ(padded.Raw(), WithHeader({0x04, 0x10, 0x00, 0x05, 0x0B}));
    EXPECT_EQ(padded.CommandCode(), 0x05);
    EXPECT_EQ(padded.Length(), 0x0B);

    std::vector<std::uint8_t> longInput(70);
    for (std::size_t i = 0; i < longInput.size(); ++i) {
        longInput[i] = static_cast<std::uint8_t>(i);
    }
    const ReportFrame truncated = ReportFrame::FromBytes(longInput);
    EXPECT_EQ(truncated.Raw()[63], 63);
    EXPECT_EQ(truncated.Status(), 7);
    EXPECT_EQ(truncated.Data()[0], 8);
    EXPECT_EQ(truncated.Data()[55], 63);
}

TEST(ReportFrameTest, SetDataTakesAtMostTheDataArea) {
    ReportFrame frame(Command::WriteSettings);
    std::vector<std::uint8_t> source(60, 0x11);
    source[55] = 0x22;
    source[56] = 0x33;
    frame.SetData(source);
    EXPECT_EQ(frame.Raw()[63], 0x22);
    EXPECT_EQ(frame.Raw()[0], 0x04);
    EXPECT_EQ(frame.Raw()[7], 0x00);
}

}  // namespace
}  // namespace varlok::device
