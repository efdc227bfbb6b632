#pragma once

// Shows one child (page) at a time.

#include "ui/containerui.h"

namespace varlok::ui {

class CTabLayoutUI : public CContainerUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;

    // The page shown, -1 when there is none.
    [[nodiscard]] int GetCurSel() const { return m_curSel; }
    // Shows page index; false (and nothing changes) when out of range.
    bool SelectItem(int index);
    bool SelectItem(CControlUI* page);

    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    void ShowOnly(int index);
    int m_curSel = -1;
    int m_initialSel = 0;
};

}  // namespace varlok::ui
