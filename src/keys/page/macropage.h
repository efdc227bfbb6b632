#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "keys/macroaction.h"
#include "keys/macrorecorder.h"
#include "keys/macrostore.h"
#include "keys/openmacro.h"
#include "keys/page/devicehook.h"
#include "keys/page/macroactioneditor.h"
#include "keys/page/macroactionlist.h"
#include "keys/page/macroinserts.h"
#include "keys/page/macronamelist.h"
#include "keys/page/macrorecording.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The macro section of the mouse page, composed of its parts: the name list
// (MacroNameList), the action list (MacroActionList) with its editors
// (MacroActionEditor) and inserts (MacroInserts), and recording
// (MacroRecording), which share the open macro (OpenMacro). The section
// keeps the save/cancel bar and the name list's reach in step with the open
// macro's unsaved edits. Changes of the macro list reach the other pages
// through the model.
//
// Thread affinity: the UI thread.
class MacroPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "macro page";

    // Needs context.macros and context.deviceHook; the recorder's clock is
    // context.macroRecorderTicks.
    explicit MacroPage(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // LoadMacroList: the editor's combos filled, the names into the name
    // list, the last macro opened.
    void Prepare();

    // Whether the open macro's actions hold edits not saved yet; while they
    // do, the section may not be left.
    [[nodiscard]] bool HasUnsavedEdits() const override { return m_macro.HasUnsavedEdits(); }
    [[nodiscard]] bool IsRecording() const { return m_recording.IsRecording(); }
    // The open macro's index, or -1.
    [[nodiscard]] int CurrentMacro() const { return m_macro.Index(); }
    [[nodiscard]] const std::vector<MacroAction>& Actions() const { return m_macro.Actions(); }

private:
    // The save/cancel bar shown and the name list out of reach while there
    // are unsaved edits, the reverse without.
    void ShowUnsavedEdits(bool unsaved);
    // After a macro was opened: its rows, no action in the editor, and the
    // editing controls within reach when there is a macro.
    void MacroOpened();

    ui::CPaintManagerUI& m_controls;
    OpenMacro m_macro{[this](bool unsaved) { ShowUnsavedEdits(unsaved); }};
    MacroActionList m_actions;
    MacroActionEditor m_editor;
    MacroInserts m_inserts;
    // After the device hook: a recording still running removes its capture.
    MacroRecording m_recording;
    MacroNameList m_names;
};

}  // namespace varlok::keys
