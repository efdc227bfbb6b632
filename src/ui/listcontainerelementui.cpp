#include "ui/listcontainerelementui.h"

#include "ui/qt/listsupport.h"

namespace varlok::ui {

std::string_view CListContainerElementUI::GetClass() const {
    return "ListContainerElementUI";
}

void CListContainerElementUI::SetSelectedState(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        Invalidate();
    }
}

bool CListContainerElementUI::Select(bool select) {
    if (m_owner == nullptr) {
        SetSelectedState(select);
        return true;
    }
    return m_owner->SelectItem(select ? m_index : -1, true, true);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if ((event.type == EventType::ButtonDown || event.type == EventType::RightButtonDown) &&
        IsEffectivelyEnabled()) {
        SendNotify(msgtype::kItemClick, static_cast<WParam>(m_index));
        if (m_owner != nullptr) {
            m_owner->SelectItem(m_index, true, true);
        }
        return;
    }
    if (event.type == EventType::ButtonUp || event.type == EventType::MouseMove) {
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(PaintContext& context) {
    const Argb colour =
        qt::ListItemBkColor(m_owner, GetBkColor(), m_selected, IsHot(), IsEffectivelyEnabled());
    FillBackground(context, colour);
}

}  // namespace varlok::ui
