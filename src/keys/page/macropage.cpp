#include "keys/page/macropage.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <utility>

#include "keys/keynametable.h"
#include "keys/macroreferences.h"
#include "keys/mouseeventtable.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"
#include "ui/buttonui.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/filedialog.h"
#include "ui/labelui.h"
#include "ui/listcontainerelementui.h"
#include "ui/listlabelelementui.h"
#include "ui/listui.h"
#include "ui/notify.h"
#include "ui/optionui.h"
#include "ui/tablayoutui.h"

namespace varlok::keys {

namespace {

using ui::NameMatch;
using Routed = std::optional<int>;
namespace msgtype = ui::msgtype;

constexpr int kActionRowHeight = 30;
constexpr int kNameItemHeight = 25;
constexpr int kComboItemHeight = 30;
constexpr int kInsertedPauseUnits = 5;
constexpr int kMaxDistance = 0xFF;
constexpr std::string_view kNameItemStyle = "listex_item_style";
constexpr std::string_view kMouseLabelStyle = "macro_label_mouse_style";
constexpr std::string_view kKeyboardLabelStyle = "macro_label_keyboard_style";
constexpr std::string_view kTextLabelStyle = "macro_label_text_style";
constexpr std::string_view kDownLabelStyle = "macro_label_down_style";
constexpr std::string_view kUpLabelStyle = "macro_label_up_style";

// The insert panel of each mouse button: the MouseEventTable rows of its
// down and up actions.
struct InsertButton {
    std::string_view name;
    std::size_t downRow;
    std::size_t upRow;
};
constexpr std::array<InsertButton, 5> kInsertButtons{{
    {"leftkey", 0, 1},
    {"moudlekey", 4, 5},
    {"rightkey", 2, 3},
    {"forwardkey", 6, 7},
    {"backkey", 8, 9},
}};

struct InsertMove {
    std::string_view button;
    std::string_view edit;
    std::size_t row;
};
constexpr std::array<InsertMove, 4> kInsertMoves{{
    {"ms_macro_inset_moveleftkey_btn", "ms_mouse_x_left_edit", 10},
    {"ms_macro_inset_moverightkey_btn", "ms_mouse_x_right_edit", 11},
    {"ms_macro_inset_moveupkey_btn", "ms_mouse_y_up_edit", 12},
    {"ms_macro_inset_movedownkey_btn", "ms_mouse_y_down_edit", 13},
}};

std::string InsertControl(const InsertButton& button, std::string_view suffix) {
    return "ms_macro_inset_" + std::string(button.name) + std::string(suffix);
}

// What recording and an empty list put out of reach.
constexpr std::array<std::string_view, 10> kEditingButtons{
    MacroPage::kUpButton,     MacroPage::kDownButton,   MacroPage::kTopButton,
    MacroPage::kBottomButton, MacroPage::kDeleteButton, MacroPage::kDeleteAllButton,
    MacroPage::kSaveButton,   MacroPage::kCancelButton, MacroPage::kEditorTab,
    MacroPage::kInsertPanel};

constexpr std::array<std::string_view, 6> kOutOfReachWhileRecording{
    MacroPage::kActionList, MacroPage::kNameList,          MacroPage::kInsertOption,
    MacroPage::kAddButton,  MacroPage::kDeleteMacroButton, MacroPage::kImportButton};

constexpr std::array<std::string_view, 5> kRecordOptions{
    MacroPage::kKeyboardOption, MacroPage::kClickOption, MacroPage::kWheelOption,
    MacroPage::kMoveOption, MacroPage::kFixedPauseOption};

}  // namespace

MacroPage::MacroPage(ui::CPaintManagerUI& controls, MacroStore& store,
                     settings::MouseMirror& mirror, CDeviceHook& hook, ui::DialogService& dialogs,
                     MacroRecorder::TickSource ticks)
    : m_controls(controls),
      m_store(store),
      m_mirror(mirror),
      m_hook(hook),
      m_dialogs(dialogs),
      m_recorder(std::move(ticks)) {}

MacroPage::~MacroPage() {
    if (m_recorder.IsRecording()) {
        m_hook.Remove();
    }
}

void MacroPage::RegisterRoutes(ui::RouteTable& routes) {
    m_routes = &routes;
    RegisterNameRoutes(routes);
    RegisterActionRoutes(routes);
    RegisterEditorRoutes(routes);
    RegisterInsertRoutes(routes);
    routes.OnMessage(kOwner, kHookMacroKeyMessage, kHookMacroKeyMessage,
                     [this](ui::MessageId, ui::WParam wParam, ui::LParam lParam) {
                         return OnHookKey(wParam, lParam);
                     });
    routes.OnMessage(
        kOwner, kHookMacroMouseMessage, kHookMacroMouseMessage,
        [this](ui::MessageId, ui::WParam wParam, ui::LParam) { return OnHookMouse(wParam); });
    routes.OnSignal(kOwner, ui::PageSignal::StopRecording, [this] { StopRecording(); });
    routes.OnSignal(kOwner, ui::PageSignal::FillPageData, [this] { Prepare(); });
}

void MacroPage::RegisterNameRoutes(ui::RouteTable& routes) {
    routes.OnNotify(kOwner, msgtype::kItemSelect, kNameList, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        if (!m_filling) {
                            ChooseMacro(static_cast<int>(msg.wParam));
                        }
                    });
    routes.OnNotify(kOwner, msgtype::kKillFocus, kNameEdit, NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) { OnRename(); });
    routes.OnClick(kOwner, kSaveNameButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnRename(); });
    routes.OnClick(kOwner, kAddButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnAddMacro(); });
    routes.OnClick(kOwner, kDeleteMacroButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnDeleteMacro(); });
    routes.OnClick(kOwner, kImportButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnImport(); });
    routes.OnClick(kOwner, kExportButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnExport(); });
}

void MacroPage::RegisterActionRoutes(ui::RouteTable& routes) {
    routes.OnClick(kOwner, kRecordButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnRecordButton(); });
    for (const std::string_view type : {msgtype::kMouseEnter, msgtype::kMouseLeave}) {
        routes.OnNotify(kOwner, type, kRecordButton, NameMatch::Exact,
                        [this, over = type == msgtype::kMouseEnter](ui::TNotifyUI&, Routed) {
                            m_pointerOnRecordButton = over;
                        });
    }
    routes.OnNotify(kOwner, msgtype::kItemClick, kActionRow, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        if (auto* row = dynamic_cast<ui::CListContainerElementUI*>(msg.pSender)) {
                            OnActionClick(row->GetIndex());
                        }
                    });
    const std::array<std::pair<std::string_view, std::function<int()>>, 4> moves{{
        {kUpButton, [this] { return SelectedAction() - 1; }},
        {kDownButton, [this] { return SelectedAction() + 1; }},
        {kTopButton, [] { return 0; }},
        {kBottomButton, [this] { return static_cast<int>(m_actions.size()) - 1; }},
    }};
    for (const auto& move : moves) {
        routes.OnClick(
            kOwner, move.first, NameMatch::Exact,
            [this, target = move.second](ui::TNotifyUI&, Routed) { MoveSelected(target()); });
    }
    routes.OnClick(kOwner, kDeleteButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { DeleteSelected(); });
    routes.OnClick(kOwner, kDeleteAllButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { DeleteAll(); });
    routes.OnClick(kOwner, kSaveButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { Save(); });
    routes.OnClick(kOwner, kCancelButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { Cancel(); });
}

void MacroPage::RegisterEditorRoutes(ui::RouteTable& routes) {
    const auto onItem = [this](std::string_view combo, void (MacroPage::*handler)(int),
                               ui::RouteTable& table) {
        table.OnNotify(kOwner, msgtype::kItemSelect, combo, NameMatch::Exact,
                       [this, handler](ui::TNotifyUI& msg, Routed) {
                           if (!m_filling) {
                               (this->*handler)(static_cast<int>(msg.wParam));
                           }
                       });
    };
    onItem(kKeyCombo, &MacroPage::OnKeySelect, routes);
    onItem(kUpDownCombo, &MacroPage::OnUpDown, routes);
    onItem(kMouseCombo, &MacroPage::OnMouseSelect, routes);
    for (const std::string_view edit : {kKeyPauseEdit, kMousePauseEdit}) {
        routes.OnNotify(kOwner, msgtype::kTextChanged, edit, NameMatch::Exact,
                        [this, edit](ui::TNotifyUI&, Routed) { OnPauseEdit(edit); });
    }
    routes.OnNotify(kOwner, msgtype::kTextChanged, kDistanceEdit, NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) { OnDistanceEdit(); });
}

void MacroPage::RegisterInsertRoutes(ui::RouteTable& routes) {
    routes.OnNotify(kOwner, msgtype::kSelectChanged, kInsertOption, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        SetVisible(kInsertPanel, msg.wParam != 0);
                        SetVisible(kNamePanel, msg.wParam == 0);
                    });
    for (std::size_t index = 0; index < kInsertButtons.size(); ++index) {
        const InsertButton& button = kInsertButtons[index];
        routes.OnClick(kOwner, InsertControl(button, "_btn"), NameMatch::Exact,
                       [this, index](ui::TNotifyUI&, Routed) { ShowInsertPanel(index); });
        for (const auto& insert :
             {std::pair{"down_btn", button.downRow}, std::pair{"up_btn", button.upRow}}) {
            routes.OnClick(kOwner, InsertControl(button, insert.first), NameMatch::Exact,
                           [this, row = insert.second](ui::TNotifyUI&, Routed) {
                               InsertAction(MouseEventTable::ActionOf(row));
                           });
        }
    }
    for (const InsertMove& move : kInsertMoves) {
        routes.OnClick(kOwner, move.button, NameMatch::Exact, [this, move](ui::TNotifyUI&, Routed) {
            const int distance = ReadEdit(move.edit, kMaxDistance);
            InsertAction(MouseEventTable::ActionOf(move.row, static_cast<std::uint8_t>(distance)));
        });
    }
}

void MacroPage::Prepare() {
    FillCombos();
    if (auto* button = m_controls.FindControl(kRecordButton)) {
        button->SetText(kRecordStartText);
        button->SetToolTip(m_hook.Reach() == platform::CaptureReach::OwnWindow
                               ? kRecordWindowOnlyTip
                               : kRecordTip);
    }
    const int count = static_cast<int>(m_store.LoadMacroList().size());
    FillNameList(count - 1);
    ChooseMacro(count - 1);
}

void MacroPage::FillCombos() {
    const auto fill = [this](std::string_view name, auto texts) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(name);
        if (combo == nullptr) {
            return;
        }
        combo->RemoveAll();
        for (const auto& text : texts) {
            auto item = std::make_unique<ui::CListLabelElementUI>();
            item->SetResourceText(true);
            item->SetText(text);
            item->SetFixedHeight(kComboItemHeight);
            combo->Add(std::move(item));
        }
    };
    std::vector<std::string> keys;
    for (std::size_t row = 0; row < kMacroKeyRows; ++row) {
        keys.push_back(KeyNameTable::Rows()[row].LanguageKey());
    }
    fill(kKeyCombo, keys);
    fill(kUpDownCombo, kUpDownTexts);
    fill(kMouseCombo, kMouseEventTexts);
}

void MacroPage::FillNameList(int select) {
    auto* list = m_controls.FindControl<ui::CListUI>(kNameList);
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

void MacroPage::ChooseMacro(int index) {
    if (IsDirty()) {
        static_cast<void>(m_dialogs.ShowMessage(kConfirmDeleteMessage));
        if (auto* list = m_controls.FindControl<ui::CListUI>(kNameList)) {
            const bool filling = std::exchange(m_filling, true);
            list->SelectItem(m_macro, false, false);
            m_filling = filling;
        }
        return;
    }
    const std::vector<std::string> names = m_store.LoadMacroList();
    m_macro = index >= 0 && index < static_cast<int>(names.size()) ? index : -1;
    SetText(kNameEdit, m_macro >= 0 ? names[static_cast<std::size_t>(m_macro)] : std::string());
    LoadActions();
    ShowEditor(kNoEditor);
    EnableEditing(m_macro >= 0);
}

void MacroPage::LoadActions() {
    m_actions = m_macro >= 0 ? m_store.LoadMacroActions(m_macro) : std::vector<MacroAction>{};
    RebuildRows();
}

void MacroPage::EnableEditing(bool enabled) {
    for (const std::string_view control : kEditingButtons) {
        SetEnabled(control, enabled);
    }
    for (const std::string_view control : {kActionList, kRecordButton, kNameEdit, kSaveNameButton,
                                           kDeleteMacroButton, kExportButton, kInsertOption}) {
        SetEnabled(control, enabled);
    }
}

void MacroPage::OnAddMacro() {
    if (IsDirty()) {
        Show({std::string(kUnsavedEditsMessage), {}});
        return;
    }
    AfterNewMacro(m_store.AddMacro());
}

void MacroPage::AfterNewMacro(const MacroStoreResult& result) {
    if (result.message) {
        Show(*result.message);
    }
    if (result.status != MacroStoreStatus::Done) {
        return;
    }
    FillNameList(result.index);
    ChooseMacro(result.index);
    MacroListChanged();
}

void MacroPage::OnDeleteMacro() {
    if (m_macro < 0) {
        return;
    }
    // Checked before anything is asked or changed: the key references must
    // only move when the macro really goes.
    if (IsDirty()) {
        Show({std::string(kUnsavedEditsMessage), {}});
        return;
    }
    const auto index = static_cast<std::size_t>(m_macro);
    const bool used = KeysRunMacro(m_mirror, index);
    if (used && m_dialogs.ShowMessage(kKeysUseMacroMessage) != ui::DialogService::kConfirmed) {
        return;
    }
    if (m_dialogs.ShowMessage(kConfirmDeleteMessage) != ui::DialogService::kConfirmed) {
        return;
    }
    const MacroStoreResult result = m_store.DeleteMacro(m_macro);
    if (result.message) {
        Show(*result.message);
    }
    if (result.status != MacroStoreStatus::Done) {
        return;
    }
    if (used) {
        static_cast<void>(ShiftMacroReferences(m_mirror, index));
    }
    const bool any = !m_store.LoadMacroList().empty();
    FillNameList(any ? 0 : -1);
    ChooseMacro(any ? 0 : -1);
    MacroListChanged();
}

void MacroPage::OnRename() {
    if (m_macro < 0 || m_renaming || m_filling) {
        return;
    }
    auto* edit = m_controls.FindControl(kNameEdit);
    if (edit == nullptr) {
        return;
    }
    m_renaming = true;
    const std::string typed = edit->GetText();
    const MacroStoreResult result =
        m_store.RenameMacro(m_macro, typed, std::span<const MacroAction>(m_actions));
    if (result.message) {
        Show(*result.message);
    }
    const std::vector<std::string> names = m_store.LoadMacroList();
    if (m_macro < static_cast<int>(names.size())) {
        const std::string& name = names[static_cast<std::size_t>(m_macro)];
        edit->SetText(name);
        if (auto* list = m_controls.FindControl<ui::CListUI>(kNameList)) {
            if (ui::CControlUI* item = list->GetItemAt(m_macro)) {
                item->SetText(name);
            }
        }
    }
    m_renaming = false;
    if (result.status == MacroStoreStatus::Done) {
        MacroListChanged();
    }
}

void MacroPage::OnImport() {
    if (IsDirty()) {
        Show({std::string(kUnsavedEditsMessage), {}});
        return;
    }
    const std::optional<std::string> path = ui::OpenFileDialog(StoreFileDialog("mac"));
    if (path) {
        AfterNewMacro(m_store.ImportMacro(*path));
    }
}

void MacroPage::OnExport() {
    if (m_macro < 0) {
        return;
    }
    const std::optional<std::string> path = ui::SaveFileDialog(StoreFileDialog("mac"));
    if (!path) {
        return;
    }
    const MacroStoreResult result = m_store.ExportMacro(m_macro, *path);
    if (result.message) {
        Show(*result.message);
    }
}

void MacroPage::OnRecordButton() {
    if (m_recorder.IsRecording()) {
        StopRecording();
    } else {
        StartRecording();
    }
}

void MacroPage::StartRecording() {
    if (m_macro < 0) {
        return;
    }
    const bool wasDirty = IsDirty();
    SetEditingState(true);
    ShowEditor(kNoEditor);
    const MacroRecorder::Options options{.keyboard = IsChecked(kKeyboardOption),
                                         .mouseClicks = IsChecked(kClickOption),
                                         .fixedPause = IsChecked(kFixedPauseOption)};
    const bool mouse = options.mouseClicks || IsChecked(kWheelOption) || IsChecked(kMoveOption);
    if (!m_hook.Install(HookMode::Macro, options.keyboard, mouse)) {
        SetEditingState(wasDirty);
        Show({std::string(kCaptureKeyboardBusy), {}});
        return;
    }
    m_recorder.Start(options);
    ShowRecording(true);
}

void MacroPage::StopRecording() {
    if (!m_recorder.IsRecording()) {
        return;
    }
    m_hook.Remove();
    m_recorder.Stop();
    ShowRecording(false);
}

void MacroPage::ShowRecording(bool recording) {
    for (const auto& controls : {std::span<const std::string_view>(kRecordOptions),
                                 std::span<const std::string_view>(kEditingButtons),
                                 std::span<const std::string_view>(kOutOfReachWhileRecording)}) {
        for (const std::string_view control : controls) {
            SetEnabled(control, !recording);
        }
    }
    SetText(kRecordButton, std::string(recording ? kRecordStopText : kRecordStartText));
}

ui::LResult MacroPage::OnHookKey(ui::WParam wParam, ui::LParam lParam) {
    if (!m_recorder.IsRecording() || lParam == 0) {
        return 0;
    }
    const KeyboardHookRecord& record = HookRecordOf(lParam);
    if (m_recorder.RecordKey(m_actions, static_cast<std::uint32_t>(wParam), record.virtualKey,
                             record.flags)) {
        RebuildRows();
    }
    return 0;
}

ui::LResult MacroPage::OnHookMouse(ui::WParam wParam) {
    // A button posted before the capture went away may still arrive.
    if (m_recorder.IsRecording() &&
        m_recorder.RecordMouse(m_actions, static_cast<std::uint32_t>(wParam),
                               PointerOnRecordButton())) {
        RebuildRows();
    }
    return 0;
}

bool MacroPage::PointerOnRecordButton() const {
    // Over the button, or pressing it (a capture on a thread of its own may
    // deliver the press after the button saw it).
    const auto* button = m_controls.FindControl<ui::CButtonUI>(kRecordButton);
    return m_pointerOnRecordButton || (button != nullptr && button->IsPushed());
}

void MacroPage::RebuildRows() {
    auto* list = m_controls.FindControl<ui::CListUI>(kActionList);
    if (list == nullptr) {
        return;
    }
    list->RemoveAll();
    for (const MacroAction& action : m_actions) {
        auto row = std::make_unique<ui::CListContainerElementUI>();
        row->SetName(kActionRow);
        row->SetFixedHeight(kActionRowHeight);
        FillRow(*list->Add(std::move(row)), action);
    }
}

void MacroPage::FillRow(ui::CControlUI& row, const MacroAction& action) {
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

int MacroPage::SelectedAction() const {
    const auto* list = m_controls.FindControl<ui::CListUI>(kActionList);
    return list != nullptr ? list->GetCurSel() : -1;
}

void MacroPage::SelectAction(int index) {
    if (auto* list = m_controls.FindControl<ui::CListUI>(kActionList)) {
        list->SelectItem(index, false, false);
    }
}

void MacroPage::OnActionClick(int index) {
    if (index < 0 || index >= static_cast<int>(m_actions.size())) {
        return;
    }
    SetEditingState(true);
    const MacroAction& action = m_actions[static_cast<std::size_t>(index)];
    const bool filling = std::exchange(m_filling, true);
    const auto select = [this](std::string_view name, std::optional<std::size_t> row) {
        if (auto* combo = m_controls.FindControl<ui::CComboUI>(name)) {
            combo->SelectItem(row ? static_cast<int>(*row) : -1, false, false);
        }
    };
    if (IsMouseAction(action)) {
        ShowEditor(kMouseEditor);
        select(kMouseCombo, MouseEventTable::FindEditorRow(action));
        SetVisible(kDistancePanel, IsMoveAction(action));
        SetText(kDistanceEdit, std::to_string(IsMoveAction(action) ? action.value : 0));
        SetText(kMousePauseEdit, std::to_string(action.PauseUnits()));
    } else {
        ShowEditor(kKeyboardEditor);
        select(kKeyCombo, FindKeyRowOfAction(action));
        select(kUpDownCombo, std::size_t{action.downFlag != 0 ? 1U : 0U});
        SetText(kKeyPauseEdit, std::to_string(action.PauseUnits()));
    }
    m_filling = filling;
}

void MacroPage::MoveSelected(int target) {
    const int selected = SelectedAction();
    const int count = static_cast<int>(m_actions.size());
    if (selected < 0 || target < 0 || target >= count || target == selected) {
        return;
    }
    MacroAction moved = std::move(m_actions[static_cast<std::size_t>(selected)]);
    m_actions.erase(m_actions.begin() + selected);
    m_actions.insert(m_actions.begin() + target, std::move(moved));
    RebuildRows();
    SelectAction(target);
    SetEditingState(true);
}

void MacroPage::DeleteSelected() {
    const int selected = SelectedAction();
    if (selected < 0 || selected >= static_cast<int>(m_actions.size())) {
        return;
    }
    m_actions.erase(m_actions.begin() + selected);
    RebuildRows();
    ShowEditor(kNoEditor);
    SetEditingState(true);
}

void MacroPage::DeleteAll() {
    if (m_macro < 0) {
        return;
    }
    m_actions.clear();
    RebuildRows();
    ShowEditor(kNoEditor);
    SetEditingState(true);
}

void MacroPage::Save() {
    if (m_macro < 0) {
        return;
    }
    const MacroStoreResult result = m_store.SaveMacroActions(m_macro, m_actions);
    if (result.message) {
        Show(*result.message);
    }
    if (result.status == MacroStoreStatus::Done) {
        SetEditingState(false);
        ShowEditor(kNoEditor);
    }
}

void MacroPage::Cancel() {
    LoadActions();
    SetEditingState(false);
    ShowEditor(kNoEditor);
}

void MacroPage::ChangeSelected(const std::function<void(MacroAction&)>& change) {
    const int selected = SelectedAction();
    if (selected < 0 || selected >= static_cast<int>(m_actions.size())) {
        return;
    }
    MacroAction& action = m_actions[static_cast<std::size_t>(selected)];
    change(action);
    if (auto* list = m_controls.FindControl<ui::CListUI>(kActionList)) {
        if (ui::CControlUI* row = list->GetItemAt(selected)) {
            FillRow(*row, action);
        }
    }
    SetEditingState(true);
}

void MacroPage::OnKeySelect(int row) {
    if (row < 0 || row >= static_cast<int>(kMacroKeyRows)) {
        return;
    }
    ChangeSelected([row](MacroAction& action) {
        MacroAction changed = KeyboardActionOf(static_cast<std::size_t>(row), action.downFlag != 0);
        changed.delayLow = action.delayLow;
        changed.delayHigh = action.delayHigh;
        action = std::move(changed);
    });
}

void MacroPage::OnUpDown(int down) {
    ChangeSelected([down](MacroAction& action) {
        action.downFlag = down == 1 ? 1 : 0;
        action.code = static_cast<std::uint8_t>(down == 1 ? (action.code | kDownBit)
                                                          : (action.code & ~kDownBit));
    });
}

void MacroPage::OnMouseSelect(int row) {
    if (row < 0 || row >= static_cast<int>(MouseEventTable::kEditorRows)) {
        return;
    }
    const bool move = row >= static_cast<int>(MouseEventTable::kFirstMoveRow);
    const int distance = move ? ReadEdit(kDistanceEdit, kMaxDistance) : 0;
    SetVisible(kDistancePanel, move);
    ChangeSelected([row, distance](MacroAction& action) {
        MacroAction changed = MouseEventTable::ActionOf(static_cast<std::size_t>(row),
                                                        static_cast<std::uint8_t>(distance));
        changed.delayLow = action.delayLow;
        changed.delayHigh = action.delayHigh;
        action = std::move(changed);
    });
}

void MacroPage::OnPauseEdit(std::string_view edit) {
    if (m_filling) {
        return;
    }
    const int units = ReadEdit(edit, kMaxPauseUnits);
    ChangeSelected([units](MacroAction& action) { action.SetPauseUnits(units); });
}

void MacroPage::OnDistanceEdit() {
    if (m_filling) {
        return;
    }
    const int distance = ReadEdit(kDistanceEdit, kMaxDistance);
    ChangeSelected([distance](MacroAction& action) {
        if (IsMoveAction(action)) {
            action.value = static_cast<std::uint8_t>(distance);
        }
    });
}

void MacroPage::InsertAction(MacroAction action) {
    if (m_macro < 0) {
        return;
    }
    const int selected = SelectedAction();
    action.SetPauseUnits(kInsertedPauseUnits);
    m_actions.insert(m_actions.begin() + std::max(selected, 0), std::move(action));
    RebuildRows();
    if (selected >= 0) {
        SelectAction(selected + 1);
    }
    SetEditingState(true);
}

void MacroPage::ShowInsertPanel(std::size_t button) {
    for (std::size_t other = 0; other < kInsertButtons.size(); ++other) {
        SetVisible(InsertControl(kInsertButtons[other], "_tab"), other == button);
    }
}

void MacroPage::SetEditingState(bool dirty) {
    if (auto* list = m_controls.FindControl(kNameList)) {
        list->SetMouseEnabled(!dirty);
        list->SetKeyboardEnabled(!dirty);
    }
    if (m_store.LoadMacroList().empty()) {
        return;
    }
    SetVisible(kSaveBar, dirty);
}

bool MacroPage::IsDirty() const {
    const auto* bar = m_controls.FindControl(kSaveBar);
    return bar != nullptr && bar->IsVisible();
}

void MacroPage::ShowEditor(EditorPage page) {
    if (auto* tabs = m_controls.FindControl<ui::CTabLayoutUI>(kEditorTab)) {
        tabs->SelectItem(page);
    }
}

bool MacroPage::IsChecked(std::string_view option) const {
    return IsOptionSelected(m_controls, option);
}

void MacroPage::SetEnabled(std::string_view control, bool enabled) {
    if (auto* found = m_controls.FindControl(control)) {
        found->SetEnabled(enabled);
    }
}

void MacroPage::SetVisible(std::string_view control, bool visible) {
    if (auto* found = m_controls.FindControl(control)) {
        found->SetVisible(visible);
    }
}

void MacroPage::SetText(std::string_view control, const std::string& text) {
    if (auto* found = m_controls.FindControl(control)) {
        const bool filling = std::exchange(m_filling, true);
        found->SetText(text);
        m_filling = filling;
    }
}

int MacroPage::ReadEdit(std::string_view edit, int max) {
    return ReadNumberEdit(m_controls, edit, max, m_filling);
}

void MacroPage::Show(const StoreMessage& message) {
    ShowStoreMessage(m_dialogs, message);
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
