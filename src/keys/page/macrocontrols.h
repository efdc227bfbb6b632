#pragma once

#include <array>
#include <string_view>

#include "keys/macroaction.h"
#include "keys/mouseeventtable.h"
#include "keys/page/devicehook.h"

namespace varlok::keys {

// The controls of the macro section by name, the texts it sets from code,
// and the groups of controls that recording and an empty macro list put out
// of reach: one table that the section's parts share.
struct MacroControls {
    // The name list (MacroNameList).
    static constexpr std::string_view kNameList = "ms_MacroName_list";
    static constexpr std::string_view kNameEdit = "ms_macro_edit_macroname";
    static constexpr std::string_view kSaveNameButton = "ms_macro_btn_savemacroname";
    static constexpr std::string_view kAddButton = "ms_macro_btn_name_add";
    static constexpr std::string_view kDeleteMacroButton = "ms_macro_btn_name_sub";
    static constexpr std::string_view kImportButton = "ms_macro_btn_import";
    static constexpr std::string_view kExportButton = "ms_macro_btn_export";
    static constexpr std::string_view kKeysUseMacroMessage = "message_text_2";

    // The action list (MacroActionList).
    static constexpr std::string_view kActionList = "ms_Macro_list";
    static constexpr std::string_view kActionRow = "ms_macro_action";
    static constexpr std::string_view kUpButton = "ms_macro_btn_up";
    static constexpr std::string_view kDownButton = "ms_macro_btn_down";
    static constexpr std::string_view kTopButton = "ms_macro_btn_uptop";
    static constexpr std::string_view kBottomButton = "ms_macro_btn_downbottom";
    static constexpr std::string_view kDeleteButton = "ms_macro_btn_delete";
    static constexpr std::string_view kDeleteAllButton = "ms_macro_btn_deleteall";
    static constexpr std::string_view kSaveButton = "ms_macro_btn_save";
    static constexpr std::string_view kCancelButton = "ms_macro_btn_cancel";
    // Shown while the open macro has unsaved edits.
    static constexpr std::string_view kSaveBar = "ms_macro_tab_saveorcancel";

    // The action editor (MacroActionEditor).
    static constexpr std::string_view kEditorTab = "ms_tab_macro_edit";
    static constexpr std::string_view kKeyCombo = "ms_macro_combo_keyselect";
    static constexpr std::string_view kUpDownCombo = "ms_macro_combo_upordown";
    static constexpr std::string_view kKeyPauseEdit = "ms__macro_edit_ActionDelay";
    static constexpr std::string_view kMouseCombo = "ms_macro_combo_mouselect";
    static constexpr std::string_view kDistancePanel = "ms_macro_tab_mou_pointer_skewing";
    static constexpr std::string_view kDistanceEdit = "ms_macro_edit_mou_pointer_skewing";
    static constexpr std::string_view kMousePauseEdit = "ms__macro_edit_mou_action_delay";
    // Pages of the editor tab.
    enum EditorPage : int { kNoEditor = 0, kKeyboardEditor = 1, kMouseEditor = 2 };
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

    // The mouse-action inserts (MacroInserts): the option that swaps the
    // name panel for the insert panel.
    static constexpr std::string_view kInsertOption = "ms_macro_btn_shubiao";
    static constexpr std::string_view kInsertPanel = "ms_MacroMouseEvent";
    static constexpr std::string_view kNamePanel = "ms_MacroName";

    // Recording (MacroRecording).
    static constexpr std::string_view kRecordButton = "ms_macro_btn_redio";
    static constexpr std::string_view kKeyboardOption = "ms_macro_keyboard_event";
    static constexpr std::string_view kClickOption = "ms_macro_mouse_click";
    static constexpr std::string_view kWheelOption = "ms_macro_mouse_roller";
    static constexpr std::string_view kMoveOption = "ms_macro_mouse_move";
    static constexpr std::string_view kFixedPauseOption = "ms_macro_check_time";
    static constexpr std::string_view kRecordStartText = "macro_btn_star_redio_text";
    static constexpr std::string_view kRecordStopText = "macro_btn_stop_redio_text";
    static constexpr std::string_view kRecordTip = "macro_record_tip";
    static constexpr std::string_view kRecordWindowOnlyTip = "macro_record_window_only_tip";

    // Texts the section sets from code.
    static constexpr std::array<std::string_view, 5> kCodeTexts{
        kRecordStartText, kRecordStopText, kRecordTip, kRecordWindowOnlyTip, kCaptureKeyboardBusy};

    // What needs an open macro and what recording puts out of reach.
    static constexpr std::array<std::string_view, 10> kEditingButtons{
        kUpButton,        kDownButton, kTopButton,    kBottomButton, kDeleteButton,
        kDeleteAllButton, kSaveButton, kCancelButton, kEditorTab,    kInsertPanel};
    // Beyond the editing buttons, what needs an open macro.
    static constexpr std::array<std::string_view, 7> kNeedAnOpenMacro{
        kActionList,        kRecordButton, kNameEdit,    kSaveNameButton,
        kDeleteMacroButton, kExportButton, kInsertOption};
    // Beyond the editing buttons, what recording puts out of reach.
    static constexpr std::array<std::string_view, 6> kOutOfReachWhileRecording{
        kActionList, kNameList, kInsertOption, kAddButton, kDeleteMacroButton, kImportButton};
    static constexpr std::array<std::string_view, 5> kRecordOptions{
        kKeyboardOption, kClickOption, kWheelOption, kMoveOption, kFixedPauseOption};
};

}  // namespace varlok::keys
