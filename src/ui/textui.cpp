#include "ui/textui.h"

namespace varlok::ui {

CTextUI::CTextUI() {
    SetTextStyle(textstyle::kWordBreak);
}

std::string_view CTextUI::GetClass() const {
    return "TextUI";
}

}  // namespace varlok::ui
