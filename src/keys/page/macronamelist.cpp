#include "keys/page/macronamelist.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "keys/macroreferences.h"
#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"
#include "ui/filedialog.h"
#include "ui/listlabelelementui.h"
#include "ui/listui.h"

namespace varlok::keys {

namespace {

using C = MacroControls;
using Routed = std::optional<int>;

constexpr int kNameItemHeight = 25;
constexpr std::string_view kNameItemStyle = "listex_item_style";

}  // namespace

MacroNameList::MacroNameList(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroStore& store,
                             settings::MouseModel& model, ui::DialogService& dialogs,
                             std::function<void()> opened)
    : m_controls(controls),
      m_macro(macro),
      m_store(store),
      m_model(model),
      m_dialogs(dialogs),
      m_opened(std::move(opened)) {}

void MacroNameList::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    routes.OnNotify(owner, ui::msgtype::kItemSelect, C::kNameList, ui::NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        if (!m_filling) {
                            Choose(static_cast<int>(msg.wParam));
                        }
                    });
    routes.OnNotify(owner, ui::msgtype::kKillFocus, C::kNameEdit, ui::NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) { Rename(); });
    const std::array<std::pair<std::string_view, void (MacroNameList::*)()>, 5> buttons{{
        {C::kSaveNameButton, &MacroNameList::Rename},
        {C::kAddButton, &MacroNameList::Add},
        {C::kDeleteMacroButton, &MacroNameList::Delete},
        {C::kImportButton, &MacroNameList::Import},
        {C::kExportButton, &MacroNameList::Export},
    }};
    RouteClicks(routes, owner, *this, buttons);
}

void MacroNameList::ShowList() {
    const int count = static_cast<int>(m_store.LoadMacroList().size());
    Fill(count - 1);
    Choose(count - 1);
}

void MacroNameList::Fill(int select) {
    auto* list = m_controls.FindControl<ui::CListUI>(C::kNameList);
    if (list == nullptr) {
        return;
    }
    const bool filling = std::exchange(m_filling, true);
    list->RemoveAll();
    for (const std::string& name : m_store.LoadMacroList()) {
        auto item = std::make_unique<ui::CListLabelElementUI>();
        item->SetResourceText(false);
        item->SetText(name);
        item->SetFixedHeight(kNameItemHeight);
        ui::CControlUI* added = list->Add(std::move(item));
        added->ApplyAttributeList(m_controls.GetStyle(kNameItemStyle));
    }
    list->SelectItem(select, false, false);
    m_filling = filling;
}

void MacroNameList::Choose(int index) {
    if (m_macro.HasUnsavedEdits()) {
        static_cast<void>(m_dialogs.ShowMessage(kConfirmDeleteMessage));
        if (auto* list = m_controls.FindControl<ui::CListUI>(C::kNameList)) {
            const bool filling = std::exchange(m_filling, true);
            list->SelectItem(m_macro.Index(), false, false);
            m_filling = filling;
        }
        return;
    }
    const std::vector<std::string> names = m_store.LoadMacroList();
    const bool valid = index >= 0 && index < static_cast<int>(names.size());
    SetControlText(m_controls, C::kNameEdit,
                   valid ? names[static_cast<std::size_t>(index)] : std::string(), m_filling);
    m_macro.Open(valid ? index : -1,
                 valid ? m_store.LoadMacroActions(index) : std::vector<MacroAction>{});
    m_opened();
}

bool MacroNameList::RefusedForUnsavedEdits() {
    if (!m_macro.HasUnsavedEdits()) {
        return false;
    }
    ShowStoreMessage(m_dialogs, {std::string(kUnsavedEditsMessage), {}});
    return true;
}

void MacroNameList::Add() {
    if (!RefusedForUnsavedEdits()) {
        AfterNewMacro(m_store.AddMacro());
    }
}

void MacroNameList::AfterNewMacro(const MacroStoreResult& result) {
    if (result.message) {
        ShowStoreMessage(m_dialogs, *result.message);
    }
    if (result.status != MacroStoreStatus::Done) {
        return;
    }
    Fill(result.index);
    Choose(result.index);
    m_model.NoteChange(settings::Touch::MacroTable, settings::MouseChange::MacroList);
}

void MacroNameList::Delete() {
    // Checked before anything is asked or changed: the key references must
    // only move when the macro really goes.
    if (!m_macro.IsOpen() || RefusedForUnsavedEdits()) {
        return;
    }
    const auto index = static_cast<std::size_t>(m_macro.Index());
    const bool used = KeysRunMacro(m_model.Mirror(), index);
    if (used && m_dialogs.ShowMessage(C::kKeysUseMacroMessage) != ui::DialogService::kConfirmed) {
        return;
    }
    if (m_dialogs.ShowMessage(kConfirmDeleteMessage) != ui::DialogService::kConfirmed) {
        return;
    }
    const MacroStoreResult result = m_store.DeleteMacro(m_macro.Index());
    if (result.message) {
        ShowStoreMessage(m_dialogs, *result.message);
    }
    if (result.status != MacroStoreStatus::Done) {
        return;
    }
    if (used && ShiftMacroReferences(m_model.Mirror(), index)) {
        m_model.NoteChange(settings::Touch::KeySlots, settings::MouseChange::KeySlots);
    }
    const bool any = !m_store.LoadMacroList().empty();
    Fill(any ? 0 : -1);
    Choose(any ? 0 : -1);
    m_model.NoteChange(settings::Touch::MacroTable, settings::MouseChange::MacroList);
}

void MacroNameList::Rename() {
    if (!m_macro.IsOpen() || m_renaming || m_filling) {
        return;
    }
    auto* edit = m_controls.FindControl(C::kNameEdit);
    if (edit == nullptr) {
        return;
    }
    m_renaming = true;
    const std::string typed = edit->GetText();
    const int index = m_macro.Index();
    const MacroStoreResult result =
        m_store.RenameMacro(index, typed, std::span<const MacroAction>(m_macro.Actions()));
    if (result.message) {
        ShowStoreMessage(m_dialogs, *result.message);
    }
    const std::vector<std::string> names = m_store.LoadMacroList();
    if (index < static_cast<int>(names.size())) {
        const std::string& name = names[static_cast<std::size_t>(index)];
        edit->SetText(name);
        if (auto* list = m_controls.FindControl<ui::CListUI>(C::kNameList)) {
            if (ui::CControlUI* item = list->GetItemAt(index)) {
                item->SetText(name);
            }
        }
    }
    m_renaming = false;
    if (result.status == MacroStoreStatus::Done) {
        // Names are not sent: the macro table stays as it was.
        m_model.Notify(settings::MouseChange::MacroList);
    }
}

void MacroNameList::Import() {
    if (RefusedForUnsavedEdits()) {
        return;
    }
    if (const std::optional<std::string> path = ui::OpenFileDialog(StoreFileDialog("mac"))) {
        AfterNewMacro(m_store.ImportMacro(*path));
    }
}

void MacroNameList::Export() {
    if (!m_macro.IsOpen()) {
        return;
    }
    const std::optional<std::string> path = ui::SaveFileDialog(StoreFileDialog("mac"));
    if (!path) {
        return;
    }
    const MacroStoreResult result = m_store.ExportMacro(m_macro.Index(), *path);
    if (result.message) {
        ShowStoreMessage(m_dialogs, *result.message);
    }
}

}  // namespace varlok::keys
