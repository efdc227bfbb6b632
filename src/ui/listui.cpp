#include "ui/listui.h"

#include "ui/qt/attributes.h"
#include "ui/qt/listsupport.h"

namespace varlok::ui {

CListUI::CListUI() {
    EnableVScroll(true);
    SetFocusable(true);
}

std::string_view CListUI::GetClass() const {
    return "ListUI";
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    const qt::SelectionChange change = qt::ApplySelection(*this, m_curSel, m_selectedItem, index);
    if (!change.selected) {
        return false;
    }
    if (change.changed) {
        EnsureVisible(index);
    }
    if (takeFocus) {
        SetFocus();
    }
    if (change.changed && triggerEvent) {
        SendNotify(msgtype::kItemSelect, static_cast<WParam>(index),
                   static_cast<LParam>(change.previous));
    }
    return true;
}

void CListUI::SetAttribute(std::string_view name, std::string_view value) {
    if (qt::SetListInfoAttribute(m_info, name, value)) {
        Invalidate();
        NeedUpdate();
        return;
    }
    if (attr::Equals(name, "selectedid")) {
        SelectItem(attr::ParseInt(value), false, false);
        return;
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::KeyDown && IsEffectivelyEnabled()) {
        if (event.key == kKeyUp && m_curSel > 0) {
            SelectItem(m_curSel - 1, true, true);
            return;
        }
        if (event.key == kKeyDown && m_curSel + 1 < GetCount()) {
            SelectItem(m_curSel + 1, true, true);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::OnItemsChanged() {
    const int index = qt::RenumberListItems(*this, this, m_selectedItem);
    m_curSel = index;
    if (index < 0) {
        m_selectedItem = nullptr;
    }
}

}  // namespace varlok::ui
