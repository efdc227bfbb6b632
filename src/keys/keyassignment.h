#pragma once

#include <cstddef>
#include <optional>

#include "keys/keyfunction.h"
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

    // ApplyKeyFunction's write: the code into entry `key` of the active slot.
    // False when there is no active slot or the key is beyond the table.
    [[nodiscard]] bool Apply(std::size_t key, const KeyFunction& code);
    // ResetKeyToDefault: the factory entry into the active slot.
    [[nodiscard]] bool ResetToDefault(std::size_t key);

    // The left-button rule: true when entry `key` is the left button and no
    // other entry among the first nine of the active slot is; that key must
    // not be reassigned, or the mouse would lose its left button.
    [[nodiscard]] bool IsOnlyLeftButton(std::size_t key) const;

private:
    settings::MouseMirror& m_mirror;
};

}  // namespace varlok::keys
