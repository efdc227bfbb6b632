// The key code table read both ways against the key name table: every key a
// PC keyboard has reaches its named row through a capture, every key code
// row names a key the program knows, and the keyboard messages and flags of
// captured keys are Windows'.

#include "platform/keycodetable.h"

#include <gtest/gtest.h>

#include <set>

#include "keys/keynametable.h"

namespace varlok::keys {
namespace {

using platform::CapturedKeyOf;
using platform::KeyCodeTable;

constexpr std::uint16_t kFirstSystemRowKey = 0x103;

// The capture's virtual key for a name table row's code (0x101 is the
// keypad's Enter: Enter with the extended flag).
std::optional<std::uint8_t> KeyCodeOf(std::uint16_t virtualKey) {
    if (virtualKey == KeyNameTable::kKeypadEnter) {
        return KeyCodeTable::FindVirtualKey(KeyNameTable::kEnter, true);
    }
    auto code = KeyCodeTable::FindVirtualKey(virtualKey, false);
    return code ? code : KeyCodeTable::FindVirtualKey(virtualKey, true);
}

TEST(KeyCodeTable, EveryNamedKeyIsCapturedAsItsOwnRow) {
    for (std::size_t index = 0; index < KeyNameTable::kRowCount; ++index) {
        const KeyNameRow& row = KeyNameTable::Rows()[index];
        if (row.virtualKey >= kFirstSystemRowKey) {
            continue;  // power, sleep and wake-up are no keys
        }
        SCOPED_TRACE(row.name);
        const auto keyCode = KeyCodeOf(row.virtualKey);
        ASSERT_TRUE(keyCode.has_value());
        for (const bool pressed : {true, false}) {
            const auto key = CapturedKeyOf(*keyCode, {.pressed = pressed});
            ASSERT_TRUE(key.has_value());
            const auto found = KeyNameTable::FindVirtualKey(
                key->virtualKey == KeyNameTable::kEnter && (key->flags & 1) != 0
                    ? KeyNameTable::kKeypadEnter
                    : static_cast<std::uint16_t>(key->virtualKey));
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(KeyNameTable::Rows()[*found].function, row.function);
            if (index < 104) {
                EXPECT_EQ(KeyNameTable::FindCapturedKey(static_cast<std::uint16_t>(key->virtualKey),
                                                        key->flags),
                          found);
            }
        }
    }
}

TEST(KeyCodeTable, EveryKeyCodeNamesAKeyOnce) {
    std::set<std::uint8_t> keyCodes;
    std::set<std::pair<std::uint16_t, bool>> keys;
    for (const platform::KeyCodeRow& row : KeyCodeTable::Rows()) {
        SCOPED_TRACE(static_cast<int>(row.keyCode));
        EXPECT_TRUE(keyCodes.insert(row.keyCode).second);
        EXPECT_TRUE(keys.insert({row.virtualKey, row.extended}).second);
        const bool keypadEnter = row.virtualKey == KeyNameTable::kEnter && row.extended;
        EXPECT_TRUE(
            KeyNameTable::FindVirtualKey(keypadEnter ? KeyNameTable::kKeypadEnter : row.virtualKey)
                .has_value());
        EXPECT_EQ(KeyCodeTable::FindKeyCode(row.keyCode)->virtualKey, row.virtualKey);
    }
    EXPECT_FALSE(KeyCodeTable::FindKeyCode(8).has_value());
    EXPECT_FALSE(KeyCodeTable::FindKeyCode(255).has_value());
}

TEST(KeyCodeTable, KeyboardMessagesAndFlagsAreWindows) {
    struct Case {
        const char* what;
        std::uint32_t keyCode;
        platform::KeyEventState state;
        std::uint32_t message, virtualKey, flags;
    };
    const Case cases[] = {
        {"left Shift down", 50, {.pressed = true}, 0x100, 0xA0, 0x00},
        {"left Shift up", 50, {.pressed = false}, 0x101, 0xA0, 0x80},
        {"right Ctrl down", 105, {.pressed = true}, 0x100, 0xA3, 0x01},
        {"keypad Enter up", 104, {.pressed = false}, 0x101, 0x0D, 0x81},
        {"Delete down", 119, {.pressed = true}, 0x100, 0x2E, 0x01},
        {"left Alt down", 64, {.pressed = true}, 0x104, 0xA4, 0x00},
        {"left Alt up", 64, {.pressed = false, .altHeld = true}, 0x101, 0xA4, 0x80},
        {"A down with Alt", 38, {.pressed = true, .altHeld = true}, 0x104, 0x41, 0x00},
        {"A up with Alt", 38, {.pressed = false, .altHeld = true}, 0x105, 0x41, 0x80},
        {"A down with Ctrl+Alt", 38, {true, true, true}, 0x100, 0x41, 0x00},
        {"F10 down", 76, {.pressed = true}, 0x104, 0x79, 0x00},
        {"F10 up", 76, {.pressed = false}, 0x105, 0x79, 0x80},
        {"C down with Ctrl", 54, {.pressed = true, .controlHeld = true}, 0x100, 0x43, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto key = CapturedKeyOf(c.keyCode, c.state);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(key->message, c.message);
        EXPECT_EQ(key->virtualKey, c.virtualKey);
        EXPECT_EQ(key->flags, c.flags);
    }
}

}  // namespace
}  // namespace varlok::keys
