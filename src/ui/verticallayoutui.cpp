#include "ui/verticallayoutui.h"

#include "ui/qt/linearlayout.h"

namespace varlok::ui {

std::string_view CVerticalLayoutUI::GetClass() const {
    return "VerticalLayoutUI";
}

int CVerticalLayoutUI::LayoutChildren(const UiRect& rc) {
    return qt::LayoutLinear(LayoutItems(), rc, true, GetChildPadding(), GetChildAlign(),
                            [this](int v) { return Scale(v); });
}

}  // namespace varlok::ui
