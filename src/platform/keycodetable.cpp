#include "platform/keycodetable.h"

#include <algorithm>
#include <array>

namespace varlok::platform {

namespace {

constexpr std::uint32_t kKeyDown = 0x100;
constexpr std::uint32_t kKeyUp = 0x101;
constexpr std::uint32_t kSystemKeyDown = 0x104;
constexpr std::uint32_t kSystemKeyUp = 0x105;
constexpr std::uint16_t kF10 = 0x79;
constexpr std::uint16_t kLeftAlt = 0xA4;
constexpr std::uint16_t kRightAlt = 0xA5;

// Sorted by key code. Comments name the Linux input event code (key code - 8).
constexpr std::array<KeyCodeRow, KeyCodeTable::kRowCount> kRows{{
    {9, 0x1B, false},    // ESC
    {10, 0x31, false},   // 1
    {11, 0x32, false},   // 2
    {12, 0x33, false},   // 3
    {13, 0x34, false},   // 4
    {14, 0x35, false},   // 5
    {15, 0x36, false},   // 6
    {16, 0x37, false},   // 7
    {17, 0x38, false},   // 8
    {18, 0x39, false},   // 9
    {19, 0x30, false},   // 0
    {20, 0xBD, false},   // MINUS
    {21, 0xBB, false},   // EQUAL
    {22, 0x08, false},   // BACKSPACE
    {23, 0x09, false},   // TAB
    {24, 0x51, false},   // Q
    {25, 0x57, false},   // W
    {26, 0x45, false},   // E
    {27, 0x52, false},   // R
    {28, 0x54, false},   // T
    {29, 0x59, false},   // Y
    {30, 0x55, false},   // U
    {31, 0x49, false},   // I
    {32, 0x4F, false},   // O
    {33, 0x50, false},   // P
    {34, 0xDB, false},   // LEFTBRACE
    {35, 0xDD, false},   // RIGHTBRACE
    {36, 0x0D, false},   // ENTER
    {37, 0xA2, false},   // LEFTCTRL
    {38, 0x41, false},   // A
    {39, 0x53, false},   // S
    {40, 0x44, false},   // D
    {41, 0x46, false},   // F
    {42, 0x47, false},   // G
    {43, 0x48, false},   // H
    {44, 0x4A, false},   // J
    {45, 0x4B, false},   // K
    {46, 0x4C, false},   // L
    {47, 0xBA, false},   // SEMICOLON
    {48, 0xDE, false},   // APOSTROPHE
    {49, 0xC0, false},   // GRAVE
    {50, 0xA0, false},   // LEFTSHIFT
    {51, 0xDC, false},   // BACKSLASH
    {52, 0x5A, false},   // Z
    {53, 0x58, false},   // X
    {54, 0x43, false},   // C
    {55, 0x56, false},   // V
    {56, 0x42, false},   // B
    {57, 0x4E, false},   // N
    {58, 0x4D, false},   // M
    {59, 0xBC, false},   // COMMA
    {60, 0xBE, false},   // DOT
    {61, 0xBF, false},   // SLASH
    {62, 0xA1, false},   // RIGHTSHIFT
    {63, 0x6A, false},   // KPASTERISK
    {64, 0xA4, false},   // LEFTALT
    {65, 0x20, false},   // SPACE
    {66, 0x14, false},   // CAPSLOCK
    {67, 0x70, false},   // F1
    {68, 0x71, false},   // F2
    {69, 0x72, false},   // F3
    {70, 0x73, false},   // F4
    {71, 0x74, false},   // F5
    {72, 0x75, false},   // F6
    {73, 0x76, false},   // F7
    {74, 0x77, false},   // F8
    {75, 0x78, false},   // F9
    {76, 0x79, false},   // F10
    {77, 0x90, true},    // NUMLOCK
    {78, 0x91, false},   // SCROLLLOCK
    {79, 0x67, false},   // KP7
    {80, 0x68, false},   // KP8
    {81, 0x69, false},   // KP9
    {82, 0x6D, false},   // KPMINUS
    {83, 0x64, false},   // KP4
    {84, 0x65, false},   // KP5
    {85, 0x66, false},   // KP6
    {86, 0x6B, false},   // KPPLUS
    {87, 0x61, false},   // KP1
    {88, 0x62, false},   // KP2
    {89, 0x63, false},   // KP3
    {90, 0x60, false},   // KP0
    {91, 0x6E, false},   // KPDOT
    {95, 0x7A, false},   // F11
    {96, 0x7B, false},   // F12
    {104, 0x0D, true},   // KPENTER
    {105, 0xA3, true},   // RIGHTCTRL
    {106, 0x6F, true},   // KPSLASH
    {107, 0x2C, true},   // SYSRQ (Print Screen)
    {108, 0xA5, true},   // RIGHTALT
    {110, 0x24, true},   // HOME
    {111, 0x26, true},   // UP
    {112, 0x21, true},   // PAGEUP
    {113, 0x25, true},   // LEFT
    {114, 0x27, true},   // RIGHT
    {115, 0x23, true},   // END
    {116, 0x28, true},   // DOWN
    {117, 0x22, true},   // PAGEDOWN
    {118, 0x2D, true},   // INSERT
    {119, 0x2E, true},   // DELETE
    {121, 0xAD, true},   // MUTE
    {122, 0xAE, true},   // VOLUMEDOWN
    {123, 0xAF, true},   // VOLUMEUP
    {127, 0x13, false},  // PAUSE
    {133, 0x5B, true},   // LEFTMETA
    {134, 0x5C, true},   // RIGHTMETA
    {135, 0x5D, true},   // COMPOSE (menu key)
    {148, 0xB7, true},   // CALC
    {163, 0xB4, true},   // MAIL
    {164, 0xAB, true},   // BOOKMARKS
    {165, 0xB6, true},   // COMPUTER
    {166, 0xA6, true},   // BACK
    {167, 0xA7, true},   // FORWARD
    {171, 0xB0, true},   // NEXTSONG
    {172, 0xB3, true},   // PLAYPAUSE
    {173, 0xB1, true},   // PREVIOUSSONG
    {174, 0xB2, true},   // STOPCD
    {180, 0xAC, true},   // HOMEPAGE
    {181, 0xA8, true},   // REFRESH
    {225, 0xAA, true},   // SEARCH
    {234, 0xB5, true},   // MEDIA
}};

static_assert(std::is_sorted(kRows.begin(), kRows.end(),
                             [](const KeyCodeRow& a, const KeyCodeRow& b) {
                                 return a.keyCode < b.keyCode;
                             }));

}  // namespace

std::span<const KeyCodeRow, KeyCodeTable::kRowCount> KeyCodeTable::Rows() {
    return kRows;
}

std::optional<KeyCodeRow> KeyCodeTable::FindKeyCode(std::uint32_t keyCode) {
    const auto found = std::lower_bound(
        kRows.begin(), kRows.end(), keyCode,
        [](const KeyCodeRow& row, std::uint32_t code) { return row.keyCode < code; });
    if (found == kRows.end() || found->keyCode != keyCode) {
        return std::nullopt;
    }
    return *found;
}

std::optional<std::uint8_t> KeyCodeTable::FindVirtualKey(std::uint16_t virtualKey, bool extended) {
    const auto found = std::find_if(kRows.begin(), kRows.end(), [&](const KeyCodeRow& row) {
        return row.virtualKey == virtualKey && row.extended == extended;
    });
    if (found == kRows.end()) {
        return std::nullopt;
    }
    return found->keyCode;
}

std::optional<CapturedKey> CapturedKeyOf(std::uint32_t keyCode, const KeyEventState& state) {
    const std::optional<KeyCodeRow> row = KeyCodeTable::FindKeyCode(keyCode);
    if (!row) {
        return std::nullopt;
    }
    const bool isAlt = row->virtualKey == kLeftAlt || row->virtualKey == kRightAlt;
    // Alt's own press counts as Alt held; its release no longer does.
    const bool altDuringEvent = state.pressed ? state.altHeld || isAlt : state.altHeld && !isAlt;
    const bool system = row->virtualKey == kF10 || (altDuringEvent && !state.controlHeld);
    CapturedKey key;
    key.virtualKey = row->virtualKey;
    key.flags =
        (row->extended ? kCapturedKeyExtended : 0U) | (state.pressed ? 0U : kCapturedKeyReleased);
    if (state.pressed) {
        key.message = system ? kSystemKeyDown : kKeyDown;
    } else {
        key.message = system ? kSystemKeyUp : kKeyUp;
    }
    return key;
}

}  // namespace varlok::platform
