#pragma once

// The keys that run macros, as a macro's deletion sees them: a macro's index
// is the p1 byte of the key codes (types 0x70 and 0x71) that run it, so
// deleting a macro moves every later macro, and the keys that run it, down
// by one.

#include <cstddef>

#include "settings/mousemirror.h"

namespace varlok::keys {

// Whether a mouse key of any of the five key slots runs macro `index`.
[[nodiscard]] bool KeysRunMacro(const settings::MouseMirror& mirror, std::size_t index);

// The key references after macro `index` was deleted, in every slot: keys
// that ran it get their factory entry back, keys that ran a later macro run
// the same macro at its new index. True when any key changed.
bool ShiftMacroReferences(settings::MouseMirror& mirror, std::size_t index);

}  // namespace varlok::keys
