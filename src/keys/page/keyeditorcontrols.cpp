#include "keys/page/keyeditorcontrols.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "keys/keynametable.h"
#include "keys/keyvaluelists.h"
#include "platform/decimal.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/listlabelelementui.h"

namespace varlok::keys {

namespace {

using Field = int& (*)(KeyFunctionEditor&);

// A combo of the editor: its number and the field its selected index sets
// (none for the device-function list, whose one entry needs no choice).
struct ComboField {
    int number;
    Field field;
};

constexpr int kMacroCombo = 23;

constexpr std::array<ComboField, 11> kCombos{{
    {11, [](KeyFunctionEditor& e) -> int& { return e.mouseButton; }},
    {12, [](KeyFunctionEditor& e) -> int& { return e.horizontal.direction; }},
    {13, [](KeyFunctionEditor& e) -> int& { return e.vertical.direction; }},
    {14, [](KeyFunctionEditor& e) -> int& { return e.dpi; }},
    {15, nullptr},
    {21, [](KeyFunctionEditor& e) -> int& { return e.multimedia; }},
    {22, [](KeyFunctionEditor& e) -> int& { return e.system; }},
    {kMacroCombo, nullptr},  // the macro choice is optional: see Read and Show
    {KeyEditorControls::kRunModeCombo, [](KeyFunctionEditor& e) -> int& { return e.runMode; }},
    {25, [](KeyFunctionEditor& e) -> int& { return e.cursorScript; }},
    {26, [](KeyFunctionEditor& e) -> int& { return e.shortcut; }},
}};

// An edit of the editor: its number, its field and the values it takes.
struct EditField {
    int number;
    Field field;
    int min;
    int max;
};

constexpr std::array<EditField, 9> kEdits{{
    {11, [](KeyFunctionEditor& e) -> int& { return e.fireFirst; }, 0, 255},
    {12, [](KeyFunctionEditor& e) -> int& { return e.fireSecond; }, 0, 255},
    {15, [](KeyFunctionEditor& e) -> int& { return e.horizontal.amount; }, 0, 127},
    {16, [](KeyFunctionEditor& e) -> int& { return e.vertical.amount; }, 0, 127},
    {17, [](KeyFunctionEditor& e) -> int& { return e.horizontal.highNibble; }, 0, 15},
    {18, [](KeyFunctionEditor& e) -> int& { return e.vertical.highNibble; }, 0, 15},
    {19, [](KeyFunctionEditor& e) -> int& { return e.vertical.lowNibble; }, 0, 15},
    {20, [](KeyFunctionEditor& e) -> int& { return e.horizontal.lowNibble; }, 0, 15},
    {25, [](KeyFunctionEditor& e) -> int& { return e.repeatCount; }, 1, 255},
}};

const EditField* FindEdit(int number) {
    const auto* found = std::ranges::find(kEdits, number, &EditField::number);
    return found == kEdits.end() ? nullptr : found;
}

// The value lists' items are as high as the category combo's; the macro
// combo's are as high as the macro section's combos.
constexpr int kValueItemHeight = 26;
constexpr int kMacroItemHeight = 30;

std::unique_ptr<ui::CListLabelElementUI> Item(std::string_view text, bool languageKey, int height) {
    auto item = std::make_unique<ui::CListLabelElementUI>();
    item->SetResourceText(languageKey);
    item->SetText(text);
    item->SetFixedHeight(height);
    return item;
}

}  // namespace

std::string KeyEditorControls::ComboName(int number) {
    return std::string(kComboPrefix) + std::to_string(number);
}

std::string KeyEditorControls::EditName(int number) {
    return std::string(kEditPrefix) + std::to_string(number);
}

bool KeyEditorControls::IsParameterCombo(int number) {
    return std::ranges::find(kCombos, number, &ComboField::number) != kCombos.end();
}

bool KeyEditorControls::IsParameterEdit(int number) {
    return FindEdit(number) != nullptr;
}

void KeyEditorControls::FillValueLists() {
    for (const KeyValueListInfo& info : AllLists()) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(info.combo);
        if (combo == nullptr) {
            continue;
        }
        combo->RemoveAll();
        for (const KeyValue& value : info.values) {
            combo->Add(Item(value.label, true, kValueItemHeight));
        }
        combo->SelectItem(0, false, false);
    }
}

void KeyEditorControls::FillMacros(const std::vector<std::string>& names,
                                   std::optional<int> selected) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(ComboName(kMacroCombo));
    if (combo == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const std::string& name : names) {
        // The user's own text, never a language key.
        combo->Add(Item(name, false, kMacroItemHeight));
    }
    const bool held = selected && *selected >= 0 && *selected < combo->GetCount();
    combo->SelectItem(held ? *selected : -1, false, false);
}

int KeyEditorControls::ReadEdit(int number) {
    const EditField* edit = FindEdit(number);
    ui::CControlUI* control = m_controls.FindControl(EditName(number));
    if (edit == nullptr || control == nullptr) {
        return 0;
    }
    const int typed = platform::ParseDecimal(control->GetText());
    const int value = std::clamp(typed, edit->min, edit->max);
    if (value != typed) {
        control->SetText(std::to_string(value));
    }
    return value;
}

void KeyEditorControls::Read(KeyFunctionEditor& editor) {
    for (const ComboField& combo : kCombos) {
        const auto* control = m_controls.FindControl<ui::CComboUI>(ComboName(combo.number));
        if (control == nullptr) {
            continue;
        }
        const int index = control->GetCurSel();
        if (combo.number == kMacroCombo) {
            editor.macro = index >= 0 ? std::optional(index) : std::nullopt;
        } else if (combo.field != nullptr) {
            combo.field(editor) = index;
        }
    }
    for (const EditField& edit : kEdits) {
        if (m_controls.FindControl(EditName(edit.number)) != nullptr) {
            edit.field(editor) = ReadEdit(edit.number);
        }
    }
}

void KeyEditorControls::Show(const KeyFunctionEditor& editor) {
    // The fields are read through the table's accessors, which want a
    // modifiable editor; this copy is only read.
    KeyFunctionEditor shown = editor;
    for (const ComboField& combo : kCombos) {
        if (combo.number == kMacroCombo) {
            SelectCombo(ComboName(combo.number), shown.macro.value_or(-1));
        } else if (combo.field != nullptr) {
            SelectCombo(ComboName(combo.number), combo.field(shown));
        }
    }
    for (const EditField& edit : kEdits) {
        if (ui::CControlUI* control = m_controls.FindControl(EditName(edit.number))) {
            control->SetText(std::to_string(edit.field(shown)));
        }
    }
    ShowCapturedKey(editor.keyboardKey);
    ShowCountPart(editor.runMode);
    SelectCombo(kCategoryCombo, static_cast<int>(editor.category));
    ShowCategoryPage(static_cast<int>(editor.category));
}

void KeyEditorControls::ShowCategoryPage(int category) {
    for (int page = 0; page < static_cast<int>(kKeyCategoryCount); ++page) {
        const std::string name = std::string(kCategoryPagePrefix) + std::to_string(page);
        if (ui::CControlUI* control = m_controls.FindControl(name)) {
            control->SetVisible(page == category);
        }
    }
}

void KeyEditorControls::ShowCountPart(int runMode) {
    if (ui::CControlUI* control = m_controls.FindControl(kCountPart)) {
        control->SetVisible(runMode == KeyFunctionEditor::kCountedRunMode);
    }
}

void KeyEditorControls::ShowCapturedKey(const std::optional<KeyFunction>& key) {
    ui::CControlUI* control = m_controls.FindControl(kCapturedKey);
    if (control == nullptr) {
        return;
    }
    const std::optional<std::size_t> row =
        key ? KeyNameTable::FindKeyboardCode(*key) : std::nullopt;
    control->SetResourceText(row.has_value());
    control->SetText(row ? KeyNameTable::Rows()[*row].LanguageKey() : std::string());
}

void KeyEditorControls::SelectCombo(std::string_view name, int index) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(name);
    if (combo == nullptr) {
        return;
    }
    // An index the combo does not hold leaves it as it was; -1 clears it.
    if (index < combo->GetCount()) {
        combo->SelectItem(index, false, false);
    }
}

}  // namespace varlok::keys
