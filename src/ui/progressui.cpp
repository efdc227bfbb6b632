#include "ui/progressui.h"

#include <algorithm>

#include "ui/qt/attributes.h"
#include "ui/renderengine.h"

namespace varlok::ui {

CProgressUI::CProgressUI() {
    SetTextStyle(textstyle::kCenter | textstyle::kVCenter | textstyle::kSingleLine);
}

std::string_view CProgressUI::GetClass() const {
    return "ProgressUI";
}

void CProgressUI::SetHorizontal(bool horizontal) {
    m_horizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int min) {
    m_min = min;
    if (m_max < m_min) {
        m_max = m_min;
    }
    m_value = std::clamp(m_value, m_min, m_max);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_max = max;
    if (m_min > m_max) {
        m_min = m_max;
    }
    m_value = std::clamp(m_value, m_min, m_max);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    const int clamped = std::clamp(value, m_min, m_max);
    if (clamped != m_value) {
        m_value = clamped;
        Invalidate();
    }
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "hor")) {
        SetHorizontal(attr::ParseBool(value));
    } else if (Equals(name, "min")) {
        SetMinValue(attr::ParseInt(value));
    } else if (Equals(name, "max")) {
        SetMaxValue(attr::ParseInt(value));
    } else if (Equals(name, "value")) {
        SetValue(attr::ParseInt(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::DoPaint(PaintContext& context, const UiRect& /*paint*/) {
    PaintBkColor(context);
    PaintBkImage(context);
    PaintForeColor(context);
    PaintForeImage(context);
    PaintText(context);
    PaintBorder(context);
}

UiRect CProgressUI::FilledRect() const {
    UiRect rc = GetPos();
    const int range = m_max - m_min;
    if (range <= 0) {
        return rc;
    }
    const double share = static_cast<double>(m_value - m_min) / range;
    if (m_horizontal) {
        rc.right = rc.left + static_cast<int>(rc.Width() * share + 0.5);
    } else {
        rc.top = rc.bottom - static_cast<int>(rc.Height() * share + 0.5);
    }
    return rc;
}

void CProgressUI::PaintForeColor(PaintContext& context) {
    const UiRect rc = FilledRect();
    if (rc.Width() > 0 && rc.Height() > 0) {
        CRenderEngine::DrawColor(context, rc, GetForeColor());
    }
}

void CProgressUI::PaintForeImage(PaintContext& context) {
    if (GetForeImage().empty()) {
        return;
    }
    const UiRect rc = FilledRect();
    if (rc.Width() > 0 && rc.Height() > 0) {
        CRenderEngine::DrawImageString(context, GetManager(), GetPos(), rc, GetForeImage());
    }
}

}  // namespace varlok::ui
