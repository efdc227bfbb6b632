#include "app/sectionnavigator.h"

#include <array>
#include <string>

#include "app/mainwindowroutes.h"
#include "app/mousepages.h"
#include "app/msgwnd.h"
#include "keys/page/pagecontrols.h"
#include "settings/page/pagecontext.h"
#include "ui/optionui.h"
#include "ui/tablayoutui.h"

namespace varlok::app {

namespace {

constexpr std::string_view kUnsavedEditsNotice = "message_text_3";
constexpr std::string_view kMacroSectionPrefix = "ms_macro_";
// The options that bring the macro page back to the front, in this order.
constexpr std::array<std::string_view, 2> kMacroPageOptions{"ms_macro_Op_tab", "ms_tab"};

}  // namespace

bool SectionNavigator::OnSelectChanged(const ui::TNotifyUI& msg) {
    const std::string_view sender =
        msg.pSender != nullptr ? std::string_view(msg.pSender->GetName()) : std::string_view();
    auto& manager = m_window.GetPaintManager();
    const auto page = FindPageRoute(sender);
    // The macro section's own options (recording options, the insert panel)
    // edit within the section; they neither leave it nor end a recording.
    if (sender.starts_with(kMacroSectionPrefix) && !page) {
        return true;
    }
    // Unsaved macro edits keep the macro page in front: choosing another
    // section or device page is taken back, while the selections that take
    // it back there pass. Other options and check boxes leave no section;
    // the program changes them too (a program switch unticks a link check
    // box), which must never raise the notice.
    if (!m_restoringMacroTab && page && msg.wParam != 0 && m_pages.HasUnsavedEdits() &&
        sender != kMacroPageOptions[0] && sender != kMacroPageOptions[1]) {
        m_restoringMacroTab = true;
        for (const std::string_view option : kMacroPageOptions) {
            if (auto* control = manager.FindControl<ui::COptionUI>(option)) {
                control->Selected(true, true);
            }
        }
        m_restoringMacroTab = false;
        ShowMessageBox(&m_window, {}, kUnsavedEditsNotice);
        return false;
    }
    m_routes.Raise(settings::PageSignal::kStopRecording);
    // Only a selection switches pages; the options of a group that lose
    // their selection report it too.
    if (!page || msg.wParam == 0) {
        return true;
    }
    auto* tabs = manager.FindControl<ui::CTabLayoutUI>(page->tabLayout);
    if (tabs == nullptr) {
        return true;
    }
    if (sender == "ms_key_Op_tab" && tabs->GetCurSel() != page->page) {
        keys::SetControlVisible(manager, "ms_tab_function", true);
    }
    tabs->SelectItem(page->page);
    return true;
}

void SectionNavigator::ShowMouseTab() {
    auto* tab = m_window.GetPaintManager().FindControl<ui::COptionUI>("ms_tab");
    if (tab == nullptr) {
        return;
    }
    tab->SetVisible(true);
    if (tab->IsSelected()) {
        // Selecting an option that already is raises nothing, yet the
        // connection must show the mouse page.
        ui::TNotifyUI select{std::string(ui::msgtype::kSelectChanged), tab, 1, 0};
        m_window.Notify(select);
    } else {
        tab->Selected(true, true);
    }
}

void SectionNavigator::ShowFunctionPage(std::string_view name) {
    const auto page = FindFunctionPage(name);
    ui::CControlUI* control = page ? m_window.GetPaintManager().FindControl(page->tab) : nullptr;
    if (auto* tab = dynamic_cast<ui::COptionUI*>(control)) {
        tab->Selected(true, true);
    } else if (control != nullptr) {
        // A button that shows its panel, as a click would.
        ui::TNotifyUI click{std::string(ui::msgtype::kClick), control, 0, 0};
        m_window.Notify(click);
    }
}

}  // namespace varlok::app
