#include "keys/page/macroactionlist.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/macrorecorder.h"
#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"
#include "ui/containerui.h"
#include "ui/labelui.h"
#include "ui/listcontainerelementui.h"
#include "ui/listui.h"

namespace varlok::keys {

namespace {

using Routed = std::optional<int>;

constexpr int kActionRowHeight = 30;
constexpr std::string_view kMouseLabelStyle = "macro_label_mouse_style";
constexpr std::string_view kKeyboardLabelStyle = "macro_label_keyboard_style";
constexpr std::string_view kTextLabelStyle = "macro_label_text_style";
constexpr std::string_view kDownLabelStyle = "macro_label_down_style";
constexpr std::string_view kUpLabelStyle = "macro_label_up_style";

}  // namespace

MacroActionList::MacroActionList(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroStore& store,
                                 settings::MouseModel& model, ui::DialogService& dialogs,
                                 std::function<void()> closeEditor)
    : m_controls(controls),
      m_macro(macro),
      m_store(store),
      m_model(model),
      m_dialogs(dialogs),
      m_closeEditor(std::move(closeEditor)) {}

void MacroActionList::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    using C = MacroControls;
    const std::array<std::pair<std::string_view, std::function<int()>>, 4> moves{{
        {C::kUpButton, [this] { return Selected() - 1; }},
        {C::kDownButton, [this] { return Selected() + 1; }},
        {C::kTopButton, [] { return 0; }},
        {C::kBottomButton, [this] { return static_cast<int>(m_macro.Actions().size()) - 1; }},
    }};
    for (const auto& move : moves) {
        routes.OnClick(
            owner, move.first, ui::NameMatch::Exact,
            [this, target = move.second](ui::TNotifyUI&, Routed) { MoveSelected(target()); });
    }
    const std::array<std::pair<std::string_view, void (MacroActionList::*)()>, 4> buttons{{
        {C::kDeleteButton, &MacroActionList::DeleteSelected},
        {C::kDeleteAllButton, &MacroActionList::DeleteAll},
        {C::kSaveButton, &MacroActionList::Save},
        {C::kCancelButton, &MacroActionList::Cancel},
    }};
    RouteClicks(routes, owner, *this, buttons);
}

void MacroActionList::Rebuild() {
    auto* list = m_controls.FindControl<ui::CListUI>(MacroControls::kActionList);
    if (list == nullptr) {
        return;
    }
    list->RemoveAll();
    for (const MacroAction& action : m_macro.Actions()) {
        auto row = std::make_unique<ui::CListContainerElementUI>();
        row->SetName(MacroControls::kActionRow);
        row->SetFixedHeight(kActionRowHeight);
        FillRow(*list->Add(std::move(row)), action);
    }
}

void MacroActionList::FillRow(ui::CControlUI& row, const MacroAction& action) {
    auto* container = dynamic_cast<ui::CContainerUI*>(&row);
    if (container == nullptr) {
        return;
    }
    row.SetUserData(FormatMacroAction(action));
    container->RemoveAll();
    const auto add = [&](std::string_view style, const std::string& text, bool languageKey) {
        auto label = std::make_unique<ui::CLabelUI>();
        label->SetMouseEnabled(false);
        label->ApplyAttributeList(m_controls.GetStyle(style));
        label->SetResourceText(languageKey);
        label->SetText(text);
        container->Add(std::move(label));
    };
    add(IsMouseAction(action) ? kMouseLabelStyle : kKeyboardLabelStyle, action.label, true);
    if (IsMoveAction(action)) {
        add(kTextLabelStyle, std::to_string(action.value), false);
    } else {
        add(action.downFlag != 0 ? kDownLabelStyle : kUpLabelStyle, std::string(), false);
    }
    add(kTextLabelStyle, std::to_string(action.PauseMs()), false);
}

int MacroActionList::Selected() const {
    const auto* list = m_controls.FindControl<ui::CListUI>(MacroControls::kActionList);
    return list != nullptr ? list->GetCurSel() : -1;
}

void MacroActionList::Select(int index) {
    if (auto* list = m_controls.FindControl<ui::CListUI>(MacroControls::kActionList)) {
        list->SelectItem(index, false, false);
    }
}

void MacroActionList::ChangeSelected(const std::function<void(MacroAction&)>& change) {
    const int selected = Selected();
    if (selected < 0 || selected >= static_cast<int>(m_macro.Actions().size())) {
        return;
    }
    MacroAction& action = m_macro.EditActions()[static_cast<std::size_t>(selected)];
    change(action);
    if (auto* list = m_controls.FindControl<ui::CListUI>(MacroControls::kActionList)) {
        if (ui::CControlUI* row = list->GetItemAt(selected)) {
            FillRow(*row, action);
        }
    }
}

void MacroActionList::Insert(MacroAction action) {
    if (!m_macro.IsOpen()) {
        return;
    }
    const int selected = Selected();
    std::vector<MacroAction>& actions = m_macro.EditActions();
    actions.insert(actions.begin() + std::max(selected, 0), std::move(action));
    Rebuild();
    if (selected >= 0) {
        Select(selected + 1);
    }
}

void MacroActionList::MoveSelected(int target) {
    const int selected = Selected();
    const int count = static_cast<int>(m_macro.Actions().size());
    if (selected < 0 || target < 0 || target >= count || target == selected) {
        return;
    }
    std::vector<MacroAction>& actions = m_macro.EditActions();
    MacroAction moved = std::move(actions[static_cast<std::size_t>(selected)]);
    actions.erase(actions.begin() + selected);
    actions.insert(actions.begin() + target, std::move(moved));
    Rebuild();
    Select(target);
}

void MacroActionList::DeleteSelected() {
    const int selected = Selected();
    if (selected < 0 || selected >= static_cast<int>(m_macro.Actions().size())) {
        return;
    }
    std::vector<MacroAction>& actions = m_macro.EditActions();
    actions.erase(actions.begin() + selected);
    Rebuild();
    m_closeEditor();
}

void MacroActionList::DeleteAll() {
    if (!m_macro.IsOpen()) {
        return;
    }
    m_macro.EditActions().clear();
    Rebuild();
    m_closeEditor();
}

void MacroActionList::Save() {
    if (!m_macro.IsOpen()) {
        return;
    }
    const MacroStoreResult result = m_store.SaveMacroActions(m_macro.Index(), m_macro.Actions());
    if (result.message) {
        ShowStoreMessage(m_dialogs, *result.message);
    }
    if (result.status == MacroStoreStatus::Done) {
        m_macro.SetUnsavedEdits(false);
        m_model.NoteChange(settings::Touch::MacroTable, settings::MouseChange::None);
        m_closeEditor();
    }
}

void MacroActionList::Cancel() {
    const int index = m_macro.Index();
    m_macro.Open(index, index >= 0 ? m_store.LoadMacroActions(index) : std::vector<MacroAction>{});
    Rebuild();
    m_closeEditor();
}

}  // namespace varlok::keys
