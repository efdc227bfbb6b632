#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "keys/keyfunction.h"

namespace varlok::keys {

// One key of a PC keyboard (or a multimedia or system key) the mouse can
// send: the Windows virtual-key code a key capture delivers, the code the
// mouse stores, and the name that follows "keyboard_key_" in its language
// key.
struct KeyNameRow {
    std::uint16_t virtualKey = 0;
    KeyFunction function;
    std::string_view name;

    [[nodiscard]] std::string LanguageKey() const;
};

// The table of named keys. It serves both directions: a captured key becomes
// a code (by virtual-key code), a code gets a name (by its parameters).
// Virtual-key code 0x101 stands for the keypad's Enter (Enter with the
// extended-key flag); 0x103-0x105 are no keys and only name system codes.
class KeyNameTable {
public:
    static constexpr std::size_t kRowCount = 125;
    static constexpr std::string_view kLanguageKeyPrefix = "keyboard_key_";
    static constexpr std::uint16_t kEnter = 0x0D;
    static constexpr std::uint16_t kKeypadEnter = 0x101;

    [[nodiscard]] static std::span<const KeyNameRow, kRowCount> Rows();

    // The first row with this virtual-key code.
    [[nodiscard]] static std::optional<std::size_t> FindVirtualKey(std::uint16_t virtualKey);
    // The first keyboard-key row (type 0x20) with the code's p1 and p2.
    // Only keyboard rows count: a keyboard code whose modifier bits happen
    // to equal a consumer usage's low byte is no multimedia key.
    [[nodiscard]] static std::optional<std::size_t> FindKeyboardCode(const KeyFunction& code);

    // CaptureKeyboardKey's lookup: the keyboard-key row of a key pressed on
    // the PC (flags as the capture reports them; 1 or 0x81 mark an extended
    // key, which makes Enter the keypad's). None for a key without a row and
    // for multimedia and system keys, which the keyboard-key category does
    // not take.
    [[nodiscard]] static std::optional<std::size_t> FindCapturedKey(std::uint16_t virtualKey,
                                                                    std::uint32_t flags);
};

}  // namespace varlok::keys
