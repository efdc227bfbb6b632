#include "ui/labelui.h"

#include <QFontMetrics>

#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui {

std::string_view CLabelUI::GetClass() const {
    return "LabelUI";
}

void CLabelUI::SetTextColor(Argb colour) {
    m_textColor = colour;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(Argb colour) {
    m_disabledTextColor = colour;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    m_font = index;
    Invalidate();
}

void CLabelUI::SetTextStyle(unsigned style) {
    m_textStyle = style;
    Invalidate();
}

void CLabelUI::SetTextPadding(const UiRect& padding) {
    m_textPadding = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool html) {
    m_showHtml = html;
    Invalidate();
}

void CLabelUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "textcolor")) {
        SetTextColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "disabledtextcolor")) {
        SetDisabledTextColor(attr::ParseColour(value).value_or(0));
    } else if (Equals(name, "font")) {
        SetFont(attr::ParseInt(value));
    } else if (Equals(name, "textpadding")) {
        SetTextPadding(attr::ParseRect(value));
    } else if (Equals(name, "showhtml")) {
        SetShowHtml(attr::ParseBool(value));
    } else if (Equals(name, "autocalcwidth")) {
        m_autoWidth = attr::ParseBool(value);
        NeedParentUpdate();
    } else if (Equals(name, "align")) {
        unsigned style = m_textStyle & ~(textstyle::kCenter | textstyle::kRight);
        if (value.find("center") != std::string_view::npos) {
            style |= textstyle::kCenter;
        } else if (value.find("right") != std::string_view::npos) {
            style |= textstyle::kRight;
        }
        if (value.find("top") != std::string_view::npos) {
            style &= ~(textstyle::kVCenter | textstyle::kBottom);
        } else if (value.find("bottom") != std::string_view::npos) {
            style = (style & ~textstyle::kVCenter) | textstyle::kBottom;
        }
        SetTextStyle(style);
    } else if (Equals(name, "valign")) {
        unsigned style = m_textStyle & ~(textstyle::kVCenter | textstyle::kBottom);
        if (Equals(value, "center") || Equals(value, "vcenter")) {
            style |= textstyle::kVCenter;
        } else if (Equals(value, "bottom")) {
            style |= textstyle::kBottom;
        }
        SetTextStyle(style);
    } else if (Equals(name, "endellipsis")) {
        SetTextStyle(attr::ParseBool(value) ? (m_textStyle | textstyle::kEndEllipsis)
                                            : (m_textStyle & ~textstyle::kEndEllipsis));
    } else if (Equals(name, "multiline") || Equals(name, "wordbreak")) {
        SetTextStyle(attr::ParseBool(value)
                         ? ((m_textStyle & ~textstyle::kSingleLine) | textstyle::kWordBreak)
                         : ((m_textStyle | textstyle::kSingleLine) & ~textstyle::kWordBreak));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

Argb CLabelUI::CurrentTextColor() const {
    if (!IsEffectivelyEnabled() && m_disabledTextColor != 0) {
        return m_disabledTextColor;
    }
    return m_textColor != 0 ? m_textColor : 0xFFE6E6E6u;
}

void CLabelUI::PaintText(PaintContext& context) {
    const std::optional<TextPlacement> placement = GetTextPlacement();
    if (!placement || placement->text.empty()) {
        return;
    }
    if (placement->html) {
        CRenderEngine::DrawHtmlText(context, GetManager(), placement->box, placement->text,
                                    CurrentTextColor(), placement->font, placement->style);
    } else {
        CRenderEngine::DrawText(context, GetManager(), placement->box, placement->text,
                                CurrentTextColor(), placement->font, placement->style);
    }
}

std::optional<TextPlacement> CLabelUI::GetTextPlacement() const {
    const UiRect& rc = GetPos();
    return TextPlacement{
        GetShownText(),
        UiRect{rc.left + Scale(m_textPadding.left), rc.top + Scale(m_textPadding.top),
               rc.right - Scale(m_textPadding.right), rc.bottom - Scale(m_textPadding.bottom)},
        m_font, m_textStyle, m_showHtml};
}

UiSize CLabelUI::EstimateSize(UiSize available) const {
    UiSize size = CControlUI::EstimateSize(available);
    if (m_autoWidth && size.cx == 0) {
        const QFontMetrics metrics(qt::MakeFont(GetManager(), m_font));
        const int scaled = metrics.horizontalAdvance(qt::ToQString(GetShownText()));
        const int dpi = GetManager() != nullptr ? GetManager()->GetDPI() : 96;
        size.cx = scaled * 96 / dpi + m_textPadding.left + m_textPadding.right + 1;
    }
    return size;
}

}  // namespace varlok::ui
