#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/keyfunctioneditor.h"
#include "ui/paintmanagerui.h"

namespace varlok::keys {

// The controls of the key page's function editor, as tables: which combo or
// edit holds which field of a KeyFunctionEditor, and the limits of each edit.
// Reads the editor out of the controls and shows it in them; a control the
// layout lacks is skipped. Thread affinity: the UI thread.
class KeyEditorControls {
public:
    static constexpr std::string_view kCategoryCombo = "ms_key_fct_combo";
    static constexpr std::string_view kComboPrefix = "ms_key_fct_combo_";
    static constexpr std::string_view kEditPrefix = "ms_key_fct_edit_";
    static constexpr std::string_view kCategoryPagePrefix = "ms_tab_function_";
    // The repeat count's part of the macro sub-page and its run-mode combo.
    static constexpr std::string_view kCountPart = "ms_tab_function_26";
    static constexpr int kRunModeCombo = 24;
    // Shows the captured key's name (read only).
    static constexpr std::string_view kCapturedKey = "ms_key_fct_edit_21";

    // controls must outlive this object.
    explicit KeyEditorControls(ui::CPaintManagerUI& controls) : m_controls(controls) {}

    // Fills the combos of the value lists (language keys, in list order).
    void FillValueLists();
    // Replaces the macro combo's items with the macro list's names (plain
    // text) and selects `selected` when the list holds it.
    void FillMacros(const std::vector<std::string>& names, std::optional<int> selected);

    // Whether `number` is one of the editor's combos / edits (the part of
    // their names after the prefix).
    [[nodiscard]] static bool IsParameterCombo(int number);
    [[nodiscard]] static bool IsParameterEdit(int number);

    // The numbers typed into edit `number`, limited as the edit allows; a
    // limited value is written back into the edit. Text that is no number
    // reads as 0 (then limited).
    int ReadEdit(int number);
    // Every combo's selection and every edit's number into the editor (the
    // category and the keyboard key are the page's; they are left alone).
    void Read(KeyFunctionEditor& editor);
    // The editor into the controls, without any notification; shows the
    // category's sub-page.
    void Show(const KeyFunctionEditor& editor);
    // Shows sub-page `category` and hides the others.
    void ShowCategoryPage(int category);
    // The repeat count's part, shown for the counted run mode only.
    void ShowCountPart(int runMode);
    // The captured key's name: its language key, or empty for none.
    void ShowCapturedKey(const std::optional<KeyFunction>& key);

    [[nodiscard]] static std::string ComboName(int number);
    [[nodiscard]] static std::string EditName(int number);

private:
    void SelectCombo(std::string_view name, int index);

    ui::CPaintManagerUI& m_controls;
};

}  // namespace varlok::keys
