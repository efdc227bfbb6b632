#include "ui/checkboxui.h"

namespace varlok::ui {

std::string_view CCheckBoxUI::GetClass() const {
    return "CheckBoxUI";
}

void CCheckBoxUI::Activate() {
    CButtonUI::Activate();
    Selected(!IsSelected(), true);
}

}  // namespace varlok::ui
