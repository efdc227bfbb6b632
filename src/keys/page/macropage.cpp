#include "keys/page/macropage.h"

#include <span>
#include <string_view>

#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"

namespace varlok::keys {

MacroPage::MacroPage(const settings::PageContext& context)
    : m_controls(context.controls),
      m_actions(m_controls, m_macro, *context.macros, context.model, context.dialogs,
                [this] { m_editor.ShowPage(MacroControls::kNoEditor); }),
      m_editor(m_controls, m_macro, m_actions),
      m_inserts(m_controls, m_actions),
      m_recording(
          m_controls, m_macro, m_actions, *context.deviceHook, context.dialogs,
          [this] { m_editor.ShowPage(MacroControls::kNoEditor); }, context.macroRecorderTicks),
      m_names(m_controls, m_macro, *context.macros, context.model, context.dialogs,
              [this] { MacroOpened(); }) {}

void MacroPage::RegisterRoutes(ui::RouteTable& routes) {
    m_names.RegisterRoutes(routes, kOwner);
    m_recording.RegisterRoutes(routes, kOwner);
    m_actions.RegisterRoutes(routes, kOwner);
    m_editor.RegisterRoutes(routes, kOwner);
    m_inserts.RegisterRoutes(routes, kOwner);
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { Prepare(); });
}

void MacroPage::Prepare() {
    m_editor.FillCombos();
    m_recording.Prepare();
    ShowUnsavedEdits(m_macro.HasUnsavedEdits());
    m_names.ShowList();
}

void MacroPage::ShowUnsavedEdits(bool unsaved) {
    if (auto* list = m_controls.FindControl(MacroControls::kNameList)) {
        list->SetMouseEnabled(!unsaved);
        list->SetKeyboardEnabled(!unsaved);
    }
    SetControlVisible(m_controls, MacroControls::kSaveBar, unsaved);
}

void MacroPage::MacroOpened() {
    m_actions.Rebuild();
    m_editor.ShowPage(MacroControls::kNoEditor);
    const bool open = m_macro.IsOpen();
    for (const auto& group : {std::span<const std::string_view>(MacroControls::kEditingButtons),
                              std::span<const std::string_view>(MacroControls::kNeedAnOpenMacro)}) {
        for (const std::string_view control : group) {
            SetControlEnabled(m_controls, control, open);
        }
    }
}

}  // namespace varlok::keys
