#pragma once

#include <string_view>

#include "sim/virtualmouse.h"
#include "ui/menuwnd.h"

namespace varlok::app {

// The menu items a run with the virtual mouse (--simulate) adds: unplug or
// plug it, and press its device events and buttons. Their texts come from
// the language file, in English where it has none. UI thread only.

// Adds the items for the mouse's present state to menu.
void AddSimulationItems(ui::CMenuWnd& menu, const sim::VirtualMouse& mouse);
// Carries out the item called name on mouse; false when name is none of
// them.
[[nodiscard]] bool RunSimulationItem(std::string_view name, sim::VirtualMouse& mouse);

}  // namespace varlok::app
