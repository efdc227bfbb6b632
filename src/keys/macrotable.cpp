#include "keys/macrotable.h"

namespace varlok::keys {

namespace {

void PutU16(std::vector<std::uint8_t>& table, std::size_t offset, std::size_t value) {
    table[offset] = static_cast<std::uint8_t>(value & 0xFF);
    table[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::size_t MacroTableLength(std::span<const std::vector<MacroAction>> records) {
    std::size_t length = kBytesPerRecord * records.size();
    for (const std::vector<MacroAction>& record : records) {
        length += MacroAction::kWireSize * record.size();
    }
    return length == 0 ? 0 : length + kTableHeaderSize;
}

std::optional<std::vector<std::uint8_t>> BuildMacroTable(
    std::span<const std::vector<MacroAction>> records) {
    const std::size_t length = MacroTableLength(records);
    if (length == 0 || length > kMaxTableLength) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> table(length, 0);
    PutU16(table, kMagicOffset, kMacroTableMagic);
    PutU16(table, kLengthOffset, length);
    PutU16(table, kRecordCountOffset, records.size());
    std::size_t position = kOffsetTableOffset + kOffsetSlotSize * records.size();
    for (std::size_t index = 0; index < records.size(); ++index) {
        PutU16(table, kOffsetTableOffset + kOffsetSlotSize * index, position);
        PutU16(table, position, records[index].size());
        position += kRecordHeaderSize;
        for (const MacroAction& action : records[index]) {
            for (const std::uint8_t byte : action.WireBytes()) {
                table[position++] = byte;
            }
        }
    }
    return table;
}

}  // namespace varlok::keys
