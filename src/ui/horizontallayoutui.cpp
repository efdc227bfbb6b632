#include "ui/horizontallayoutui.h"

#include "ui/qt/linearlayout.h"

namespace varlok::ui {

std::string_view CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayoutUI";
}

int CHorizontalLayoutUI::LayoutChildren(const UiRect& rc) {
    return qt::LayoutLinear(LayoutItems(), rc, false, GetChildPadding(), GetChildAlign(),
                            [this](int v) { return Scale(v); });
}

}  // namespace varlok::ui
