#include "keys/page/macropage.h"

#include <span>
#include <string_view>
#include <utility>

#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"

namespace varlok::keys {

MacroPage::MacroPage(ui::CPaintManagerUI& controls, MacroStore& store,
                     settings::MouseMirror& mirror, CDeviceHook& hook, ui::DialogService& dialogs,
                     MacroRecorder::TickSource ticks)
    : m_controls(controls),
      m_actions(controls, m_macro, store, dialogs,
                [this] { m_editor.ShowPage(MacroControls::kNoEditor); }),
      m_editor(controls, m_macro, m_actions),
      m_inserts(controls, m_actions),
      m_recording(
          controls, m_macro, m_actions, hook, dialogs,
          [this] { m_editor.ShowPage(MacroControls::kNoEditor); }, std::move(ticks)),
      m_names(controls, m_macro, store, mirror, dialogs,
              {[this] { MacroOpened(); }, [this] { MacroListChanged(); }}) {}

void MacroPage::RegisterRoutes(ui::RouteTable& routes) {
    m_routes = &routes;
    m_names.RegisterRoutes(routes, kOwner);
    m_recording.RegisterRoutes(routes, kOwner);
    m_actions.RegisterRoutes(routes, kOwner);
    m_editor.RegisterRoutes(routes, kOwner);
    m_inserts.RegisterRoutes(routes, kOwner);
    routes.OnSignal(kOwner, ui::PageSignal::FillPageData, [this] { Prepare(); });
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

void MacroPage::MacroListChanged() {
    if (onMacroListChanged) {
        onMacroListChanged();
    }
    // Macro keys are labelled with their macro's name, and deleting a macro
    // moves the keys that ran later ones.
    if (m_routes != nullptr) {
        m_routes->Raise(ui::PageSignal::RefreshKeyPage);
    }
}

}  // namespace varlok::keys
