#include "keys/mouseeventtable.h"

namespace varlok::keys {

namespace {

constexpr std::array<MouseEventRow, MouseEventTable::kRowCount> kRows{{
    {0x201, 0x01, 0x81, "mouse_key_left"},
    {0x202, 0x01, 0x01, "mouse_key_left"},
    {0x204, 0x02, 0x81, "mouse_key_right"},
    {0x205, 0x02, 0x01, "mouse_key_right"},
    {0x207, 0x04, 0x81, "mouse_key_middle"},
    {0x208, 0x04, 0x01, "mouse_key_middle"},
    {0x20B, 0x10, 0x81, "mouse_key_forward"},
    {0x20C, 0x10, 0x01, "mouse_key_forward"},
    {0x20B, 0x08, 0x81, "mouse_key_back"},
    {0x20C, 0x08, 0x01, "mouse_key_back"},
    {4, 0x00, 0x84, kMoveLeftLabel},
    {4, 0x00, 0x04, kMoveRightLabel},
    {5, 0x00, 0x85, kMoveUpLabel},
    {5, 0x00, 0x05, kMoveDownLabel},
    {0x20A, 0x00, 0x00, "mouse_cursor_text"},
}};

constexpr std::array<std::string_view, MouseEventTable::kRowCount + 1> kLabels{
    kRows[0].label,  kRows[1].label,  kRows[2].label,  kRows[3].label,
    kRows[4].label,  kRows[5].label,  kRows[6].label,  kRows[7].label,
    kRows[8].label,  kRows[9].label,  kRows[10].label, kRows[11].label,
    kRows[12].label, kRows[13].label, kRows[14].label, "mouse_text",
};

}  // namespace

std::span<const MouseEventRow, MouseEventTable::kRowCount> MouseEventTable::Rows() {
    return kRows;
}

std::span<const std::string_view, MouseEventTable::kRowCount + 1> MouseEventTable::Labels() {
    return kLabels;
}

std::optional<std::size_t> MouseEventTable::FindRecordedMessage(std::uint32_t message) {
    for (std::size_t row = 0; row < kRecordedRows; ++row) {
        if (kRows[row].message == message) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> MouseEventTable::FindEditorRow(const MacroAction& action) {
    for (std::size_t row = 0; row < kEditorRows; ++row) {
        const bool move = row >= kFirstMoveRow;
        if (kRows[row].code == action.code && (move || kRows[row].value == action.value)) {
            return row;
        }
    }
    return std::nullopt;
}

MacroAction MouseEventTable::ActionOf(std::size_t row, std::uint8_t distance) {
    const MouseEventRow& event = kRows[row < kRowCount ? row : 0];
    MacroAction action;
    action.code = event.code;
    const bool move = row >= kFirstMoveRow && row < kEditorRows;
    action.value = move ? distance : event.value;
    action.downFlag = (event.code & kDownBit) != 0 ? 1 : 0;
    action.label = std::string(event.label);
    return action;
}

}  // namespace varlok::keys
