#pragma once

// A check box: an option that toggles on every click (groups are ignored).

#include "ui/optionui.h"

namespace varlok::ui {

class CCheckBoxUI : public COptionUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;
    [[nodiscard]] bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool triggerEvent = false) { Selected(check, triggerEvent); }
    void Activate() override;
};

}  // namespace varlok::ui
