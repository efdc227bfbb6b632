#pragma once

#include <functional>
#include <string_view>

#include "keys/macrostore.h"
#include "keys/openmacro.h"
#include "settings/mousemodel.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The macro names of the macro section: the list, choosing the macro to
// open, and adding, deleting, renaming, importing and exporting macros
// through the MacroStore. None of these happens while the open macro has
// unsaved edits (except a rename, which saves them). Deleting a macro that
// keys run moves those keys in every key slot. Changes of the list and of
// the key slots are told through the model.
//
// Thread affinity: the UI thread.
class MacroNameList {
public:
    // Every reference must outlive the name list. opened is called after a
    // macro was opened (or none, when the list is empty).
    MacroNameList(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroStore& store,
                  settings::MouseModel& model, ui::DialogService& dialogs,
                  std::function<void()> opened);

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

    // The names from the store into the list, the last one opened.
    void ShowList();

private:
    void Fill(int select);
    // Opens macro index (-1: none); refused while there are unsaved edits.
    void Choose(int index);
    void Add();
    void Delete();
    void Rename();
    void Import();
    void Export();
    void AfterNewMacro(const MacroStoreResult& result);
    // Shows the unsaved-edits message and returns true while there are some.
    bool RefusedForUnsavedEdits();

    ui::CPaintManagerUI& m_controls;
    OpenMacro& m_macro;
    MacroStore& m_store;
    settings::MouseModel& m_model;
    ui::DialogService& m_dialogs;
    std::function<void()> m_opened;
    // Set while the list fills its controls, so that their own
    // notifications change nothing.
    bool m_filling = false;
    bool m_renaming = false;
};

}  // namespace varlok::keys
