#include "keys/keyassignment.h"

#include "keys/keynametable.h"

namespace varlok::keys {

std::optional<std::size_t> KeyAssignment::ActiveSlotIndex() const {
    const std::size_t active = m_mirror.settingsRecord.ActiveProfile();
    if (active >= settings::kOnboardProfileCount) {
        return std::nullopt;
    }
    return active;
}

std::optional<KeyFunction> KeyAssignment::Entry(std::size_t key) const {
    const auto slot = ActiveSlotIndex();
    if (!slot || key >= kKeyEntryCount) {
        return std::nullopt;
    }
    return KeyEntry(m_mirror.keySlots[*slot], key);
}

KeyFunction KeyAssignment::FactoryEntry(std::size_t key) const {
    return key < kKeyEntryCount ? KeyEntry(m_mirror.factoryKeyMap, key) : KeyFunction{};
}

bool KeyAssignment::IsDefault(std::size_t key) const {
    return Entry(key) == FactoryEntry(key);
}

bool KeyAssignment::SetEntry(std::size_t key, const KeyFunction& code) {
    const auto slot = ActiveSlotIndex();
    if (!slot || key >= kKeyEntryCount) {
        return false;
    }
    SetKeyEntry(m_mirror.keySlots[*slot], key, code);
    return true;
}

std::optional<KeyFunction> KeyAssignment::ApplyKeyFunction(std::size_t key,
                                                           const KeyFunctionEditor& editor) {
    const std::optional<KeyFunction> code = EncodeKeyFunction(editor, FactoryEntry(key));
    if (!code || !SetEntry(key, *code)) {
        return std::nullopt;
    }
    return code;
}

bool KeyAssignment::CaptureKeyboardKey(std::size_t key, std::uint16_t virtualKey,
                                       std::uint32_t flags, KeyFunctionEditor& editor) {
    const std::optional<std::size_t> row = KeyNameTable::FindCapturedKey(virtualKey, flags);
    if (!row) {
        return false;
    }
    editor.keyboardKey = KeyNameTable::Rows()[*row].function;
    static_cast<void>(ApplyKeyFunction(key, editor));
    return true;
}

bool KeyAssignment::ResetKeyToDefault(std::size_t key) {
    return key < kKeyEntryCount && SetEntry(key, FactoryEntry(key));
}

KeyAssignment::ShowResult KeyAssignment::ShowKeyFunction(std::size_t key, std::size_t macroCount,
                                                         KeyFunctionEditor& editor) const {
    const std::optional<KeyFunction> code = Entry(key);
    if (!code) {
        return ShowResult::NoActiveSlot;
    }
    if (IsOnlyLeftButton(key)) {
        return ShowResult::OnlyLeftButton;
    }
    // The keyboard-key category writes a key captured for this key, never
    // one captured for the key shown before: until the capture takes one,
    // it holds the key's own code where that is a keyboard key, else none.
    const bool keyboardKey =
        code->Is(KeyFunctionType::KeyboardKey) && KeyNameTable::FindKeyboardCode(*code);
    editor.keyboardKey = keyboardKey ? code : std::nullopt;
    DecodeKeyFunction(*code, FactoryEntry(key), macroCount, editor);
    return ShowResult::Shown;
}

bool KeyAssignment::IsOnlyLeftButton(std::size_t key) const {
    if (Entry(key) != kLeftButton) {
        return false;
    }
    for (std::size_t other = 0; other < kLeftButtonRuleEntries; ++other) {
        if (other != key && Entry(other) == kLeftButton) {
            return false;
        }
    }
    return true;
}

}  // namespace varlok::keys
