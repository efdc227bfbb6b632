#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "keys/keyfunction.h"
#include "keys/keyfunctioneditor.h"
#include "settings/mousemirror.h"

namespace varlok::keys {

// The buttons' functions as the key page edits them: entries of the key slot
// of the active onboard profile (byte 0 of the settings record), judged
// against the factory key map. Writes only the host's slot; the device gets
// it when the user sends it.
//
// Thread affinity: the UI thread, like the mirror's key tables.
class KeyAssignment {
public:
    // mirror must outlive this object.
    explicit KeyAssignment(settings::MouseMirror& mirror) : m_mirror(mirror) {}

    // The active onboard profile's slot index; std::nullopt while the record
    // names a profile above 4, which has no slot (nothing is then edited).
    [[nodiscard]] std::optional<std::size_t> ActiveSlotIndex() const;

    [[nodiscard]] std::optional<KeyFunction> Entry(std::size_t key) const;
    [[nodiscard]] KeyFunction FactoryEntry(std::size_t key) const;
    // A key whose code equals its factory entry shows as "default".
    [[nodiscard]] bool IsDefault(std::size_t key) const;

    // Entry `key` of the active slot becomes `code`. False when there is no
    // active slot or the key is beyond the table.
    [[nodiscard]] bool SetEntry(std::size_t key, const KeyFunction& code);
    // ApplyKeyFunction: the code the editor builds for the key (its factory
    // entry for "default") into the active slot; the code written, or
    // std::nullopt when the editor builds none and nothing was written.
    std::optional<KeyFunction> ApplyKeyFunction(std::size_t key, const KeyFunctionEditor& editor);
    // CaptureKeyboardKey: a key pressed on the PC (virtual-key code and the
    // capture's flags) becomes the editor's keyboard key, and the editor is
    // applied to the key. False, and nothing changes, for a key without a
    // keyboard-key row.
    bool CaptureKeyboardKey(std::size_t key, std::uint16_t virtualKey, std::uint32_t flags,
                            KeyFunctionEditor& editor);
    // ResetKeyToDefault: the factory entry into the active slot.
    [[nodiscard]] bool ResetKeyToDefault(std::size_t key);

    enum class ShowResult {
        Shown,           // the editor holds the key's function
        OnlyLeftButton,  // the key may not be edited; the editor is unchanged
        NoActiveSlot,    // the record names no onboard profile
    };
    // ShowKeyFunction: the left-button rule, then the key's code into the
    // editor (macroCount: the entries of the device's macro list). The
    // editor's keyboard key becomes the key's own code when that is a
    // keyboard key, else none, whatever the key shown before held.
    ShowResult ShowKeyFunction(std::size_t key, std::size_t macroCount,
                               KeyFunctionEditor& editor) const;

    // The left-button rule: true when entry `key` is the left button and no
    // other entry among the first nine of the active slot is; that key must
    // not be reassigned, or the mouse would lose its left button.
    [[nodiscard]] bool IsOnlyLeftButton(std::size_t key) const;

private:
    settings::MouseMirror& m_mirror;
};

}  // namespace varlok::keys
