#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/inputcapture.h"

namespace varlok::platform {

// One key of a PC keyboard: its XKB key code (the Linux input event code + 8,
// what X servers with the evdev rules, Wayland compositors and Qt's native
// scan code report) and the Windows virtual-key code and extended flag the
// same key has there.
struct KeyCodeRow {
    std::uint8_t keyCode = 0;
    std::uint16_t virtualKey = 0;
    bool extended = false;
};

// The one mapping between key codes and virtual keys, used by every capture
// backend. Keys are mapped by position (as on a US layout), and the keypad
// always gives its digits, as with Num Lock on.
class KeyCodeTable {
public:
    static constexpr std::size_t kRowCount = 121;

    [[nodiscard]] static std::span<const KeyCodeRow, kRowCount> Rows();
    [[nodiscard]] static std::optional<KeyCodeRow> FindKeyCode(std::uint32_t keyCode);
    // The key code of a virtual key (the extended flag tells the keypad's
    // Enter from the main one).
    [[nodiscard]] static std::optional<std::uint8_t> FindVirtualKey(std::uint16_t virtualKey,
                                                                    bool extended);
};

// What a backend knows about a key event apart from the key itself.
struct KeyEventState {
    bool pressed = false;
    // Modifiers held before this event.
    bool altHeld = false;
    bool controlHeld = false;
};

// The captured key of a key code, with the keyboard message Windows gives the
// event: WM_SYSKEYDOWN/UP for F10 and for keys pressed or released while Alt
// (and not Ctrl) is held, the Alt key's own press included. None for a key
// code without a row.
[[nodiscard]] std::optional<CapturedKey> CapturedKeyOf(std::uint32_t keyCode,
                                                       const KeyEventState& state);

}  // namespace varlok::platform
