#pragma once

// The table of macros (command 0x15) and of cursor scripts (command 0x17) as
// the mouse takes it, little-endian:
//   0   u16 magic 0x55AA
//   2   u16 total length, header included
//   4   u16 number of records N
//   6   10 reserved bytes (0)
//   16  u16 x N offsets of the records from the start of the table
//   16 + 2N records in order: u16 action count A, 2 reserved bytes (0),
//       then A actions of 4 bytes (delay low, delay high, code, value).
// The total length is 16 + 6N + 4 x (sum of all A).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "keys/macroaction.h"

namespace varlok::keys {

inline constexpr std::uint16_t kMacroTableMagic = 0x55AA;
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kLengthOffset = 2;
inline constexpr std::size_t kRecordCountOffset = 4;
inline constexpr std::size_t kOffsetTableOffset = 16;
inline constexpr std::size_t kTableHeaderSize = kOffsetTableOffset;
inline constexpr std::size_t kOffsetSlotSize = 2;
inline constexpr std::size_t kRecordHeaderSize = 4;
// Every record costs its offset slot and its header.
inline constexpr std::size_t kBytesPerRecord = kOffsetSlotSize + kRecordHeaderSize;
// The length and offsets are 16 bits.
inline constexpr std::size_t kMaxTableLength = 0xFFFF;

// The length of the table of these records: 16 + 6N + 4 x (sum of all A),
// or 0 when that sum of record and action bytes is 0 (no records: nothing
// to send). Sums beyond 16 bits are returned as they are, for the messages
// that say how much is too much.
[[nodiscard]] std::size_t MacroTableLength(std::span<const std::vector<MacroAction>> records);

// The table, or std::nullopt when there is nothing to send (length 0) or its
// length would not fit 16 bits.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> BuildMacroTable(
    std::span<const std::vector<MacroAction>> records);

}  // namespace varlok::keys
