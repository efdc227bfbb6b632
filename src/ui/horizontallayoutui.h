#pragma once

// Places children left to right: fixed widths first, the rest of the width
// shared equally by the others; each child takes the full height unless it
// has a fixed height (then it sits at the top, or as "childvalign" says).

#include "ui/containerui.h"

namespace varlok::ui {

class CHorizontalLayoutUI : public CContainerUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;

protected:
    int LayoutChildren(const UiRect& rc) override;
};

}  // namespace varlok::ui
