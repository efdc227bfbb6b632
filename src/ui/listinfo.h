#pragma once

// What lists and combo boxes share with their items: the look of items in
// each state, and the two small interfaces between an item and its owner.

#include <string>

#include "ui/renderengine.h"
#include "ui/uitypes.h"

namespace varlok::ui {

class CControlUI;

// Item appearance, set by the owner's item* attributes.
struct TListInfoUI {
    int font = -1;
    unsigned textStyle = textstyle::kVCenter | textstyle::kSingleLine;
    UiRect textPadding{6, 0, 6, 0};
    Argb textColor = 0xFFDDDDDD;
    Argb bkColor = 0;
    std::string bkImage;
    Argb hotTextColor = 0;
    Argb hotBkColor = 0;
    std::string hotImage;
    Argb selectedTextColor = 0;
    Argb selectedBkColor = 0;
    std::string selectedImage;
    Argb disabledTextColor = 0xFF777777;
    Argb lineColor = 0;
    int itemHeight = 0;  // 0: the item's own fixed height, else this
};

// The list or combo box that owns items.
class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    [[nodiscard]] virtual const TListInfoUI& GetListInfo() const = 0;
    [[nodiscard]] virtual int GetCurSel() const = 0;
    // See CListUI::SelectItem.
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
    // The owner's control (the notification sender for "itemselect").
    [[nodiscard]] virtual CControlUI* GetOwnerControl() = 0;
};

// An item of a list or combo box.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    [[nodiscard]] virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    [[nodiscard]] virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(IListOwnerUI* owner) = 0;
    [[nodiscard]] virtual bool IsSelected() const = 0;
    // Sets the item's look only; selection logic lives in the owner.
    virtual void SetSelectedState(bool selected) = 0;
};

}  // namespace varlok::ui
