// The function editor's encoding and decoding: every category builds its
// code and reads it back, every value list entry survives the trip, and the
// codes the editor does not build leave it alone.

#include "keys/keyfunctioneditor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "keys/keyvaluelists.h"

namespace varlok::keys {
namespace {

using T = KeyFunctionType;
using C = KeyCategory;
using E = KeyFunctionEditor;

constexpr KeyFunction kMiddleFactory{T::MouseButton, 0x04, 0x00};
// The factory entry of a key no button uses: no list entry equals it.
constexpr KeyFunction kUnusedFactory{0x05, 0x05, 0x05};
constexpr std::size_t kMacroCount = 5;

TEST(KeyFunctionEditorTest, EveryCategoryEncodesAndDecodesBack) {
    struct RoundTrip {
        E editor;
        KeyFunction code;
    };
    for (const RoundTrip& trip : {
             RoundTrip{{.category = C::Default}, kMiddleFactory},
             RoundTrip{{.category = C::MouseButton, .mouseButton = 3}, {0x10, 0x10, 0x00}},
             // Right, amount 5, nibbles 2 and 3.
             RoundTrip{{.category = C::HorizontalSwing, .horizontal = {1, 5, 2, 3}},
                       {0x11, 0x23, 0x85}},
             RoundTrip{{.category = C::VerticalSwing, .vertical = {0, 127, 15, 0}},
                       {0x12, 0xF0, 0x7F}},
             RoundTrip{{.category = C::Dpi, .dpi = 1}, {0x13, 0x02, 0x00}},
             RoundTrip{{.category = C::FireKey, .fireFirst = 255, .fireSecond = 7},
                       {0x14, 0xFF, 0x07}},
             RoundTrip{{.category = C::KeyboardKey, .keyboardKey = KeyFunction{0x20, 0x00, 0x58}},
                       {0x20, 0x00, 0x58}},
             RoundTrip{{.category = C::KeyboardKey, .keyboardKey = KeyFunction{0x20, 0x02, 0x00}},
                       {0x20, 0x02, 0x00}},
             RoundTrip{{.category = C::Multimedia, .multimedia = 17}, {0x30, 0x8A, 0x01}},
             RoundTrip{{.category = C::System, .system = 2}, {0x40, 0x04, 0x00}},
             RoundTrip{{.category = C::Macro, .macro = 3, .runMode = 2}, {0x70, 0x03, 0x02}},
             RoundTrip{{.category = C::Macro, .macro = 1, .runMode = 4, .repeatCount = 9},
                       {0x71, 0x01, 0x09}},
             RoundTrip{{.category = C::CursorScript, .cursorScript = 3}, {0x72, 0x03, 0x00}},
             RoundTrip{{.category = C::Shortcut, .shortcut = 10}, {0x20, 0x01, 0x2E}},
             RoundTrip{{.category = C::DeviceFunction}, {0xA0, 0x01, 0x00}},
         }) {
        const int category = static_cast<int>(trip.editor.category);
        EXPECT_EQ(EncodeKeyFunction(trip.editor, kMiddleFactory), trip.code) << category;
        E shown;
        DecodeKeyFunction(trip.code, kMiddleFactory, kMacroCount, shown);
        EXPECT_EQ(shown, trip.editor) << category;
    }
}

TEST(KeyFunctionEditorTest, EveryValueListEntryRoundTripsThroughItsCombo) {
    struct ListCategory {
        KeyValueList list;
        C category;
        int E::*combo;
    };
    for (const ListCategory& c : {
             ListCategory{KeyValueList::MouseButtons, C::MouseButton, &E::mouseButton},
             ListCategory{KeyValueList::Dpi, C::Dpi, &E::dpi},
             ListCategory{KeyValueList::Shortcuts, C::Shortcut, &E::shortcut},
             ListCategory{KeyValueList::Multimedia, C::Multimedia, &E::multimedia},
             ListCategory{KeyValueList::System, C::System, &E::system},
             ListCategory{KeyValueList::CursorScripts, C::CursorScript, &E::cursorScript},
         }) {
        const auto values = Values(c.list);
        for (std::size_t i = 0; i <= values.size(); ++i) {
            E editor{.category = c.category};
            editor.*c.combo = static_cast<int>(i);
            // One past the end picks nothing, and nothing is written.
            const auto expected =
                i < values.size() ? std::optional(values[i].function) : std::nullopt;
            EXPECT_EQ(EncodeKeyFunction(editor, kUnusedFactory), expected) << values[0].label;
            if (i < values.size()) {
                E shown;
                shown.*c.combo = -1;
                DecodeKeyFunction(values[i].function, kUnusedFactory, kMacroCount, shown);
                EXPECT_EQ(shown.category, c.category) << values[i].label;
                EXPECT_EQ(shown.*c.combo, static_cast<int>(i)) << values[i].label;
            }
        }
    }
}

TEST(KeyFunctionEditorTest, EncodingEdgeCases) {
    // Nothing without a captured key or a chosen macro.
    EXPECT_EQ(EncodeKeyFunction({.category = C::KeyboardKey}, kMiddleFactory), std::nullopt);
    EXPECT_EQ(EncodeKeyFunction({.category = C::Macro}, kMiddleFactory), std::nullopt);
    // Edits give their low byte.
    EXPECT_EQ(EncodeKeyFunction({.category = C::FireKey, .fireFirst = 0x1FF, .fireSecond = 256},
                                kMiddleFactory),
              (KeyFunction{0x14, 0xFF, 0x00}));
}

TEST(KeyFunctionEditorTest, DecodingEdgeCases) {
    const E before{.category = C::System,
                   .mouseButton = 2,
                   .horizontal = {1, 9, 1, 1},
                   .keyboardKey = KeyFunction{0x20, 0x00, 0x04},
                   .macro = 1,
                   .runMode = 3,
                   .shortcut = 4};
    // Types without an editor change nothing.
    for (const std::uint8_t type : {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0, 0x05, 0x00, 0xFF}) {
        E editor = before;
        DecodeKeyFunction({type, 0x05, 0x05}, kMiddleFactory, kMacroCount, editor);
        EXPECT_EQ(editor, before) << int{type};
    }
    struct Case {
        KeyFunction code;
        void (*change)(E&);  // what the code changes in `before`
    };
    for (const Case& c : {
             // The key's factory function opens on "default", whatever its type.
             Case{kMiddleFactory, [](E& e) { e.category = C::Default; }},
             // A code the list lacks keeps the combo as it was.
             Case{{0x10, 0x03, 0x00}, [](E& e) { e.category = C::MouseButton; }},
             // Shift+A has a modifier and a key: the shortcut page, its combo
             // as it was.
             Case{{0x20, 0x02, 0x04}, [](E& e) { e.category = C::Shortcut; }},
             // A key without a name shows an empty field, not the last key.
             Case{{0x20, 0x00, 0x64},
                  [](E& e) {
                      e.category = C::KeyboardKey;
                      e.keyboardKey.reset();
                  }},
             // Index 5 of a list of five macros is past its end.
             Case{{0x70, 5, 0x02},
                  [](E& e) {
                      e.category = C::Macro;
                      e.macro.reset();
                  }},
             Case{{0x70, 4, 0x02},
                  [](E& e) {
                      e.category = C::Macro;
                      e.macro = 4;
                      e.runMode = 2;
                  }},
         }) {
        E editor = before;
        DecodeKeyFunction(c.code, kMiddleFactory, kMacroCount, editor);
        E expected = before;
        c.change(expected);
        EXPECT_EQ(editor, expected) << int{c.code.type} << " " << int{c.code.p1};
    }
}

}  // namespace
}  // namespace varlok::keys
