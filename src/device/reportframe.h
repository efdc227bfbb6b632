#pragma once

// The 64-byte configuration report exchanged with a peripheral's
// vendor-defined collection: requests and answers share this layout.
//
//   byte 0      report id (0x04)
//   bytes 1-2   16-bit checksum, little-endian (requests only)
//   byte 3      command code
//   byte 4      data length (0-56)
//   bytes 5-6   16-bit offset into the device memory the command addresses
//   byte 7      status (answers only; 0 in requests)
//   bytes 8-63  data

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varlok::device {

// Command codes of the configuration protocol.
enum class Command : std::uint8_t {
    BeginTransfer = 0x01,
    EndTransfer = 0x02,
    ReadDeviceInfo = 0x03,
    ReadSettings = 0x05,
    WriteSettings = 0x06,
    ReadActiveBlock = 0x07,
    ReadStoredBlock = 0x08,
    WriteStoredBlock = 0x09,
    RestoreDefaults = 0x0D,
    SendLightingFrame = 0x12,
    WriteMacroData = 0x15,
    WriteCursorData = 0x17,
};

// Whether code is one of the commands above.
[[nodiscard]] constexpr bool IsCommandCode(std::uint8_t code) {
    switch (static_cast<Command>(code)) {
        case Command::BeginTransfer:
        case Command::EndTransfer:
        case Command::ReadDeviceInfo:
        case Command::ReadSettings:
        case Command::WriteSettings:
        case Command::ReadActiveBlock:
        case Command::ReadStoredBlock:
        case Command::WriteStoredBlock:
        case Command::RestoreDefaults:
        case Command::SendLightingFrame:
        case Command::WriteMacroData:
        case Command::WriteCursorData:
            return true;
    }
    return false;
}

// Encodes and decodes one configuration report on a plain byte array.
class ReportFrame {
public:
    static constexpr std::size_t kSize = 64;
    static constexpr std::size_t kReportIdIndex = 0;
    static constexpr std::size_t kChecksumLowIndex = 1;
    static constexpr std::size_t kChecksumHighIndex = 2;
    static constexpr std::size_t kCommandIndex = 3;
    static constexpr std::size_t kLengthIndex = 4;
    static constexpr std::size_t kOffsetLowIndex = 5;
    static constexpr std::size_t kOffsetHighIndex = 6;
    static constexpr std::size_t kStatusIndex = 7;
    static constexpr std::size_t kDataIndex = 8;
    static constexpr std::size_t kDataCapacity = kSize - kDataIndex;
    // The checksum covers the command byte and everything after it.
    static constexpr std::size_t kChecksumFirstIndex = kCommandIndex;

    static constexpr std::uint8_t kReportId = 0x04;
    // Answer statuses that mean the device did not carry out the command;
    // every other status value is success.
    static constexpr std::uint8_t kStatusFailed = 0xFF;
    static constexpr std::uint8_t kStatusRefused = 0xFE;
    // Length byte of the device information request (the size of the block).
    static constexpr std::uint8_t kDeviceInfoLength = 0x21;

    using Bytes = std::array<std::uint8_t, kSize>;

    // All 64 bytes zero.
    ReportFrame() = default;
    // A zeroed request carrying the report id and the command code.
    explicit ReportFrame(Command command);
    // Copies up to 64 bytes; a shorter source leaves the rest zero.
    [[nodiscard]] static ReportFrame FromBytes(std::span<const std::uint8_t> bytes);

    [[nodiscard]] std::uint8_t ReportId() const { return m_bytes[kReportIdIndex]; }
    [[nodiscard]] std::uint8_t CommandCode() const { return m_bytes[kCommandIndex]; }
    void SetCommand(Command command);

    [[nodiscard]] std::uint8_t Length() const { return m_bytes[kLengthIndex]; }
    void SetLength(std::uint8_t length) { m_bytes[kLengthIndex] = length; }

    [[nodiscard]] std::uint16_t Offset() const;
    void SetOffset(std::uint16_t offset);

    [[nodiscard]] std::uint8_t Status() const { return m_bytes[kStatusIndex]; }

    // Copies source to the data area starting at data byte 0; at most 56
    // bytes are taken. Data bytes after the copied ones keep what they held.
    void SetData(std::span<const std::uint8_t> source);
    [[nodiscard]] std::span<std::uint8_t, kDataCapacity> Data();
    [[nodiscard]] std::span<const std::uint8_t, kDataCapacity> Data() const;

    // The unsigned sum of bytes 3 to 63, truncated to 16 bits.
    [[nodiscard]] std::uint16_t ComputeChecksum() const;
    // The checksum bytes as they stand in bytes 1 and 2.
    [[nodiscard]] std::uint16_t StoredChecksum() const;
    // Writes ComputeChecksum() into bytes 1 and 2. Call it after every other
    // byte is final: the sum covers data bytes beyond the length as well.
    void Seal();

    [[nodiscard]] Bytes& Raw() { return m_bytes; }
    [[nodiscard]] const Bytes& Raw() const { return m_bytes; }

    friend bool operator==(const ReportFrame&, const ReportFrame&) = default;

private:
    Bytes m_bytes{};
};

static_assert(sizeof(ReportFrame::Bytes) == ReportFrame::kSize);
static_assert(ReportFrame::kDataIndex + ReportFrame::kDataCapacity == ReportFrame::kSize);
static_assert(ReportFrame::kDataCapacity == 56);
// 61 bytes of at most 255 each never overflow the 16-bit checksum.
static_assert((ReportFrame::kSize - ReportFrame::kChecksumFirstIndex) * 0xFF <= 0xFFFF);

}  // namespace varlok::device
