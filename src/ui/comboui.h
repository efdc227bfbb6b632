#pragma once

// A drop-down list: shows the selected item's text; a click opens the list
// of items below it, a click on an item selects it and closes the list.
// Items are CListLabelElementUI children (the <Combo> element's children in
// a layout).

#include "ui/containerui.h"
#include "ui/listinfo.h"

namespace varlok::ui {

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] int GetCurSel() const override { return m_curSel; }
    // As CListUI::SelectItem: "itemselect" only on a change and when
    // triggerEvent is set; -1 clears without a notification.
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    [[nodiscard]] const TListInfoUI& GetListInfo() const override { return m_info; }
    TListInfoUI& ListInfo() { return m_info; }
    [[nodiscard]] CControlUI* GetOwnerControl() override { return this; }
    // The selected item's text (empty without a selection).
    [[nodiscard]] std::string GetText() const override;

    // Opens / closes the drop-down list.
    void ShowDropDown();
    void CloseDropDown();
    [[nodiscard]] bool IsDropDownOpen() const;

    // Drop-down size in 96-dpi units (width 0: as wide as the combo).
    void SetDropBoxSize(UiSize size);

    void SetNormalImage(std::string_view image);
    void SetHotImage(std::string_view image);
    void SetPushedImage(std::string_view image);
    void SetDisabledImage(std::string_view image);

    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const UiRect& rc) override;
    void SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init = true) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(PaintContext& context, const UiRect& paint) override;
    // The selected item's text in the box beside the arrow (an empty text
    // without a selection).
    [[nodiscard]] std::optional<TextPlacement> GetTextPlacement() const override;
    [[nodiscard]] CControlUI* FindControlAt(UiPoint pt) override;
    [[nodiscard]] UiPoint GetChildWidgetOrigin() const override;

protected:
    [[nodiscard]] bool NotifiesHover() const override { return true; }
    int LayoutChildren(const UiRect& rc) override;
    void OnItemsChanged() override;

private:
    class DropDown;
    std::unique_ptr<DropDown> m_dropDown;
    TListInfoUI m_info;
    int m_curSel = -1;
    const CControlUI* m_selectedItem = nullptr;
    UiSize m_dropBoxSize{0, 150};
    UiRect m_textPadding{8, 0, 24, 0};
    std::string m_normalImage;
    std::string m_hotImage;
    std::string m_pushedImage;
    std::string m_disabledImage;
    Argb m_textColor = 0;
    Argb m_arrowColor = 0;
    int m_font = -1;
    bool m_pushed = false;
};

}  // namespace varlok::ui
