#pragma once

// A one-line text item of a list or combo box. A press sends "itemclick"
// (sender: the item), then selects it through its owner ("itemselect" from
// the owner when the selection changes).

#include "ui/labelui.h"
#include "ui/listinfo.h"

namespace varlok::ui {

class CListLabelElementUI : public CLabelUI, public IListItemUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    CListLabelElementUI();
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] int GetIndex() const override { return m_index; }
    void SetIndex(int index) override { m_index = index; }
    [[nodiscard]] IListOwnerUI* GetOwner() const override { return m_owner; }
    void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
    [[nodiscard]] bool IsSelected() const override { return m_selected; }
    void SetSelectedState(bool selected) override;
    // Selects this item through its owner (with "itemselect").
    bool Select(bool select = true);

    void DoEvent(TEventUI& event) override;
    void PaintBkColor(PaintContext& context) override;
    void PaintStatusImage(PaintContext& context) override;
    void PaintText(PaintContext& context) override;
    // Placed with its owner's item padding, font and style.
    [[nodiscard]] std::optional<TextPlacement> GetTextPlacement() const override;
    [[nodiscard]] UiSize EstimateSize(UiSize available) const override;

private:
    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
};

}  // namespace varlok::ui
