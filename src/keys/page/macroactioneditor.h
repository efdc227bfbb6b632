#pragma once

#include <functional>
#include <string_view>

#include "keys/macroaction.h"
#include "keys/openmacro.h"
#include "keys/page/macroactionlist.h"
#include "keys/page/macrocontrols.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The macro section's editors of one action: choosing a row opens the
// keyboard editor (key, up or down, pause) or the mouse editor (event,
// distance of a move, pause) on it, and each change there rewrites the
// chosen action through the action list.
//
// Thread affinity: the UI thread.
class MacroActionEditor {
public:
    // Every reference must outlive the editor.
    MacroActionEditor(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroActionList& list)
        : m_controls(controls), m_macro(macro), m_list(list) {}

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

    // The key, up/down and mouse event combos' items.
    void FillCombos();
    // Turns the editor tab to page.
    void ShowPage(MacroControls::EditorPage page);

private:
    // Choosing a row begins unsaved edits and shows its action.
    void OnActionClick(int index);
    void OnKeySelect(int row);
    void OnUpDown(int down);
    void OnMouseSelect(int row);
    void OnPauseEdit(std::string_view edit);
    void OnDistanceEdit();
    // The edit's number limited to max; a limited value is written back.
    int ReadEdit(std::string_view edit, int max);

    ui::CPaintManagerUI& m_controls;
    OpenMacro& m_macro;
    MacroActionList& m_list;
    // Set while the editor fills its controls, so that their own
    // notifications change nothing.
    bool m_filling = false;
};

}  // namespace varlok::keys
