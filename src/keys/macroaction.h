#pragma once

// One step of a macro or cursor script as the stores keep it and the mouse
// plays it: a pause after the step, an action code and its value. Files hold
// it as the text "delay low,delay high,code,value,down flag,label"; the
// mouse gets the first four bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varlok::keys {

// Action codes; bit 7 is the down bit (keys, buttons) or the left/up bit
// (moves).
inline constexpr std::uint8_t kDownBit = 0x80;
inline constexpr std::uint8_t kKeyboardKeyCode = 0x0A;
inline constexpr std::uint8_t kModifierKeyCode = 0x09;
inline constexpr std::uint8_t kMouseButtonCode = 0x01;
inline constexpr std::uint8_t kHorizontalMoveCode = 0x04;  // with bit 7: left
inline constexpr std::uint8_t kVerticalMoveCode = 0x05;    // with bit 7: up

inline constexpr std::string_view kMoveLeftLabel = "mouse_move_to_left_text";
inline constexpr std::string_view kMoveRightLabel = "mouse_move_to_right_text";
inline constexpr std::string_view kMoveUpLabel = "mouse_move_to_up_text";
inline constexpr std::string_view kMoveDownLabel = "mouse_move_to_down_text";

// Pauses are counted in units of 10 ms, at most 65535 units.
inline constexpr int kPauseUnitMs = 10;
inline constexpr int kMaxPauseUnits = 0xFFFF;

struct MacroAction {
    // The bytes the mouse gets, in this order.
    static constexpr std::size_t kWireSize = 4;

    std::uint8_t delayLow = 0;
    std::uint8_t delayHigh = 0;
    std::uint8_t code = 0;
    std::uint8_t value = 0;
    // 1 when bit 7 of the code is set; for the editor's display only.
    int downFlag = 0;
    // Language key naming the key, button or movement (display only).
    std::string label;

    // The pause after this action, in units of 10 ms.
    [[nodiscard]] int PauseUnits() const { return delayLow + 256 * delayHigh; }
    [[nodiscard]] int PauseMs() const { return PauseUnits() * kPauseUnitMs; }
    // Stores a pause given in units, limited to 0..65535 (never wrapped).
    void SetPauseUnits(long long units);
    // Stores a pause given in ms (rounded down to units, then limited).
    void SetPauseMs(long long ms) { SetPauseUnits(ms / kPauseUnitMs); }

    [[nodiscard]] std::array<std::uint8_t, kWireSize> WireBytes() const {
        return {delayLow, delayHigh, code, value};
    }

    friend bool operator==(const MacroAction&, const MacroAction&) = default;
};

// Reads the stored text of an action. The text is split from the right at
// its last five commas: the label is what follows the last comma (so it
// never holds one), the four numbers before it are delay high, code, value and
// down flag, and delay low is everything before them. Numbers are read as
// decimal integers (text without digits reads as 0). The pause is taken as
// delay low + 256 x delay high and limited to 0..65535 units, so a file that
// writes a pause of 300 into delay low keeps 300 units rather than a wrapped
// byte. std::nullopt when the text has fewer than five commas or the code or
// value lies outside 0..255: such an action is never sent.
[[nodiscard]] std::optional<MacroAction> ParseMacroAction(std::string_view text);

// The stored text: "%d,%d,%d,%d,%d,%s".
[[nodiscard]] std::string FormatMacroAction(const MacroAction& action);

}  // namespace varlok::keys
