#pragma once

// A scrolling list of items (CListLabelElementUI or CListContainerElementUI
// rows) with one selected item.

#include "ui/listinfo.h"
#include "ui/verticallayoutui.h"

namespace varlok::ui {

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    [[nodiscard]] std::string_view GetClass() const override;

    // Items are the children; Add/AddAt/Remove/RemoveAt/RemoveAll/GetCount/
    // GetItemAt of the container. Removing the selected item clears the
    // selection (without a notification); removing one above it keeps the
    // same item selected.
    [[nodiscard]] int GetCurSel() const override { return m_curSel; }
    // Selects item index. Sends "itemselect" (wParam new, lParam previous
    // index) only when the selection changes and triggerEvent is set. An
    // index of -1 (or out of range) clears the selection without a
    // notification and returns false.
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    [[nodiscard]] const TListInfoUI& GetListInfo() const override { return m_info; }
    TListInfoUI& ListInfo() { return m_info; }
    [[nodiscard]] CControlUI* GetOwnerControl() override { return this; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;

protected:
    void OnItemsChanged() override;
    [[nodiscard]] bool NotifiesHover() const override { return false; }

private:
    TListInfoUI m_info;
    int m_curSel = -1;
    const CControlUI* m_selectedItem = nullptr;
};

}  // namespace varlok::ui
