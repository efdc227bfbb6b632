#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "keys/macroaction.h"

namespace varlok::keys {

// The macro open in the macro section: which one (its index in the macro
// list), its actions as the user edits them, and whether they hold edits
// that are not saved yet. Opening a macro, saving and cancelling end the
// unsaved edits; every change of the actions, choosing an action for the
// editor and starting a recording begin them. Only an open macro has
// unsaved edits.
//
// Thread affinity: one thread (the UI thread).
class OpenMacro {
public:
    // Called after HasUnsavedEdits changed, with its new value.
    using UnsavedObserver = std::function<void(bool unsaved)>;

    explicit OpenMacro(UnsavedObserver observer = {}) : m_observer(std::move(observer)) {}

    // Macro index with its actions as stored (index below 0: none); no
    // unsaved edits.
    void Open(int index, std::vector<MacroAction> actions);
    // The open macro's index, or -1.
    [[nodiscard]] int Index() const { return m_index; }
    [[nodiscard]] bool IsOpen() const { return m_index >= 0; }
    [[nodiscard]] const std::vector<MacroAction>& Actions() const { return m_actions; }

    [[nodiscard]] bool HasUnsavedEdits() const { return m_unsaved; }
    // True begins unsaved edits (of an open macro only), false ends them
    // (the actions were saved).
    void SetUnsavedEdits(bool unsaved);
    // The actions for a change, which begins unsaved edits.
    [[nodiscard]] std::vector<MacroAction>& EditActions();

private:
    UnsavedObserver m_observer;
    int m_index = -1;
    std::vector<MacroAction> m_actions;
    bool m_unsaved = false;
};

}  // namespace varlok::keys
