#include "ui/qt/listsupport.h"

#include "ui/containerui.h"
#include "ui/qt/attributes.h"

namespace varlok::ui::qt {

bool SetListInfoAttribute(TListInfoUI& info, std::string_view name, std::string_view value) {
    using attr::Equals;
    const auto colour = [&value]() { return attr::ParseColour(value).value_or(0); };
    if (Equals(name, "itemfont")) {
        info.font = attr::ParseInt(value);
    } else if (Equals(name, "itemalign")) {
        info.textStyle &= ~(textstyle::kCenter | textstyle::kRight);
        if (Equals(value, "center")) {
            info.textStyle |= textstyle::kCenter;
        } else if (Equals(value, "right")) {
            info.textStyle |= textstyle::kRight;
        }
    } else if (Equals(name, "itemtextpadding")) {
        info.textPadding = attr::ParseRect(value);
    } else if (Equals(name, "itemtextcolor")) {
        info.textColor = colour();
    } else if (Equals(name, "itembkcolor")) {
        info.bkColor = colour();
    } else if (Equals(name, "itembkimage")) {
        info.bkImage = value;
    } else if (Equals(name, "itemhottextcolor")) {
        info.hotTextColor = colour();
    } else if (Equals(name, "itemhotbkcolor")) {
        info.hotBkColor = colour();
    } else if (Equals(name, "itemhotimage")) {
        info.hotImage = value;
    } else if (Equals(name, "itemselectedtextcolor")) {
        info.selectedTextColor = colour();
    } else if (Equals(name, "itemselectedbkcolor")) {
        info.selectedBkColor = colour();
    } else if (Equals(name, "itemselectedimage")) {
        info.selectedImage = value;
    } else if (Equals(name, "itemdisabledtextcolor")) {
        info.disabledTextColor = colour();
    } else if (Equals(name, "itemlinecolor")) {
        info.lineColor = colour();
    } else if (Equals(name, "itemheight")) {
        info.itemHeight = attr::ParseInt(value);
    } else {
        return false;
    }
    return true;
}

int RenumberListItems(CContainerUI& container, IListOwnerUI* owner, const CControlUI* selected) {
    int selectedIndex = -1;
    int next = 0;
    for (int i = 0; i < container.GetCount(); ++i) {
        CControlUI* control = container.GetItemAt(i);
        if (control == selected) {
            selectedIndex = i;
        }
        if (auto* item = dynamic_cast<IListItemUI*>(control)) {
            item->SetOwner(owner);
            item->SetIndex(next);
        }
        ++next;
    }
    return selectedIndex;
}

Argb ListItemBkColor(const IListOwnerUI* owner, Argb own, bool selected, bool hot, bool enabled) {
    if (owner == nullptr) {
        return own;
    }
    const TListInfoUI& info = owner->GetListInfo();
    if (selected && info.selectedBkColor != 0) {
        return info.selectedBkColor;
    }
    if (hot && enabled && info.hotBkColor != 0) {
        return info.hotBkColor;
    }
    return own != 0 ? own : info.bkColor;
}

SelectionChange ApplySelection(CContainerUI& container, int& curSel,
                               const CControlUI*& selectedItem, int index) {
    SelectionChange change;
    change.previous = curSel;
    auto* target = dynamic_cast<IListItemUI*>(container.GetItemAt(index));
    if (target != nullptr && index == curSel) {
        change.selected = true;
        return change;
    }
    if (auto* old = dynamic_cast<IListItemUI*>(container.GetItemAt(curSel))) {
        old->SetSelectedState(false);
    }
    if (target == nullptr) {
        curSel = -1;
        selectedItem = nullptr;
        return change;
    }
    target->SetSelectedState(true);
    curSel = index;
    selectedItem = container.GetItemAt(index);
    change.selected = true;
    change.changed = true;
    return change;
}

}  // namespace varlok::ui::qt
