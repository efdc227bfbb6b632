#include "keys/keylabel.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "keys/keynametable.h"
#include "keys/keyvaluelists.h"

namespace varlok::keys {

namespace {

using T = KeyFunctionType;

constexpr std::uint8_t kSwingRightOrDown = 0x80;
constexpr std::string_view kFireKeyLabel = "mouse_key_fire_key";

KeyLabel Language(std::string_view key) {
    return {KeyLabel::Kind::LanguageKey, std::string(key)};
}

KeyLabel Unknown() {
    return Language(kUnknownFunctionLabel);
}

KeyLabel FromList(KeyValueList list, std::optional<std::size_t> index) {
    return index ? Language(Values(list)[*index].label) : Unknown();
}

KeyLabel KeyboardLabel(const KeyFunction& code) {
    // A shortcut's own name wins over a key's.
    if (const auto shortcut = FindValue(KeyValueList::Shortcuts, code)) {
        return Language(Values(KeyValueList::Shortcuts)[*shortcut].label);
    }
    if (const auto row = KeyNameTable::FindKeyboardCode(code)) {
        return Language(KeyNameTable::Rows()[*row].LanguageKey());
    }
    return Unknown();
}

KeyLabel MacroLabel(const KeyFunction& code, const MacroNameLookup& macroNames) {
    std::optional<std::string> name = macroNames ? macroNames(code.p1) : std::nullopt;
    if (!name) {
        return {};
    }
    return {KeyLabel::Kind::PlainText, std::move(*name)};
}

}  // namespace

KeyLabel LabelOf(const KeyFunction& code, const MacroNameLookup& macroNames) {
    if (code.type == 0x00) {
        return KeyboardLabel(code);
    }
    if (code.type == kMultimediaAlikeType) {
        return FromList(KeyValueList::Multimedia, FindValue(KeyValueList::Multimedia, code));
    }
    if (std::ranges::find(kUneditedTypes, code.type) != kUneditedTypes.end()) {
        return {};
    }
    switch (static_cast<T>(code.type)) {
        case T::MouseButton:
            return FromList(KeyValueList::MouseButtons,
                            FindValueByFirstParameter(KeyValueList::MouseButtons, code.p1));
        case T::HorizontalSwing:
            return Language((code.p2 & kSwingRightOrDown) != 0 ? "mouse_key_right_Swing"
                                                               : "mouse_key_left_Swing");
        case T::VerticalSwing:
            return Language((code.p2 & kSwingRightOrDown) != 0 ? "mouse_key_down_Swing"
                                                               : "mouse_key_up_Swing");
        case T::Dpi:
            return FromList(KeyValueList::Dpi,
                            FindValueByFirstParameter(KeyValueList::Dpi, code.p1));
        case T::FireKey:
            return Language(kFireKeyLabel);
        case T::KeyboardKey:
            return KeyboardLabel(code);
        case T::Multimedia:
            return FromList(KeyValueList::Multimedia, FindValue(KeyValueList::Multimedia, code));
        case T::SystemControl:
            return FromList(KeyValueList::System,
                            FindValueByFirstParameter(KeyValueList::System, code.p1));
        case T::Macro:
        case T::MacroCounted:
            return MacroLabel(code, macroNames);
        case T::CursorScript:
            return FromList(KeyValueList::CursorScripts,
                            FindValueByFirstParameter(KeyValueList::CursorScripts, code.p1));
        case T::DeviceFunction:
            return FromList(KeyValueList::DeviceFunctions,
                            FindValueByFirstParameter(KeyValueList::DeviceFunctions, code.p1));
    }
    return Unknown();
}

}  // namespace varlok::keys
