#include "ui/listlabelelementui.h"

#include "ui/controlui.h"

#include "ui/qt/listsupport.h"

namespace varlok::ui {

namespace {
constexpr int kDefaultItemHeight = 26;
}

CListLabelElementUI::CListLabelElementUI() {
    SetTextStyle(textstyle::kVCenter | textstyle::kSingleLine | textstyle::kEndEllipsis);
}

std::string_view CListLabelElementUI::GetClass() const {
    return "ListLabelElementUI";
}

void CListLabelElementUI::SetSelectedState(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        Invalidate();
    }
}

bool CListLabelElementUI::Select(bool select) {
    if (m_owner == nullptr) {
        SetSelectedState(select);
        return true;
    }
    return m_owner->SelectItem(select ? m_index : -1, true, true);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
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
    CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(PaintContext& context) {
    const Argb colour =
        qt::ListItemBkColor(m_owner, GetBkColor(), m_selected, IsHot(), IsEffectivelyEnabled());
    FillBackground(context, colour);
}

void CListLabelElementUI::PaintStatusImage(PaintContext& context) {
    if (m_owner == nullptr) {
        return;
    }
    const TListInfoUI& info = m_owner->GetListInfo();
    if (m_selected && !info.selectedImage.empty()) {
        DrawImage(context, info.selectedImage);
    } else if (IsHot() && !info.hotImage.empty()) {
        DrawImage(context, info.hotImage);
    } else if (!info.bkImage.empty()) {
        DrawImage(context, info.bkImage);
    }
    if (info.lineColor != 0) {
        const UiRect& rc = GetPos();
        CRenderEngine::DrawColor(context, UiRect{rc.left, rc.bottom - 1, rc.right, rc.bottom},
                                 info.lineColor);
    }
}

void CListLabelElementUI::PaintText(PaintContext& context) {
    if (m_owner == nullptr) {
        CLabelUI::PaintText(context);
        return;
    }
    const TListInfoUI& info = m_owner->GetListInfo();
    Argb colour = GetTextColor() != 0 ? GetTextColor() : info.textColor;
    if (!IsEffectivelyEnabled()) {
        colour = info.disabledTextColor;
    } else if (m_selected && info.selectedTextColor != 0) {
        colour = info.selectedTextColor;
    } else if (IsHot() && info.hotTextColor != 0) {
        colour = info.hotTextColor;
    }
    if (const std::optional<TextPlacement> placement = GetTextPlacement()) {
        CRenderEngine::DrawText(context, GetManager(), placement->box, placement->text, colour,
                                placement->font, placement->style);
    }
}

std::optional<TextPlacement> CListLabelElementUI::GetTextPlacement() const {
    if (m_owner == nullptr) {
        return CLabelUI::GetTextPlacement();
    }
    const TListInfoUI& info = m_owner->GetListInfo();
    const UiRect& rc = GetPos();
    const UiRect pad = info.textPadding;
    return TextPlacement{GetShownText(),
                         UiRect{rc.left + Scale(pad.left), rc.top + Scale(pad.top),
                                rc.right - Scale(pad.right), rc.bottom - Scale(pad.bottom)},
                         GetFont() >= 0 ? GetFont() : info.font,
                         info.textStyle | textstyle::kEndEllipsis};
}

UiSize CListLabelElementUI::EstimateSize(UiSize available) const {
    UiSize size = CLabelUI::EstimateSize(available);
    if (size.cy == 0) {
        const int listHeight = m_owner != nullptr ? m_owner->GetListInfo().itemHeight : 0;
        size.cy = listHeight > 0 ? listHeight : kDefaultItemHeight;
    }
    return size;
}

}  // namespace varlok::ui
