#pragma once

// A list row that holds controls (laid out left to right). A press on the
// row or on a child that does not handle the press itself sends "itemclick"
// (sender: the row), then selects the row through its list.

#include "ui/horizontallayoutui.h"
#include "ui/listinfo.h"

namespace varlok::ui {

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] int GetIndex() const override { return m_index; }
    void SetIndex(int index) override { m_index = index; }
    [[nodiscard]] IListOwnerUI* GetOwner() const override { return m_owner; }
    void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
    [[nodiscard]] bool IsSelected() const override { return m_selected; }
    void SetSelectedState(bool selected) override;
    bool Select(bool select = true);

    void DoEvent(TEventUI& event) override;
    void PaintBkColor(PaintContext& context) override;

protected:
    [[nodiscard]] bool NotifiesHover() const override { return true; }

private:
    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
};

}  // namespace varlok::ui
