#include "keys/macroreferences.h"

#include "keys/keyfunction.h"

namespace varlok::keys {

namespace {

bool RunsMacro(const KeyFunction& key) {
    return key.Is(KeyFunctionType::Macro) || key.Is(KeyFunctionType::MacroCounted);
}

}  // namespace

// All seven mouse keys count: a key the deletion left alone would run the
// wrong macro, or none.
bool KeysRunMacro(const settings::MouseMirror& mirror, std::size_t index) {
    for (const settings::KeySlot& slot : mirror.keySlots) {
        for (std::size_t key = 0; key < kMouseKeyCount; ++key) {
            const KeyFunction code = KeyEntry(slot, key);
            if (RunsMacro(code) && code.p1 == index) {
                return true;
            }
        }
    }
    return false;
}

bool ShiftMacroReferences(settings::MouseMirror& mirror, std::size_t index) {
    bool changed = false;
    for (settings::KeySlot& slot : mirror.keySlots) {
        for (std::size_t key = 0; key < kMouseKeyCount; ++key) {
            KeyFunction code = KeyEntry(slot, key);
            if (!RunsMacro(code) || code.p1 < index) {
                continue;
            }
            if (code.p1 == index) {
                code = KeyEntry(mirror.factoryKeyMap, key);
            } else {
                --code.p1;
            }
            SetKeyEntry(slot, key, code);
            changed = true;
        }
    }
    return changed;
}

}  // namespace varlok::keys
