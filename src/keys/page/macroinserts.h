#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "keys/page/macroactionlist.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The mouse-action inserts of the macro section: the option that swaps the
// name panel for the insert panel, one panel per mouse button with its down
// and up inserts, and the four pointer moves of a typed distance. An
// inserted action pauses 50 ms and goes in front of the chosen action.
//
// Thread affinity: the UI thread.
class MacroInserts {
public:
    // Every reference must outlive the inserts.
    MacroInserts(ui::CPaintManagerUI& controls, MacroActionList& list)
        : m_controls(controls), m_list(list) {}

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

private:
    void Insert(std::size_t row, std::uint8_t distance = 0);
    // Shows the panel of button `button` alone.
    void ShowPanel(std::size_t button);

    ui::CPaintManagerUI& m_controls;
    MacroActionList& m_list;
    // Set while a limited distance is written back into its edit.
    bool m_writing = false;
};

}  // namespace varlok::keys
