#pragma once

// The mouse events a macro can hold: which window message of a captured
// button becomes which action, and how the macro editor names them. Rows 0..5
// are the buttons a recording takes; rows 0..13 are the editor's choices
// (10..13 are the pointer moves, which have no window message).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "keys/macroaction.h"

namespace varlok::keys {

struct MouseEventRow {
    // The window message (WM_LBUTTONDOWN ...), or 4 / 5 for the moves.
    std::uint16_t message = 0;
    std::uint8_t value = 0;
    std::uint8_t code = 0;
    std::string_view label;
};

class MouseEventTable {
public:
    static constexpr std::size_t kRowCount = 15;
    // The rows a recording takes (left, right, middle, down and up).
    static constexpr std::size_t kRecordedRows = 6;
    // The rows the mouse action editor offers.
    static constexpr std::size_t kEditorRows = 14;
    // The first pointer-move row.
    static constexpr std::size_t kFirstMoveRow = 10;
    // The largest distance of a move: one byte of its action.
    static constexpr int kMaxDistance = 0xFF;

    [[nodiscard]] static std::span<const MouseEventRow, kRowCount> Rows();
    // The label table's 16 entries (the rows' labels, then "mouse_text").
    [[nodiscard]] static std::span<const std::string_view, kRowCount + 1> Labels();

    // The recorded row of a button message; none for side buttons, the
    // wheel and movement.
    [[nodiscard]] static std::optional<std::size_t> FindRecordedMessage(std::uint32_t message);
    // The editor row showing action: rows 0..9 by code and value, the move
    // rows by code alone.
    [[nodiscard]] static std::optional<std::size_t> FindEditorRow(const MacroAction& action);
    // The action of an editor row; distance is the value of a move.
    [[nodiscard]] static MacroAction ActionOf(std::size_t row, std::uint8_t distance = 0);
};

}  // namespace varlok::keys
