#include "ui/buttonui.h"

#include "ui/qt/attributes.h"

namespace varlok::ui {

CButtonUI::CButtonUI() {
    SetFocusable(true);
    SetTextStyle(textstyle::kCenter | textstyle::kVCenter | textstyle::kSingleLine);
}

std::string_view CButtonUI::GetClass() const {
    return "ButtonUI";
}

void CButtonUI::SetNormalImage(std::string_view image) {
    m_normalImage = image;
    Invalidate();
}

void CButtonUI::SetHotImage(std::string_view image) {
    m_hotImage = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(std::string_view image) {
    m_pushedImage = image;
    Invalidate();
}

void CButtonUI::SetFocusedImage(std::string_view image) {
    m_focusedImage = image;
    Invalidate();
}

void CButtonUI::SetDisabledImage(std::string_view image) {
    m_disabledImage = image;
    Invalidate();
}

void CButtonUI::SetHotBkColor(Argb colour) {
    m_hotBkColor = colour;
    Invalidate();
}

void CButtonUI::SetPushedBkColor(Argb colour) {
    m_pushedBkColor = colour;
    Invalidate();
}

void CButtonUI::SetHotTextColor(Argb colour) {
    m_hotTextColor = colour;
    Invalidate();
}

void CButtonUI::SetPushedTextColor(Argb colour) {
    m_pushedTextColor = colour;
    Invalidate();
}

void CButtonUI::Activate() {
    SendNotify(msgtype::kClick);
}

void CButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "normalimage")) {
        SetNormalImage(value);
    } else if (Equals(name, "hotimage")) {
        SetHotImage(value);
    } else if (Equals(name, "pushedimage")) {
        SetPushedImage(value);
    } else if (Equals(name, "focusedimage")) {
        SetFocusedImage(value);
    } else if (Equals(name, "disabledimage")) {
        SetDisabledImage(value);
    } else if (Equals(name, "hotbkcolor")) {
        SetHotBkColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "pushedbkcolor")) {
        SetPushedBkColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "hottextcolor")) {
        SetHotTextColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "pushedtextcolor")) {
        SetPushedTextColor(attr::ParseColour(value).value_or(0));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case EventType::ButtonDown:
        case EventType::DoubleClick:
            m_pushed = true;
            Invalidate();
            return;
        case EventType::ButtonUp: {
            if (!m_pushed) {
                return;
            }
            m_pushed = false;
            Invalidate();
            const UiRect& rc = GetPos();
            const bool inside = event.ptMouse.x >= rc.left && event.ptMouse.x < rc.right &&
                                event.ptMouse.y >= rc.top && event.ptMouse.y < rc.bottom;
            if (inside && IsEffectivelyEnabled()) {
                Activate();
            }
            return;
        }
        case EventType::KeyDown:
            if (event.key == kKeySpace || event.key == kKeyReturn) {
                if (IsEffectivelyEnabled()) {
                    Activate();
                }
                return;
            }
            break;
        case EventType::MouseLeave:
            CLabelUI::DoEvent(event);
            return;
        case EventType::MouseMove:
            return;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::PaintBkColor(PaintContext& context) {
    Argb colour = GetBkColor();
    if (IsEffectivelyEnabled()) {
        if (m_pushed && m_pushedBkColor != 0) {
            colour = m_pushedBkColor;
        } else if (IsHot() && m_hotBkColor != 0) {
            colour = m_hotBkColor;
        }
    }
    FillBackground(context, colour);
}

void CButtonUI::PaintStatusImage(PaintContext& context) {
    if (!IsEffectivelyEnabled()) {
        if (!m_disabledImage.empty() && DrawImage(context, m_disabledImage)) {
            return;
        }
    } else if (m_pushed && !m_pushedImage.empty()) {
        if (DrawImage(context, m_pushedImage)) {
            return;
        }
    } else if (IsHot() && !m_hotImage.empty()) {
        if (DrawImage(context, m_hotImage)) {
            return;
        }
    } else if (IsFocused() && !m_focusedImage.empty()) {
        if (DrawImage(context, m_focusedImage)) {
            return;
        }
    }
    if (!m_normalImage.empty()) {
        DrawImage(context, m_normalImage);
    }
}

Argb CButtonUI::CurrentTextColor() const {
    if (IsEffectivelyEnabled()) {
        if (m_pushed && m_pushedTextColor != 0) {
            return m_pushedTextColor;
        }
        if (IsHot() && m_hotTextColor != 0) {
            return m_hotTextColor;
        }
    }
    return CLabelUI::CurrentTextColor();
}

}  // namespace varlok::ui
