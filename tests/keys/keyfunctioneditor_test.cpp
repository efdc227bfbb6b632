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

constexpr KeyFunction kMiddleFactory{T::MouseButton, 0x04, 0x00};
// The factory entry of a key no button uses: no list entry equals it.
constexpr KeyFunction kUnusedFactory{0x05, 0x05, 0x05};
constexpr std::size_t kMacroCount = 5;

struct RoundTrip {
    std::string name;
    KeyFunctionEditor editor;
    KeyFunction code;
};

KeyFunctionEditor Editor(KeyCategory category, auto fill) {
    KeyFunctionEditor editor;
    editor.category = category;
    fill(editor);
    return editor;
}

std::vector<RoundTrip> RoundTrips() {
    using E = KeyFunctionEditor;
    return {
        {"mouse button",
         Editor(KeyCategory::MouseButton, [](E& e) { e.mouseButton = 3; }),
         {T::MouseButton, 0x10, 0x00}},
        {"horizontal swing right 5, nibbles 2 and 3",
         Editor(KeyCategory::HorizontalSwing,
                [](E& e) {
                    e.horizontal = {1, 5, 2, 3};
                }),
         {T::HorizontalSwing, 0x23, 0x85}},
        {"vertical swing up 127, nibbles 15 and 0",
         Editor(KeyCategory::VerticalSwing,
                [](E& e) {
                    e.vertical = {0, 127, 15, 0};
                }),
         {T::VerticalSwing, 0xF0, 0x7F}},
        {"DPI down", Editor(KeyCategory::Dpi, [](E& e) { e.dpi = 1; }), {T::Dpi, 0x02, 0x00}},
        {"fire key",
         Editor(KeyCategory::FireKey, [](E& e) { e.fireFirst = 255, e.fireSecond = 7; }),
         {T::FireKey, 0xFF, 0x07}},
        {"keypad enter",
         Editor(KeyCategory::KeyboardKey,
                [](E& e) {
                    e.keyboardKey = KeyFunction{T::KeyboardKey, 0x00, 0x58};
                }),
         {T::KeyboardKey, 0x00, 0x58}},
        {"left shift alone",
         Editor(KeyCategory::KeyboardKey,
                [](E& e) {
                    e.keyboardKey = KeyFunction{T::KeyboardKey, 0x02, 0x00};
                }),
         {T::KeyboardKey, 0x02, 0x00}},
        {"mail",
         Editor(KeyCategory::Multimedia, [](E& e) { e.multimedia = 17; }),
         {T::Multimedia, 0x8A, 0x01}},
        {"wake up",
         Editor(KeyCategory::System, [](E& e) { e.system = 2; }),
         {T::SystemControl, 0x04, 0x00}},
        {"macro 3, run mode 2",
         Editor(KeyCategory::Macro, [](E& e) { e.macro = 3, e.runMode = 2; }),
         {T::Macro, 0x03, 0x02}},
        {"macro 1 nine times",
         Editor(KeyCategory::Macro, [](E& e) { e.macro = 1, e.runMode = 4, e.repeatCount = 9; }),
         {T::MacroCounted, 0x01, 0x09}},
        {"cursor script 4",
         Editor(KeyCategory::CursorScript, [](E& e) { e.cursorScript = 3; }),
         {T::CursorScript, 0x03, 0x00}},
        {"zoom in shortcut",
         Editor(KeyCategory::Shortcut, [](E& e) { e.shortcut = 10; }),
         {T::KeyboardKey, 0x01, 0x2E}},
        {"lighting mode key",
         Editor(KeyCategory::DeviceFunction, [](E&) {}),
         {T::DeviceFunction, 0x01, 0x00}},
    };
}

TEST(KeyFunctionEditorTest, EveryCategoryEncodesAndDecodesBack) {
    for (const RoundTrip& trip : RoundTrips()) {
        EXPECT_EQ(EncodeKeyFunction(trip.editor, kMiddleFactory), trip.code) << trip.name;
        KeyFunctionEditor shown;
        DecodeKeyFunction(trip.code, kMiddleFactory, kMacroCount, shown);
        EXPECT_EQ(shown, trip.editor) << trip.name;
    }
}

TEST(KeyFunctionEditorTest, EveryValueListEntryRoundTripsThroughItsCombo) {
    struct ListCategory {
        KeyValueList list;
        KeyCategory category;
        int KeyFunctionEditor::*combo;
    };
    for (const ListCategory& c : {
             ListCategory{KeyValueList::MouseButtons, KeyCategory::MouseButton,
                          &KeyFunctionEditor::mouseButton},
             ListCategory{KeyValueList::Dpi, KeyCategory::Dpi, &KeyFunctionEditor::dpi},
             ListCategory{KeyValueList::Shortcuts, KeyCategory::Shortcut,
                          &KeyFunctionEditor::shortcut},
             ListCategory{KeyValueList::Multimedia, KeyCategory::Multimedia,
                          &KeyFunctionEditor::multimedia},
             ListCategory{KeyValueList::System, KeyCategory::System, &KeyFunctionEditor::system},
             ListCategory{KeyValueList::CursorScripts, KeyCategory::CursorScript,
                          &KeyFunctionEditor::cursorScript},
         }) {
        const auto values = Values(c.list);
        for (std::size_t i = 0; i < values.size(); ++i) {
            KeyFunctionEditor editor;
            editor.category = c.category;
            editor.*c.combo = static_cast<int>(i);
            EXPECT_EQ(EncodeKeyFunction(editor, kUnusedFactory), values[i].function)
                << values[i].label;
            KeyFunctionEditor shown;
            shown.*c.combo = -1;
            DecodeKeyFunction(values[i].function, kUnusedFactory, kMacroCount, shown);
            EXPECT_EQ(shown.category, c.category) << values[i].label;
            EXPECT_EQ(shown.*c.combo, static_cast<int>(i)) << values[i].label;
        }
        KeyFunctionEditor outside;
        outside.category = c.category;
        outside.*c.combo = static_cast<int>(values.size());
        EXPECT_EQ(EncodeKeyFunction(outside, kUnusedFactory), std::nullopt) << values[0].label;
    }
}

TEST(KeyFunctionEditorTest, DefaultWritesTheFactoryEntryAndAFactoryCodeShowsAsDefault) {
    KeyFunctionEditor editor;
    EXPECT_EQ(EncodeKeyFunction(editor, kMiddleFactory), kMiddleFactory);
    // A DPI cycle that is the key's factory function opens on "default".
    const KeyFunction dpiCycle{T::Dpi, 0x03, 0x00};
    editor.category = KeyCategory::Dpi;
    DecodeKeyFunction(dpiCycle, dpiCycle, kMacroCount, editor);
    EXPECT_EQ(editor.category, KeyCategory::Default);
    EXPECT_EQ(editor.dpi, 0);
}

TEST(KeyFunctionEditorTest, NothingIsWrittenWithoutAKeyOrAMacro) {
    KeyFunctionEditor editor;
    editor.category = KeyCategory::KeyboardKey;
    EXPECT_EQ(EncodeKeyFunction(editor, kMiddleFactory), std::nullopt);
    editor.category = KeyCategory::Macro;
    EXPECT_EQ(EncodeKeyFunction(editor, kMiddleFactory), std::nullopt);
    // Edits give their low byte.
    editor.category = KeyCategory::FireKey;
    editor.fireFirst = 0x1FF;
    editor.fireSecond = 256;
    EXPECT_EQ(EncodeKeyFunction(editor, kMiddleFactory), (KeyFunction{T::FireKey, 0xFF, 0x00}));
}

TEST(KeyFunctionEditorTest, CodesWithoutAnEditorLeaveItAsItWas) {
    KeyFunctionEditor before;
    before.category = KeyCategory::System;
    before.system = 1;
    before.horizontal = {1, 9, 1, 1};
    for (const std::uint8_t type : {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0, 0x05, 0x00, 0xFF}) {
        KeyFunctionEditor editor = before;
        DecodeKeyFunction({type, 0x05, 0x05}, kMiddleFactory, kMacroCount, editor);
        EXPECT_EQ(editor, before) << int{type};
    }
}

TEST(KeyFunctionEditorTest, DecodingKeepsCombosForCodesTheListsDoNotHold) {
    KeyFunctionEditor editor;
    editor.mouseButton = 2;
    editor.shortcut = 4;
    DecodeKeyFunction({T::MouseButton, 0x03, 0x00}, kMiddleFactory, kMacroCount, editor);
    EXPECT_EQ(editor.category, KeyCategory::MouseButton);
    EXPECT_EQ(editor.mouseButton, 2);
    // Shift+A has a modifier and a key: the shortcut page, its combo as it was.
    DecodeKeyFunction({T::KeyboardKey, 0x02, 0x04}, kMiddleFactory, kMacroCount, editor);
    EXPECT_EQ(editor.category, KeyCategory::Shortcut);
    EXPECT_EQ(editor.shortcut, 4);
    // A key the name table lacks shows an empty key field, not the last key.
    editor.keyboardKey = KeyFunction{T::KeyboardKey, 0x00, 0x04};
    DecodeKeyFunction({T::KeyboardKey, 0x00, 0x64}, kMiddleFactory, kMacroCount, editor);
    EXPECT_EQ(editor.category, KeyCategory::KeyboardKey);
    EXPECT_EQ(editor.keyboardKey, std::nullopt);
}

TEST(KeyFunctionEditorTest, AMacroIndexTheListDoesNotHoldClearsTheChoice) {
    KeyFunctionEditor editor;
    editor.macro = 1;
    editor.runMode = 3;
    // Index 5 of a list of five is past its end.
    DecodeKeyFunction({T::Macro, 5, 0x02}, kMiddleFactory, kMacroCount, editor);
    EXPECT_EQ(editor.category, KeyCategory::Macro);
    EXPECT_EQ(editor.macro, std::nullopt);
    EXPECT_EQ(editor.runMode, 3);
    DecodeKeyFunction({T::Macro, 4, 0x02}, kMiddleFactory, kMacroCount, editor);
    EXPECT_EQ(editor.macro, 4);
    EXPECT_EQ(editor.runMode, 2);
}

}  // namespace
}  // namespace varlok::keys
