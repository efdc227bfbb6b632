#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/macroaction.h"
#include "keys/macrorecorder.h"
#include "keys/macrostore.h"
#include "keys/mouseeventtable.h"
#include "keys/page/devicehook.h"
#include "keys/storemessage.h"
#include "settings/mousemirror.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::keys {

// The macro section of the mouse page: the list of named macros (add,
// delete, rename, import, export through the MacroStore), the actions of the
// open macro, recording from the PC's keyboard and mouse through the
// CDeviceHook, the editors of one keyboard or mouse action, mouse-action
// inserts, reordering, and save or cancel. Holds the open macro's actions;
// the store on disk changes only on save, rename, add, delete and import.
//
// The editor is dirty (unsaved changes) while the save/cancel bar
// "ms_macro_tab_saveorcancel" is visible; the main window reads that bar to
// keep the section in front.
//
// Thread affinity: the UI thread.
class MacroPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "macro page";
    static constexpr std::string_view kNameList = "ms_MacroName_list";
    static constexpr std::string_view kNameEdit = "ms_macro_edit_macroname";
    static constexpr std::string_view kSaveNameButton = "ms_macro_btn_savemacroname";
    static constexpr std::string_view kAddButton = "ms_macro_btn_name_add";
    static constexpr std::string_view kDeleteMacroButton = "ms_macro_btn_name_sub";
    static constexpr std::string_view kImportButton = "ms_macro_btn_import";
    static constexpr std::string_view kExportButton = "ms_macro_btn_export";
    static constexpr std::string_view kActionList = "ms_Macro_list";
    static constexpr std::string_view kActionRow = "ms_macro_action";
    static constexpr std::string_view kRecordButton = "ms_macro_btn_redio";
    static constexpr std::string_view kKeyboardOption = "ms_macro_keyboard_event";
    static constexpr std::string_view kClickOption = "ms_macro_mouse_click";
    static constexpr std::string_view kWheelOption = "ms_macro_mouse_roller";
    static constexpr std::string_view kMoveOption = "ms_macro_mouse_move";
    static constexpr std::string_view kFixedPauseOption = "ms_macro_check_time";
    static constexpr std::string_view kUpButton = "ms_macro_btn_up";
    static constexpr std::string_view kDownButton = "ms_macro_btn_down";
    static constexpr std::string_view kTopButton = "ms_macro_btn_uptop";
    static constexpr std::string_view kBottomButton = "ms_macro_btn_downbottom";
    static constexpr std::string_view kDeleteButton = "ms_macro_btn_delete";
    static constexpr std::string_view kDeleteAllButton = "ms_macro_btn_deleteall";
    static constexpr std::string_view kSaveButton = "ms_macro_btn_save";
    static constexpr std::string_view kCancelButton = "ms_macro_btn_cancel";
    static constexpr std::string_view kSaveBar = "ms_macro_tab_saveorcancel";
    static constexpr std::string_view kEditorTab = "ms_tab_macro_edit";
    static constexpr std::string_view kKeyCombo = "ms_macro_combo_keyselect";
    static constexpr std::string_view kUpDownCombo = "ms_macro_combo_upordown";
    static constexpr std::string_view kKeyPauseEdit = "ms__macro_edit_ActionDelay";
    static constexpr std::string_view kMouseCombo = "ms_macro_combo_mouselect";
    static constexpr std::string_view kDistancePanel = "ms_macro_tab_mou_pointer_skewing";
    static constexpr std::string_view kDistanceEdit = "ms_macro_edit_mou_pointer_skewing";
    static constexpr std::string_view kMousePauseEdit = "ms__macro_edit_mou_action_delay";
    static constexpr std::string_view kInsertOption = "ms_macro_btn_shubiao";
    static constexpr std::string_view kInsertPanel = "ms_MacroMouseEvent";
    static constexpr std::string_view kNamePanel = "ms_MacroName";
    static constexpr std::string_view kRecordStartText = "macro_btn_star_redio_text";
    static constexpr std::string_view kRecordStopText = "macro_btn_stop_redio_text";
    static constexpr std::string_view kRecordTip = "macro_record_tip";
    static constexpr std::string_view kRecordWindowOnlyTip = "macro_record_window_only_tip";
    static constexpr std::string_view kKeysUseMacroMessage = "message_text_2";

    // The key editor's up (0) and down (1) choices.
    static constexpr std::array<std::string_view, 2> kUpDownTexts{"macro_state_up",
                                                                  "macro_state_down"};
    // The mouse editor's choices, rows 0..13 of the MouseEventTable: the
    // buttons named with their direction, the moves by their labels.
    static constexpr std::array<std::string_view, MouseEventTable::kEditorRows> kMouseEventTexts{
        "macro_event_left_down",
        "macro_event_left_up",
        "macro_event_right_down",
        "macro_event_right_up",
        "macro_event_middle_down",
        "macro_event_middle_up",
        "macro_event_forward_down",
        "macro_event_forward_up",
        "macro_event_back_down",
        "macro_event_back_up",
        kMoveLeftLabel,
        kMoveRightLabel,
        kMoveUpLabel,
        kMoveDownLabel};
    // Texts the page sets from code.
    static constexpr std::array<std::string_view, 5> kCodeTexts{
        kRecordStartText, kRecordStopText, kRecordTip, kRecordWindowOnlyTip, kCaptureKeyboardBusy};

    // Pages of the action editor tab.
    enum EditorPage : int { kNoEditor = 0, kKeyboardEditor = 1, kMouseEditor = 2 };

    // Every reference must outlive the page. ticks is the recorder's clock
    // (the steady clock when empty).
    MacroPage(ui::CPaintManagerUI& controls, MacroStore& store, settings::MouseMirror& mirror,
              CDeviceHook& hook, ui::DialogService& dialogs, MacroRecorder::TickSource ticks = {});
    ~MacroPage() override;
    MacroPage(const MacroPage&) = delete;
    MacroPage& operator=(const MacroPage&) = delete;

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Called after the macro list changed (add, delete, rename, import), so
    // that the key page's macro combo can follow.
    std::function<void()> onMacroListChanged;

    // LoadMacroList: the names into the name list, the editor's combos
    // filled, the last macro chosen.
    void Prepare();

    // SetEditingState: dirty disables the name list for mouse and keyboard
    // and shows the save/cancel bar; clean does the reverse. With an empty
    // name list the bar keeps its visibility.
    void SetEditingState(bool dirty);
    [[nodiscard]] bool IsDirty() const;
    [[nodiscard]] bool IsRecording() const { return m_recorder.IsRecording(); }
    // The open macro's index, or -1.
    [[nodiscard]] int CurrentMacro() const { return m_macro; }
    [[nodiscard]] const std::vector<MacroAction>& Actions() const { return m_actions; }

private:
    void RegisterNameRoutes(ui::RouteTable& routes);
    void RegisterActionRoutes(ui::RouteTable& routes);
    void RegisterEditorRoutes(ui::RouteTable& routes);
    void RegisterInsertRoutes(ui::RouteTable& routes);

    void FillCombos();
    void FillNameList(int select);
    void ChooseMacro(int index);
    void LoadActions();
    void OnAddMacro();
    void OnDeleteMacro();
    void OnRename();
    void OnImport();
    void OnExport();
    void AfterNewMacro(const MacroStoreResult& result);
    void EnableEditing(bool enabled);

    void OnRecordButton();
    void StartRecording();
    void StopRecording();
    // The controls and the button text of recording (true) or idle.
    void ShowRecording(bool recording);
    ui::LResult OnHookKey(ui::WParam wParam, ui::LParam lParam);
    ui::LResult OnHookMouse(ui::WParam wParam);
    // Whether the pointer is on the record button (which stops a recording).
    [[nodiscard]] bool PointerOnRecordButton() const;

    void RebuildRows();
    void FillRow(ui::CControlUI& row, const MacroAction& action);
    [[nodiscard]] int SelectedAction() const;
    void SelectAction(int index);
    void OnActionClick(int index);
    void MoveSelected(int target);
    void DeleteSelected();
    void DeleteAll();
    void Save();
    void Cancel();

    void OnKeySelect(int row);
    void OnUpDown(int down);
    void OnMouseSelect(int row);
    void OnPauseEdit(std::string_view edit);
    void OnDistanceEdit();
    void ChangeSelected(const std::function<void(MacroAction&)>& change);
    void InsertAction(MacroAction action);
    void ShowInsertPanel(std::size_t button);

    void ShowEditor(EditorPage page);
    [[nodiscard]] bool IsChecked(std::string_view option) const;
    void SetEnabled(std::string_view control, bool enabled);
    void SetVisible(std::string_view control, bool visible);
    void SetText(std::string_view control, const std::string& text);
    // The edit's number limited to max; a limited value is written back.
    int ReadEdit(std::string_view edit, int max);
    void Show(const StoreMessage& message);
    void MacroListChanged();

    ui::CPaintManagerUI& m_controls;
    MacroStore& m_store;
    settings::MouseMirror& m_mirror;
    CDeviceHook& m_hook;
    ui::DialogService& m_dialogs;
    const ui::RouteTable* m_routes = nullptr;
    MacroRecorder m_recorder;
    std::vector<MacroAction> m_actions;
    int m_macro = -1;
    // Set while the page itself fills controls, so that their own
    // notifications change nothing.
    bool m_filling = false;
    bool m_renaming = false;
    // Between "msenter" and "msleave" of the record button.
    bool m_pointerOnRecordButton = false;
};

}  // namespace varlok::keys
