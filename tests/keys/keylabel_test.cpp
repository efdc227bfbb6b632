// The key table's names read both ways and the labels of codes: each name
// table row labels its own code, each list entry its own, and the types the
// program only carries keep or lose their labels as they should.

#include "keys/keylabel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "keys/keynametable.h"
#include "keys/keyvaluelists.h"

namespace varlok::keys {
namespace {

using T = KeyFunctionType;
using Kind = KeyLabel::Kind;

KeyLabel Key(std::string text) {
    return {Kind::LanguageKey, std::move(text)};
}

// Two macros in the store.
std::optional<std::string> TwoMacros(std::size_t index) {
    if (index >= 2) {
        return std::nullopt;
    }
    return index == 0 ? "Reload" : "Grenade";
}

TEST(KeyNameTableTest, RowsReadBothWays) {
    const auto rows = KeyNameTable::Rows();
    ASSERT_EQ(rows.size(), 125u);
    std::set<std::string> keyboardKeys;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const KeyNameRow& row = rows[i];
        // Only rows 120 and 121 share a virtual-key code.
        EXPECT_EQ(KeyNameTable::FindVirtualKey(row.virtualKey), i == 121 ? 120 : i) << row.name;
        if (row.function.Is(T::KeyboardKey)) {
            EXPECT_EQ(KeyNameTable::FindKeyboardCode(row.function), i) << row.name;
            EXPECT_TRUE(keyboardKeys.insert(row.LanguageKey()).second) << row.name;
        }
    }
    EXPECT_EQ(keyboardKeys.size(), 104u);
    EXPECT_EQ(rows[0].LanguageKey(), "keyboard_key_LCtrl");
    EXPECT_EQ(rows[124].function, (KeyFunction{T::SystemControl, 0x04, 0x00}));
}

TEST(KeyNameTableTest, CaptureTakesKeyboardKeysOnlyAndTellsTheTwoEnterKeysApart) {
    struct Case {
        std::uint16_t virtualKey;
        std::uint32_t flags;
        std::optional<KeyFunction> code;
    };
    for (const Case& c : {
             Case{0x0D, 0x00, KeyFunction{T::KeyboardKey, 0x00, 0x28}},
             Case{0x0D, 0x80, KeyFunction{T::KeyboardKey, 0x00, 0x28}},
             Case{0x0D, 0x01, KeyFunction{T::KeyboardKey, 0x00, 0x58}},
             Case{0x0D, 0x81, KeyFunction{T::KeyboardKey, 0x00, 0x58}},
             Case{0xA2, 0x00, KeyFunction{T::KeyboardKey, 0x01, 0x00}},
             Case{0x5A, 0x00, KeyFunction{T::KeyboardKey, 0x00, 0x1D}},
             Case{0xAF, 0x00, std::nullopt},   // Volume Up: a multimedia row
             Case{0x103, 0x00, std::nullopt},  // power: a system row
             Case{0x07, 0x00, std::nullopt},   // no row
         }) {
        const auto row = KeyNameTable::FindCapturedKey(c.virtualKey, c.flags);
        const std::optional<KeyFunction> code =
            row ? std::optional(KeyNameTable::Rows()[*row].function) : std::nullopt;
        EXPECT_EQ(code, c.code) << c.virtualKey << " flags " << c.flags;
    }
}

TEST(KeyLabelTest, EveryNameTableRowLabelsItsOwnCode) {
    for (const KeyNameRow& row : KeyNameTable::Rows()) {
        const KeyLabel label = LabelOf(row.function, {});
        if (row.function.Is(T::KeyboardKey)) {
            EXPECT_EQ(label, Key(row.LanguageKey()));
            continue;
        }
        // Multimedia and system rows carry the names of their value lists.
        const KeyValueList list =
            row.function.Is(T::Multimedia) ? KeyValueList::Multimedia : KeyValueList::System;
        const auto index = FindValue(list, row.function);
        ASSERT_TRUE(index.has_value()) << row.name;
        EXPECT_EQ(label, Key(std::string(Values(list)[*index].label))) << row.name;
    }
}

TEST(KeyLabelTest, EveryValueListEntryLabelsItsOwnCode) {
    for (const KeyValueList list :
         {KeyValueList::MouseButtons, KeyValueList::Dpi, KeyValueList::Shortcuts,
          KeyValueList::Multimedia, KeyValueList::System, KeyValueList::CursorScripts,
          KeyValueList::DeviceFunctions}) {
        EXPECT_EQ(ListInfo(list).list, list);
        for (const KeyValue& value : Values(list)) {
            EXPECT_EQ(LabelOf(value.function, {}), Key(std::string(value.label)));
        }
    }
    EXPECT_EQ(ListInfo(KeyValueList::Shortcuts).combo, "ms_key_fct_combo_26");
}

TEST(KeyLabelTest, LabelsByTypeAndParameters) {
    struct Case {
        KeyFunction code;
        KeyLabel label;
    };
    const KeyLabel unchanged;
    for (const Case& c : {
             Case{{0x11, 0x23, 0x85}, Key("mouse_key_right_Swing")},
             Case{{0x11, 0x23, 0x05}, Key("mouse_key_left_Swing")},
             Case{{0x12, 0x00, 0x80}, Key("mouse_key_down_Swing")},
             Case{{0x12, 0x00, 0x7F}, Key("mouse_key_up_Swing")},
             Case{{0x14, 0x10, 0x20}, Key("mouse_key_fire_key")},
             // A mouse button is named by p1 alone.
             Case{{0x10, 0x08, 0x33}, Key("mouse_key_back")},
             Case{{0x00, 0x00, 0x04}, Key("keyboard_key_A")},
             Case{{0x20, 0x01, 0x06}, Key("combo_copy")},
             Case{{0x21, 0xE9, 0x00}, Key("media_vol_add")},
             Case{{0x70, 0x01, 0x02}, {Kind::PlainText, "Grenade"}},
             Case{{0x71, 0x00, 0x09}, {Kind::PlainText, "Reload"}},
             Case{{0x70, 0x02, 0x00}, unchanged},
             Case{{0x15, 0x01, 0x02}, unchanged},
             Case{{0x50, 0x01, 0x02}, unchanged},
             Case{{0x60, 0x01, 0x02}, unchanged},
             Case{{0xB0, 0x01, 0x02}, unchanged},
             Case{{0xC0, 0x01, 0x02}, unchanged},
             Case{{0x05, 0x05, 0x05}, Key("close_text")},
             Case{{0x13, 0x07, 0x00}, Key("close_text")},
             Case{{0x20, 0x00, 0x64}, Key("close_text")},
             // Modifier bits that equal a consumer usage's low byte name no
             // multimedia key.
             Case{{0x20, 0xCD, 0x00}, Key("close_text")},
             Case{{0x72, 0x04, 0x00}, Key("close_text")},
         }) {
        EXPECT_EQ(LabelOf(c.code, TwoMacros), c.label)
            << int{c.code.type} << " " << int{c.code.p1} << " " << int{c.code.p2};
    }
    // Without a macro store no macro key changes its label.
    EXPECT_EQ(LabelOf({0x70, 0x00, 0x00}, {}), unchanged);
}

}  // namespace
}  // namespace varlok::keys
