#include "ui/optionui.h"

#include "ui/containerui.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"

namespace varlok::ui {

namespace {

// Every option of group in the tree below control.
template <class Fn>
void ForEachInGroup(CControlUI* control, const std::string& group, const Fn& fn) {
    if (control == nullptr) {
        return;
    }
    if (auto* option = dynamic_cast<COptionUI*>(control); option && option->GetGroup() == group) {
        fn(*option);
    }
    if (auto* container = dynamic_cast<CContainerUI*>(control)) {
        for (int i = 0; i < container->GetCount(); ++i) {
            ForEachInGroup(container->GetItemAt(i), group, fn);
        }
    }
}

}  // namespace

COptionUI::~COptionUI() = default;

std::string_view COptionUI::GetClass() const {
    return "OptionUI";
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
    if (m_selected == selected) {
        return;
    }
    m_selected = selected;
    Invalidate();
    if (selected && !m_group.empty() && GetManager() != nullptr) {
        ForEachInGroup(GetManager()->GetRoot(), m_group, [this, triggerEvent](COptionUI& other) {
            if (&other != this && other.IsSelected()) {
                other.Selected(false, triggerEvent);
            }
        });
    }
    if (triggerEvent) {
        SendNotify(msgtype::kSelectChanged, selected ? 1 : 0);
    }
}

void COptionUI::SetGroup(std::string_view group) {
    m_group = group;
}

void COptionUI::SetSelectedImage(std::string_view image) {
    m_selectedImage = image;
    Invalidate();
}

void COptionUI::SetSelectedHotImage(std::string_view image) {
    m_selectedHotImage = image;
    Invalidate();
}

void COptionUI::SetSelectedTextColor(Argb colour) {
    m_selectedTextColor = colour;
    Invalidate();
}

void COptionUI::SetSelectedBkColor(Argb colour) {
    m_selectedBkColor = colour;
    Invalidate();
}

void COptionUI::Activate() {
    CButtonUI::Activate();
    if (!m_group.empty()) {
        Selected(true, true);
    } else {
        Selected(!m_selected, true);
    }
}

void COptionUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "group")) {
        SetGroup(value);
    } else if (Equals(name, "selected")) {
        Selected(attr::ParseBool(value), false);
    } else if (Equals(name, "selectedimage")) {
        SetSelectedImage(value);
    } else if (Equals(name, "selectedhotimage")) {
        SetSelectedHotImage(value);
    } else if (Equals(name, "selectedtextcolor")) {
        SetSelectedTextColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "selectedbkcolor")) {
        SetSelectedBkColor(attr::ParseColour(value).value_or(0));
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void COptionUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
}

void COptionUI::PaintBkColor(PaintContext& context) {
    if (m_selected && m_selectedBkColor != 0) {
        FillBackground(context, m_selectedBkColor);
        return;
    }
    CButtonUI::PaintBkColor(context);
}

void COptionUI::PaintStatusImage(PaintContext& context) {
    if (m_selected) {
        if (IsHot() && !m_selectedHotImage.empty() && DrawImage(context, m_selectedHotImage)) {
            return;
        }
        if (!m_selectedImage.empty() && DrawImage(context, m_selectedImage)) {
            return;
        }
    }
    CButtonUI::PaintStatusImage(context);
}

Argb COptionUI::CurrentTextColor() const {
    if (m_selected && m_selectedTextColor != 0 && IsEffectivelyEnabled()) {
        return m_selectedTextColor;
    }
    return CButtonUI::CurrentTextColor();
}

}  // namespace varlok::ui
