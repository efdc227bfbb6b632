#pragma once

// What lists and combo boxes share in their implementation: the item*
// attributes, item numbering, item state colours and the selection rule.

#include <string_view>

#include "ui/listinfo.h"

namespace varlok::ui {
class CContainerUI;
class CControlUI;
}  // namespace varlok::ui

namespace varlok::ui::qt {

// Applies one item* attribute; false when the name is not one of them.
bool SetListInfoAttribute(TListInfoUI& info, std::string_view name, std::string_view value);
// Gives every item of container its owner and index; returns the index of
// selected among them (-1 when it is no longer there).
int RenumberListItems(CContainerUI& container, IListOwnerUI* owner, const CControlUI* selected);
// The background of an item in its state (own colour when set, else the
// owner's item colours).
Argb ListItemBkColor(const IListOwnerUI* owner, Argb own, bool selected, bool hot, bool enabled);

// The selection rule of lists and combo boxes. Changes curSel and the items'
// looks; returns true when an item was selected. Notification is the
// caller's: notify is set when the selection changed to a valid item.
struct SelectionChange {
    bool selected = false;
    bool changed = false;
    int previous = -1;
};
SelectionChange ApplySelection(CContainerUI& container, int& curSel,
                               const CControlUI*& selectedItem, int index);

}  // namespace varlok::ui::qt
