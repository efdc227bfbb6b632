#pragma once

#include <functional>
#include <string_view>

#include "keys/macroaction.h"
#include "keys/macrostore.h"
#include "keys/openmacro.h"
#include "settings/mousemodel.h"
#include "ui/controlui.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The action list of the macro section: one row per action of the open
// macro (its stored text as user data, and labels for the action, its
// direction or distance and its pause), the chosen row, moving and deleting
// actions, and saving or discarding the changes through the MacroStore (a
// save is recorded in the model: the macro table changed).
//
// Thread affinity: the UI thread.
class MacroActionList {
public:
    // Every reference must outlive the list. closeEditor turns the action
    // editor to its empty page (after a deletion, a save or a cancel).
    MacroActionList(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroStore& store,
                    settings::MouseModel& model, ui::DialogService& dialogs,
                    std::function<void()> closeEditor);

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

    // The rows anew from the open macro's actions; no row chosen.
    void Rebuild();
    // The chosen row, or -1.
    [[nodiscard]] int Selected() const;
    // Changes the chosen action and shows its row again; nothing without one.
    void ChangeSelected(const std::function<void(MacroAction&)>& change);
    // Inserts in front of the chosen action (in front of the first without
    // one), which stays chosen; nothing without an open macro.
    void Insert(MacroAction action);

private:
    void FillRow(ui::CControlUI& row, const MacroAction& action);
    void Select(int index);
    void MoveSelected(int target);
    void DeleteSelected();
    void DeleteAll();
    void Save();
    void Cancel();

    ui::CPaintManagerUI& m_controls;
    OpenMacro& m_macro;
    MacroStore& m_store;
    settings::MouseModel& m_model;
    ui::DialogService& m_dialogs;
    std::function<void()> m_closeEditor;
};

}  // namespace varlok::keys
