#include "keys/page/pagecontrols.h"

#include <algorithm>
#include <utility>

#include "platform/decimal.h"
#include "ui/controlui.h"
#include "ui/optionui.h"

namespace varlok::keys {

ui::FileDialogOptions StoreFileDialog(std::string_view extension) {
    const std::string pattern = "*." + std::string(extension);
    ui::FileDialogOptions options;
    options.defaultExtension = std::string(extension);
    options.initialName = pattern;
    options.filter = "(" + pattern + ") | " + pattern + " ||";
    options.flags = ui::FileDialogOptions::kHideReadOnly | ui::FileDialogOptions::kOverwritePrompt;
    return options;
}

bool IsOptionSelected(const ui::CPaintManagerUI& controls, std::string_view option) {
    const auto* control = controls.FindControl<ui::COptionUI>(option);
    return control != nullptr && control->IsSelected();
}

int ReadNumberEdit(ui::CPaintManagerUI& controls, std::string_view edit, int max, bool& writing) {
    auto* control = controls.FindControl(edit);
    if (control == nullptr) {
        return 0;
    }
    const int typed = platform::ParseDecimal(control->GetText());
    const int value = std::clamp(typed, 0, max);
    if (value != typed) {
        const bool wasWriting = std::exchange(writing, true);
        control->SetText(std::to_string(value));
        writing = wasWriting;
    }
    return value;
}

void SetControlEnabled(ui::CPaintManagerUI& controls, std::string_view name, bool enabled) {
    if (auto* control = controls.FindControl(name)) {
        control->SetEnabled(enabled);
    }
}

void SetControlVisible(ui::CPaintManagerUI& controls, std::string_view name, bool visible) {
    if (auto* control = controls.FindControl(name)) {
        control->SetVisible(visible);
    }
}

void SetControlText(ui::CPaintManagerUI& controls, std::string_view name, const std::string& text,
                    bool& writing) {
    if (auto* control = controls.FindControl(name)) {
        const bool wasWriting = std::exchange(writing, true);
        control->SetText(text);
        writing = wasWriting;
    }
}

}  // namespace varlok::keys
