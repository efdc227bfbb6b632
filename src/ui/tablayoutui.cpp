#include "ui/tablayoutui.h"

#include "ui/qt/attributes.h"

namespace varlok::ui {

std::string_view CTabLayoutUI::GetClass() const {
    return "TabLayoutUI";
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    if (index != m_curSel) {
        m_curSel = index;
        ShowOnly(index);
        NeedUpdate();
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* page) {
    return SelectItem(GetItemIndex(page));
}

CControlUI* CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    const int before = GetCount();
    CControlUI* added = CContainerUI::AddAt(std::move(control), index);
    if (added == nullptr) {
        return nullptr;
    }
    const int at = GetItemIndex(added);
    if (GetManager() == nullptr && at == m_initialSel) {
        // Still being built: the layout's "selectedid" page wins.
        m_curSel = at;
    } else if (m_curSel < 0 || before == 0) {
        m_curSel = at;
    } else if (at <= m_curSel) {
        ++m_curSel;
    }
    ShowOnly(m_curSel);
    return added;
}

bool CTabLayoutUI::RemoveAt(int index) {
    if (!CContainerUI::RemoveAt(index)) {
        return false;
    }
    if (index < m_curSel) {
        --m_curSel;
    } else if (index == m_curSel) {
        m_curSel = GetCount() > 0 ? std::min(index, GetCount() - 1) : -1;
    }
    ShowOnly(m_curSel);
    return true;
}

void CTabLayoutUI::RemoveAll() {
    CContainerUI::RemoveAll();
    m_curSel = -1;
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (attr::Equals(name, "selectedid")) {
        m_initialSel = attr::ParseInt(value);
        if (!SelectItem(m_initialSel) && GetCount() == 0) {
            m_curSel = -1;
        }
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::ShowOnly(int index) {
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        const bool shown = i == index;
        if (page->IsVisible() != shown) {
            page->SetVisible(shown);
        }
    }
}

}  // namespace varlok::ui
