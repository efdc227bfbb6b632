#pragma once

// Stacks children top to bottom: fixed heights first, the rest of the height
// shared equally by the others; each child takes the full width unless it
// has a fixed width (then it sits at the left, or as "childalign" says).

#include "ui/containerui.h"

namespace varlok::ui {

class CVerticalLayoutUI : public CContainerUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;

protected:
    int LayoutChildren(const UiRect& rc) override;
};

}  // namespace varlok::ui
