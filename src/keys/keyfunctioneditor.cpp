#include "keys/keyfunctioneditor.h"

#include "keys/keynametable.h"
#include "keys/keyvaluelists.h"

namespace varlok::keys {

namespace {

using T = KeyFunctionType;

constexpr std::uint8_t kSwingDirectionBit = 0x80;
constexpr std::uint8_t kSwingAmountMask = 0x7F;
constexpr int kNibble = 16;
constexpr int kRunModes = 5;
constexpr KeyFunction kLightingModeKey{T::DeviceFunction, 0x01, 0x00};

constexpr std::array<std::uint8_t, kKeyCategoryCount> kCategoryCodes{
    0x00, 0x10, 0x11, 0x12, 0x13, 0x14, 0x20, 0x30, 0x40, 0x70, 0x72, 0x20, 0xA0};

std::uint8_t LowByte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::optional<KeyFunction> Selected(KeyValueList list, int index) {
    const auto values = Values(list);
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        return std::nullopt;
    }
    return values[static_cast<std::size_t>(index)].function;
}

KeyFunction EncodeSwing(KeyFunctionType type, const SwingFields& swing) {
    const std::uint8_t direction = swing.direction == 1 ? kSwingDirectionBit : 0;
    return {type, LowByte(swing.highNibble * kNibble | swing.lowNibble),
            LowByte(swing.amount + direction)};
}

void DecodeSwing(const KeyFunction& code, SwingFields& swing) {
    swing.highNibble = code.p1 / kNibble;
    swing.lowNibble = code.p1 % kNibble;
    swing.amount = code.p2 & kSwingAmountMask;
    swing.direction = (code.p2 & kSwingDirectionBit) != 0 ? 1 : 0;
}

// Selects the list entry with the code's parameters; a code with none keeps
// the combo as it was.
void SelectValue(KeyValueList list, const KeyFunction& code, int& combo) {
    if (const auto index = FindValue(list, code)) {
        combo = static_cast<int>(*index);
    }
}

void DecodeMacro(const KeyFunction& code, std::size_t macroCount, KeyFunctionEditor& editor) {
    // An index the list does not hold names no macro.
    if (code.p1 >= macroCount) {
        editor.macro.reset();
        return;
    }
    editor.macro = code.p1;
    if (code.Is(T::MacroCounted)) {
        editor.repeatCount = code.p2;
        editor.runMode = KeyFunctionEditor::kCountedRunMode;
    } else if (code.p2 < kRunModes) {
        editor.runMode = code.p2;
    }
}

}  // namespace

std::uint8_t CategoryCode(KeyCategory category) {
    return kCategoryCodes[static_cast<std::size_t>(category)];
}

std::optional<KeyFunction> EncodeKeyFunction(const KeyFunctionEditor& editor,
                                             const KeyFunction& factoryEntry) {
    switch (editor.category) {
        case KeyCategory::Default:
            return factoryEntry;
        case KeyCategory::MouseButton:
            return Selected(KeyValueList::MouseButtons, editor.mouseButton);
        case KeyCategory::HorizontalSwing:
            return EncodeSwing(T::HorizontalSwing, editor.horizontal);
        case KeyCategory::VerticalSwing:
            return EncodeSwing(T::VerticalSwing, editor.vertical);
        case KeyCategory::Dpi:
            return Selected(KeyValueList::Dpi, editor.dpi);
        case KeyCategory::FireKey:
            return KeyFunction{T::FireKey, LowByte(editor.fireFirst), LowByte(editor.fireSecond)};
        case KeyCategory::KeyboardKey:
            return editor.keyboardKey;
        case KeyCategory::Multimedia:
            return Selected(KeyValueList::Multimedia, editor.multimedia);
        case KeyCategory::System:
            return Selected(KeyValueList::System, editor.system);
        case KeyCategory::Macro:
            if (!editor.macro) {
                return std::nullopt;
            }
            if (editor.runMode == KeyFunctionEditor::kCountedRunMode) {
                return KeyFunction{T::MacroCounted, LowByte(*editor.macro),
                                   LowByte(editor.repeatCount)};
            }
            return KeyFunction{T::Macro, LowByte(*editor.macro), LowByte(editor.runMode)};
        case KeyCategory::CursorScript:
            return Selected(KeyValueList::CursorScripts, editor.cursorScript);
        case KeyCategory::Shortcut:
            return Selected(KeyValueList::Shortcuts, editor.shortcut);
        case KeyCategory::DeviceFunction:
            return kLightingModeKey;
    }
    return std::nullopt;
}

void DecodeKeyFunction(const KeyFunction& code, const KeyFunction& factoryEntry,
                       std::size_t macroCount, KeyFunctionEditor& editor) {
    if (code == factoryEntry) {
        editor.category = KeyCategory::Default;
        return;
    }
    switch (static_cast<T>(code.type)) {
        case T::MouseButton:
            SelectValue(KeyValueList::MouseButtons, code, editor.mouseButton);
            editor.category = KeyCategory::MouseButton;
            return;
        case T::HorizontalSwing:
            DecodeSwing(code, editor.horizontal);
            editor.category = KeyCategory::HorizontalSwing;
            return;
        case T::VerticalSwing:
            DecodeSwing(code, editor.vertical);
            editor.category = KeyCategory::VerticalSwing;
            return;
        case T::Dpi:
            SelectValue(KeyValueList::Dpi, code, editor.dpi);
            editor.category = KeyCategory::Dpi;
            return;
        case T::FireKey:
            editor.fireFirst = code.p1;
            editor.fireSecond = code.p2;
            editor.category = KeyCategory::FireKey;
            return;
        case T::KeyboardKey:
            if (code.p1 != 0 && code.p2 != 0) {
                SelectValue(KeyValueList::Shortcuts, code, editor.shortcut);
                editor.category = KeyCategory::Shortcut;
                return;
            }
            // A key without a name shows an empty field rather than the name
            // of the key shown before.
            editor.keyboardKey =
                KeyNameTable::FindKeyboardCode(code) ? std::optional(code) : std::nullopt;
            editor.category = KeyCategory::KeyboardKey;
            return;
        case T::Multimedia:
            SelectValue(KeyValueList::Multimedia, code, editor.multimedia);
            editor.category = KeyCategory::Multimedia;
            return;
        case T::SystemControl:
            SelectValue(KeyValueList::System, code, editor.system);
            editor.category = KeyCategory::System;
            return;
        case T::Macro:
        case T::MacroCounted:
            DecodeMacro(code, macroCount, editor);
            editor.category = KeyCategory::Macro;
            return;
        case T::CursorScript:
            SelectValue(KeyValueList::CursorScripts, KeyFunction{T::CursorScript, code.p1, 0},
                        editor.cursorScript);
            editor.category = KeyCategory::CursorScript;
            return;
        case T::DeviceFunction:
            editor.category = KeyCategory::DeviceFunction;
            return;
    }
}

}  // namespace varlok::keys
