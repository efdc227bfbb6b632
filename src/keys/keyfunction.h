#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/mousemirror.h"

namespace varlok::keys {

// The function types a button can carry (byte 0 of a KeyFunction).
enum class KeyFunctionType : std::uint8_t {
    MouseButton = 0x10,      // p1: button bit
    HorizontalSwing = 0x11,  // p1: two nibbles; p2: amount, bit 7 right
    VerticalSwing = 0x12,    // p1: two nibbles; p2: amount, bit 7 down
    Dpi = 0x13,              // p1: 1 up, 2 down, 3 cycle
    FireKey = 0x14,          // p1, p2: the two fire parameters
    KeyboardKey = 0x20,      // p1: modifier bits; p2: HID keyboard usage
    Multimedia = 0x30,       // p1, p2: HID consumer usage, low byte first
    SystemControl = 0x40,    // p1: 1 power, 2 sleep, 4 wake up
    Macro = 0x70,            // p1: macro index; p2: run mode 0-3
    MacroCounted = 0x71,     // p1: macro index; p2: repeat count
    CursorScript = 0x72,     // p1: script index 0-3
    DeviceFunction = 0xA0,   // p1: 1 lighting mode key
};

// Types the device knows but no editor builds: the host keeps them as they
// are and leaves a key's label alone, except 0x21, which reads like a
// multimedia code.
inline constexpr std::array<std::uint8_t, 6> kUneditedTypes{0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0};
inline constexpr std::uint8_t kMultimediaAlikeType = 0x21;

// The three-byte function code of one button, as the key tables store it.
struct KeyFunction {
    static constexpr std::size_t kSize = settings::kKeyEntrySize;

    std::uint8_t type = 0;
    std::uint8_t p1 = 0;
    std::uint8_t p2 = 0;

    constexpr KeyFunction() = default;
    constexpr KeyFunction(std::uint8_t typeByte, std::uint8_t first, std::uint8_t second)
        : type(typeByte), p1(first), p2(second) {}
    constexpr KeyFunction(KeyFunctionType functionType, std::uint8_t first, std::uint8_t second)
        : KeyFunction(static_cast<std::uint8_t>(functionType), first, second) {}

    [[nodiscard]] constexpr bool Is(KeyFunctionType functionType) const {
        return type == static_cast<std::uint8_t>(functionType);
    }
    // Same parameters, whatever the type: how the value lists match codes.
    [[nodiscard]] constexpr bool SameParameters(const KeyFunction& other) const {
        return p1 == other.p1 && p2 == other.p2;
    }
    [[nodiscard]] constexpr std::array<std::uint8_t, kSize> Bytes() const { return {type, p1, p2}; }

    friend constexpr bool operator==(const KeyFunction&, const KeyFunction&) = default;
};

// A key slot holds kKeyEntrySize-byte entries from byte 0; bytes 510 and
// 511 carry no key.
inline constexpr std::size_t kKeyEntryCount = settings::kKeyTableUsed / KeyFunction::kSize;

// The mouse page's seven keys; the control number is the device key index.
inline constexpr std::size_t kMouseKeyCount = 7;
// The left-button rule looks at this many entries of the active slot.
inline constexpr std::size_t kLeftButtonRuleEntries = 9;
inline constexpr KeyFunction kLeftButton{KeyFunctionType::MouseButton, 0x01, 0x00};

// Entry `key` of a key table (a KeySlot or the FactoryKeyMap). key must be
// below kKeyEntryCount.
[[nodiscard]] KeyFunction KeyEntry(std::span<const std::uint8_t, settings::kKeyTableSize> table,
                                   std::size_t key);
void SetKeyEntry(std::span<std::uint8_t, settings::kKeyTableSize> table, std::size_t key,
                 const KeyFunction& function);

}  // namespace varlok::keys
