#include "keys/openmacro.h"

namespace varlok::keys {

void OpenMacro::Open(int index, std::vector<MacroAction> actions) {
    m_index = index >= 0 ? index : -1;
    m_actions = m_index >= 0 ? std::move(actions) : std::vector<MacroAction>{};
    SetUnsavedEdits(false);
}

void OpenMacro::SetUnsavedEdits(bool unsaved) {
    const bool now = unsaved && IsOpen();
    if (now == m_unsaved) {
        return;
    }
    m_unsaved = now;
    if (m_observer) {
        m_observer(now);
    }
}

std::vector<MacroAction>& OpenMacro::EditActions() {
    SetUnsavedEdits(true);
    return m_actions;
}

}  // namespace varlok::keys
