#include "keys/keynametable.h"

#include <algorithm>
#include <array>

namespace varlok::keys {

namespace {

using T = KeyFunctionType;

// Flags of a captured Enter that make it the keypad's: extended key,
// pressed or released.
constexpr std::uint32_t kExtendedPressed = 0x01;
constexpr std::uint32_t kExtendedReleased = 0x81;

// Rows in the order the key capture searches them; rows 120 and 121 are the
// same key twice.
constexpr std::array<KeyNameRow, KeyNameTable::kRowCount> kRows{{
    KeyNameRow{0xA2, {T::KeyboardKey, 0x01, 0x00}, "LCtrl"},
    KeyNameRow{0xA0, {T::KeyboardKey, 0x02, 0x00}, "LShift"},
    KeyNameRow{0xA4, {T::KeyboardKey, 0x04, 0x00}, "LAlt"},
    KeyNameRow{0x5B, {T::KeyboardKey, 0x08, 0x00}, "LWin"},
    KeyNameRow{0xA3, {T::KeyboardKey, 0x10, 0x00}, "RCtrl"},
    KeyNameRow{0xA1, {T::KeyboardKey, 0x20, 0x00}, "RShift"},
    KeyNameRow{0xA5, {T::KeyboardKey, 0x40, 0x00}, "RAlt"},
    KeyNameRow{0x5C, {T::KeyboardKey, 0x80, 0x00}, "RWin"},
    KeyNameRow{0x41, {T::KeyboardKey, 0x00, 0x04}, "A"},
    KeyNameRow{0x42, {T::KeyboardKey, 0x00, 0x05}, "B"},
    KeyNameRow{0x43, {T::KeyboardKey, 0x00, 0x06}, "C"},
    KeyNameRow{0x44, {T::KeyboardKey, 0x00, 0x07}, "D"},
    KeyNameRow{0x45, {T::KeyboardKey, 0x00, 0x08}, "E"},
    KeyNameRow{0x46, {T::KeyboardKey, 0x00, 0x09}, "F"},
    KeyNameRow{0x47, {T::KeyboardKey, 0x00, 0x0A}, "G"},
    KeyNameRow{0x48, {T::KeyboardKey, 0x00, 0x0B}, "H"},
    KeyNameRow{0x49, {T::KeyboardKey, 0x00, 0x0C}, "I"},
    KeyNameRow{0x4A, {T::KeyboardKey, 0x00, 0x0D}, "J"},
    KeyNameRow{0x4B, {T::KeyboardKey, 0x00, 0x0E}, "K"},
    KeyNameRow{0x4C, {T::KeyboardKey, 0x00, 0x0F}, "L"},
    KeyNameRow{0x4D, {T::KeyboardKey, 0x00, 0x10}, "M"},
    KeyNameRow{0x4E, {T::KeyboardKey, 0x00, 0x11}, "N"},
    KeyNameRow{0x4F, {T::KeyboardKey, 0x00, 0x12}, "O"},
    KeyNameRow{0x50, {T::KeyboardKey, 0x00, 0x13}, "P"},
    KeyNameRow{0x51, {T::KeyboardKey, 0x00, 0x14}, "Q"},
    KeyNameRow{0x52, {T::KeyboardKey, 0x00, 0x15}, "R"},
    KeyNameRow{0x53, {T::KeyboardKey, 0x00, 0x16}, "S"},
    KeyNameRow{0x54, {T::KeyboardKey, 0x00, 0x17}, "T"},
    KeyNameRow{0x55, {T::KeyboardKey, 0x00, 0x18}, "U"},
    KeyNameRow{0x56, {T::KeyboardKey, 0x00, 0x19}, "V"},
    KeyNameRow{0x57, {T::KeyboardKey, 0x00, 0x1A}, "W"},
    KeyNameRow{0x58, {T::KeyboardKey, 0x00, 0x1B}, "X"},
    KeyNameRow{0x59, {T::KeyboardKey, 0x00, 0x1C}, "Y"},
    KeyNameRow{0x5A, {T::KeyboardKey, 0x00, 0x1D}, "Z"},
    KeyNameRow{0x31, {T::KeyboardKey, 0x00, 0x1E}, "1"},
    KeyNameRow{0x32, {T::KeyboardKey, 0x00, 0x1F}, "2"},
    KeyNameRow{0x33, {T::KeyboardKey, 0x00, 0x20}, "3"},
    KeyNameRow{0x34, {T::KeyboardKey, 0x00, 0x21}, "4"},
    KeyNameRow{0x35, {T::KeyboardKey, 0x00, 0x22}, "5"},
    KeyNameRow{0x36, {T::KeyboardKey, 0x00, 0x23}, "6"},
    KeyNameRow{0x37, {T::KeyboardKey, 0x00, 0x24}, "7"},
    KeyNameRow{0x38, {T::KeyboardKey, 0x00, 0x25}, "8"},
    KeyNameRow{0x39, {T::KeyboardKey, 0x00, 0x26}, "9"},
    KeyNameRow{0x30, {T::KeyboardKey, 0x00, 0x27}, "0"},
    KeyNameRow{0x0D, {T::KeyboardKey, 0x00, 0x28}, "Enter"},
    KeyNameRow{0x1B, {T::KeyboardKey, 0x00, 0x29}, "Esc"},
    KeyNameRow{0x08, {T::KeyboardKey, 0x00, 0x2A}, "BackSpace"},
    KeyNameRow{0x09, {T::KeyboardKey, 0x00, 0x2B}, "Tab"},
    KeyNameRow{0x20, {T::KeyboardKey, 0x00, 0x2C}, "Space"},
    KeyNameRow{0xBD, {T::KeyboardKey, 0x00, 0x2D}, "-"},
    KeyNameRow{0xBB, {T::KeyboardKey, 0x00, 0x2E}, "="},
    KeyNameRow{0xDB, {T::KeyboardKey, 0x00, 0x2F}, "["},
    KeyNameRow{0xDD, {T::KeyboardKey, 0x00, 0x30}, "]"},
    KeyNameRow{0xDC, {T::KeyboardKey, 0x00, 0x31}, "xiegang"},
    KeyNameRow{0xBA, {T::KeyboardKey, 0x00, 0x33}, ";"},
    KeyNameRow{0xDE, {T::KeyboardKey, 0x00, 0x34}, "'"},
    KeyNameRow{0xC0, {T::KeyboardKey, 0x00, 0x35}, "`"},
    KeyNameRow{0xBC, {T::KeyboardKey, 0x00, 0x36}, "<"},
    KeyNameRow{0xBE, {T::KeyboardKey, 0x00, 0x37}, "."},
    KeyNameRow{0xBF, {T::KeyboardKey, 0x00, 0x38}, "/"},
    KeyNameRow{0x14, {T::KeyboardKey, 0x00, 0x39}, "Caplk"},
    KeyNameRow{0x70, {T::KeyboardKey, 0x00, 0x3A}, "F1"},
    KeyNameRow{0x71, {T::KeyboardKey, 0x00, 0x3B}, "F2"},
    KeyNameRow{0x72, {T::KeyboardKey, 0x00, 0x3C}, "F3"},
    KeyNameRow{0x73, {T::KeyboardKey, 0x00, 0x3D}, "F4"},
    KeyNameRow{0x74, {T::KeyboardKey, 0x00, 0x3E}, "F5"},
    KeyNameRow{0x75, {T::KeyboardKey, 0x00, 0x3F}, "F6"},
    KeyNameRow{0x76, {T::KeyboardKey, 0x00, 0x40}, "F7"},
    KeyNameRow{0x77, {T::KeyboardKey, 0x00, 0x41}, "F8"},
    KeyNameRow{0x78, {T::KeyboardKey, 0x00, 0x42}, "F9"},
    KeyNameRow{0x79, {T::KeyboardKey, 0x00, 0x43}, "F10"},
    KeyNameRow{0x7A, {T::KeyboardKey, 0x00, 0x44}, "F11"},
    KeyNameRow{0x7B, {T::KeyboardKey, 0x00, 0x45}, "F12"},
    KeyNameRow{0x2C, {T::KeyboardKey, 0x00, 0x46}, "Print Scr"},
    KeyNameRow{0x91, {T::KeyboardKey, 0x00, 0x47}, "Scroll Lock"},
    KeyNameRow{0x13, {T::KeyboardKey, 0x00, 0x48}, "Pause"},
    KeyNameRow{0x2D, {T::KeyboardKey, 0x00, 0x49}, "Insert"},
    KeyNameRow{0x24, {T::KeyboardKey, 0x00, 0x4A}, "Home"},
    KeyNameRow{0x21, {T::KeyboardKey, 0x00, 0x4B}, "Page Up"},
    KeyNameRow{0x2E, {T::KeyboardKey, 0x00, 0x4C}, "Delete"},
    KeyNameRow{0x23, {T::KeyboardKey, 0x00, 0x4D}, "End"},
    KeyNameRow{0x22, {T::KeyboardKey, 0x00, 0x4E}, "Page Down"},
    KeyNameRow{0x27, {T::KeyboardKey, 0x00, 0x4F}, "Right"},
    KeyNameRow{0x25, {T::KeyboardKey, 0x00, 0x50}, "Left"},
    KeyNameRow{0x28, {T::KeyboardKey, 0x00, 0x51}, "Down"},
    KeyNameRow{0x26, {T::KeyboardKey, 0x00, 0x52}, "Up"},
    KeyNameRow{0x90, {T::KeyboardKey, 0x00, 0x53}, "Num Lock"},
    KeyNameRow{0x6F, {T::KeyboardKey, 0x00, 0x54}, "Num /"},
    KeyNameRow{0x6A, {T::KeyboardKey, 0x00, 0x55}, "Num *"},
    KeyNameRow{0x6D, {T::KeyboardKey, 0x00, 0x56}, "Num -"},
    KeyNameRow{0x6B, {T::KeyboardKey, 0x00, 0x57}, "Num +"},
    KeyNameRow{0x101, {T::KeyboardKey, 0x00, 0x58}, "Num Enter"},
    KeyNameRow{0x61, {T::KeyboardKey, 0x00, 0x59}, "Num 1"},
    KeyNameRow{0x62, {T::KeyboardKey, 0x00, 0x5A}, "Num 2"},
    KeyNameRow{0x63, {T::KeyboardKey, 0x00, 0x5B}, "Num 3"},
    KeyNameRow{0x64, {T::KeyboardKey, 0x00, 0x5C}, "Num 4"},
    KeyNameRow{0x65, {T::KeyboardKey, 0x00, 0x5D}, "Num 5"},
    KeyNameRow{0x66, {T::KeyboardKey, 0x00, 0x5E}, "Num 6"},
    KeyNameRow{0x67, {T::KeyboardKey, 0x00, 0x5F}, "Num 7"},
    KeyNameRow{0x68, {T::KeyboardKey, 0x00, 0x60}, "Num 8"},
    KeyNameRow{0x69, {T::KeyboardKey, 0x00, 0x61}, "Num 9"},
    KeyNameRow{0x60, {T::KeyboardKey, 0x00, 0x62}, "Num 0"},
    KeyNameRow{0x6E, {T::KeyboardKey, 0x00, 0x63}, "Decimal"},
    KeyNameRow{0x5D, {T::KeyboardKey, 0x00, 0x65}, "App"},
    KeyNameRow{0xB7, {T::Multimedia, 0x92, 0x01}, "Launch App2"},
    KeyNameRow{0xAC, {T::Multimedia, 0x23, 0x02}, "Browaer Home"},
    KeyNameRow{0xB3, {T::Multimedia, 0xCD, 0x00}, "Media Play Pause"},
    KeyNameRow{0xAA, {T::Multimedia, 0x21, 0x02}, "Browser Search"},
    KeyNameRow{0xB4, {T::Multimedia, 0x8A, 0x01}, "Launch Mail"},
    KeyNameRow{0xAF, {T::Multimedia, 0xE9, 0x00}, "Volume Up"},
    KeyNameRow{0xAD, {T::Multimedia, 0xE2, 0x00}, "Volume Mute"},
    KeyNameRow{0xB2, {T::Multimedia, 0xB7, 0x00}, "Media Stop"},
    KeyNameRow{0xAE, {T::Multimedia, 0xEA, 0x00}, "Volume Down"},
    KeyNameRow{0xAB, {T::Multimedia, 0x2A, 0x02}, "Browser Favorites"},
    KeyNameRow{0xA7, {T::Multimedia, 0x25, 0x02}, "Browser ForWard"},
    KeyNameRow{0xA6, {T::Multimedia, 0x24, 0x02}, "Browser Back"},
    KeyNameRow{0xB1, {T::Multimedia, 0xB6, 0x00}, "Media Prev Track"},
    KeyNameRow{0xB0, {T::Multimedia, 0xB5, 0x00}, "Media Next Track"},
    KeyNameRow{0xB6, {T::Multimedia, 0x94, 0x01}, "Computer"},
    KeyNameRow{0xA8, {T::Multimedia, 0x27, 0x02}, "Browser Refresh"},
    KeyNameRow{0xB5, {T::Multimedia, 0x83, 0x01}, "Launch Media Select"},
    KeyNameRow{0xB5, {T::Multimedia, 0x83, 0x01}, "Launch Media Select"},
    KeyNameRow{0x103, {T::SystemControl, 0x01, 0x00}, "Power"},
    KeyNameRow{0x104, {T::SystemControl, 0x02, 0x00}, "Sleep"},
    KeyNameRow{0x105, {T::SystemControl, 0x04, 0x00}, "Wakeup"},
}};

std::optional<std::size_t> FindRow(auto matches) {
    const auto it = std::ranges::find_if(kRows, matches);
    if (it == kRows.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - kRows.begin());
}

}  // namespace

std::string KeyNameRow::LanguageKey() const {
    return std::string(KeyNameTable::kLanguageKeyPrefix) + std::string(name);
}

std::span<const KeyNameRow, KeyNameTable::kRowCount> KeyNameTable::Rows() {
    return kRows;
}

std::optional<std::size_t> KeyNameTable::FindVirtualKey(std::uint16_t virtualKey) {
    return FindRow([virtualKey](const KeyNameRow& row) { return row.virtualKey == virtualKey; });
}

std::optional<std::size_t> KeyNameTable::FindKeyboardCode(const KeyFunction& code) {
    return FindRow([&code](const KeyNameRow& row) {
        return row.function.Is(T::KeyboardKey) && row.function.SameParameters(code);
    });
}

std::optional<std::size_t> KeyNameTable::FindCapturedKey(std::uint16_t virtualKey,
                                                         std::uint32_t flags) {
    if (virtualKey == kEnter && (flags == kExtendedPressed || flags == kExtendedReleased)) {
        virtualKey = kKeypadEnter;
    }
    const std::optional<std::size_t> row = FindVirtualKey(virtualKey);
    if (!row || !kRows[*row].function.Is(T::KeyboardKey)) {
        return std::nullopt;
    }
    return row;
}

}  // namespace varlok::keys
