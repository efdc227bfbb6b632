#include "ui/comboui.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/dropdownwidget.h"
#include "ui/qt/listsupport.h"
#include "ui/qt/paintcontext.h"
#include "ui/qt/windowwidget.h"

namespace varlok::ui {

class CComboUI::DropDown {
public:
    explicit DropDown(CComboUI& combo) : m_combo(combo) {
        m_widget.SetOnHidden([this]() { m_combo.m_pushed = false, m_combo.Invalidate(); });
        m_widget.onWheel = [this](int delta) { Scroll(delta); };
    }
    ~DropDown() { m_widget.SetOnHidden(nullptr); }
    DropDown(const DropDown&) = delete;
    DropDown& operator=(const DropDown&) = delete;

    qt::DropDownWidget& Widget() { return m_widget; }
    [[nodiscard]] int ScrollPos() const { return m_scroll; }

    void Scroll(int delta) {
        const int limit = std::max(0, m_contentHeight - m_widget.height());
        const int pos = std::clamp(m_scroll - delta * m_combo.Scale(26) / 120, 0, limit);
        if (pos != m_scroll) {
            m_scroll = pos;
            m_combo.LayoutChildren(UiRect{});
        }
    }
    void SetContentHeight(int height) { m_contentHeight = height; }
    void EnsureVisible(const UiRect& item) {
        if (item.top < 0) {
            m_scroll += item.top;
        } else if (item.bottom > m_widget.height()) {
            m_scroll += item.bottom - m_widget.height();
        }
    }

private:
    CComboUI& m_combo;
    qt::DropDownWidget m_widget;
    int m_scroll = 0;
    int m_contentHeight = 0;
};

CComboUI::CComboUI() : m_dropDown(std::make_unique<DropDown>(*this)) {
    SetFocusable(true);
    m_info.textPadding = UiRect{8, 0, 8, 0};
}

CComboUI::~CComboUI() {
    // Items first: their widgets live in the drop-down.
    CContainerUI::RemoveAll();
}

std::string_view CComboUI::GetClass() const {
    return "ComboUI";
}

UiPoint CComboUI::GetChildWidgetOrigin() const {
    return UiPoint{0, 0};
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    const qt::SelectionChange change = qt::ApplySelection(*this, m_curSel, m_selectedItem, index);
    if (IsDropDownOpen()) {
        CloseDropDown();
    }
    if (!change.selected) {
        Invalidate();
        return false;
    }
    Invalidate();
    if (takeFocus) {
        SetFocus();
    }
    if (change.changed && triggerEvent) {
        SendNotify(msgtype::kItemSelect, static_cast<WParam>(index),
                   static_cast<LParam>(change.previous));
    }
    return true;
}

std::string CComboUI::GetText() const {
    const CControlUI* item = GetItemAt(m_curSel);
    return item != nullptr ? item->GetText() : std::string();
}

void CComboUI::ShowDropDown() {
    if (GetCount() == 0 || !IsEffectivelyEnabled()) {
        return;
    }
    qt::DropDownWidget& popup = m_dropDown->Widget();
    const UiRect& rc = GetPos();
    int height = 0;
    for (CControlUI* item : LayoutItems()) {
        const UiRect pad = item->GetPadding();
        height += Scale(item->EstimateSize(UiSize{}).cy) + Scale(pad.top) + Scale(pad.bottom);
    }
    const int width = m_dropBoxSize.cx > 0 ? Scale(m_dropBoxSize.cx) : rc.Width();
    const int maxHeight = m_dropBoxSize.cy > 0 ? Scale(m_dropBoxSize.cy) : height;
    popup.resize(width, std::max(1, std::min(height + 2, maxHeight)));
    const QPoint below = Widget().mapToGlobal(QPoint(0, rc.Height()));
    popup.move(below);
    m_pushed = true;
    popup.show();
    LayoutChildren(UiRect{});
    if (const CControlUI* selected = GetItemAt(m_curSel)) {
        m_dropDown->EnsureVisible(selected->GetPos());
        LayoutChildren(UiRect{});
    }
    Invalidate();
}

void CComboUI::CloseDropDown() {
    m_dropDown->Widget().hide();
    m_pushed = false;
    Invalidate();
}

bool CComboUI::IsDropDownOpen() const {
    return m_dropDown->Widget().isVisible();
}

void CComboUI::SetDropBoxSize(UiSize size) {
    m_dropBoxSize = size;
}

void CComboUI::SetNormalImage(std::string_view image) {
    m_normalImage = image;
    Invalidate();
}

void CComboUI::SetHotImage(std::string_view image) {
    m_hotImage = image;
    Invalidate();
}

void CComboUI::SetPushedImage(std::string_view image) {
    m_pushedImage = image;
    Invalidate();
}

void CComboUI::SetDisabledImage(std::string_view image) {
    m_disabledImage = image;
    Invalidate();
}

CControlUI* CComboUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    CControlUI* added = CContainerUI::AddAt(std::move(control), index);
    if (added != nullptr) {
        added->Widget().setParent(&m_dropDown->Widget());
        added->Widget().setVisible(added->IsVisible());
    }
    return added;
}

bool CComboUI::RemoveAt(int index) {
    return CContainerUI::RemoveAt(index);
}

void CComboUI::RemoveAll() {
    CContainerUI::RemoveAll();
    m_curSel = -1;
    m_selectedItem = nullptr;
    Invalidate();
}

void CComboUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (qt::SetListInfoAttribute(m_info, name, value)) {
        return;
    }
    if (Equals(name, "dropboxsize")) {
        SetDropBoxSize(attr::ParseSize(value));
    } else if (Equals(name, "normalimage")) {
        SetNormalImage(value);
    } else if (Equals(name, "hotimage")) {
        SetHotImage(value);
    } else if (Equals(name, "pushedimage")) {
        SetPushedImage(value);
    } else if (Equals(name, "disabledimage")) {
        SetDisabledImage(value);
    } else if (Equals(name, "textcolor")) {
        m_textColor = attr::ParseColour(value).value_or(0);
    } else if (Equals(name, "arrowcolor")) {
        m_arrowColor = attr::ParseColour(value).value_or(0);
    } else if (Equals(name, "font")) {
        m_font = attr::ParseInt(value);
    } else if (Equals(name, "textpadding")) {
        m_textPadding = attr::ParseRect(value);
    } else if (Equals(name, "dropbkcolor")) {
        m_dropDown->Widget().SetColours(qt::ToQColor(attr::ParseColour(value).value_or(0)),
                                        QColor(0x3D, 0xB8, 0xFF, 0x90));
    } else if (Equals(name, "selectedid")) {
        SelectItem(attr::ParseInt(value), false, false);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
    Invalidate();
}

void CComboUI::SetPos(const UiRect& rc) {
    CControlUI::SetPos(rc);
    if (IsDropDownOpen()) {
        LayoutChildren(UiRect{});
    }
}

void CComboUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init) {
    // A combo that leaves its window takes its open drop-down with it.
    if (manager == nullptr && IsDropDownOpen()) {
        CloseDropDown();
    }
    CContainerUI::SetManager(manager, parent, init);
}

int CComboUI::LayoutChildren(const UiRect& /*rc*/) {
    qt::DropDownWidget& popup = m_dropDown->Widget();
    int y = 1 - m_dropDown->ScrollPos();
    const int width = popup.width();
    for (CControlUI* item : LayoutItems()) {
        const UiRect pad = item->GetPadding();
        const int height = Scale(item->EstimateSize(UiSize{}).cy);
        y += Scale(pad.top);
        item->SetPos(UiRect{1 + Scale(pad.left), y, width - 1 - Scale(pad.right), y + height});
        y += height + Scale(pad.bottom);
    }
    m_dropDown->SetContentHeight(y + m_dropDown->ScrollPos() + 1);
    return 0;
}

void CComboUI::OnItemsChanged() {
    const int index = qt::RenumberListItems(*this, this, m_selectedItem);
    m_curSel = index;
    if (index < 0) {
        m_selectedItem = nullptr;
    }
    Invalidate();
}

void CComboUI::DoEvent(TEventUI& event) {
    if (!IsEffectivelyEnabled()) {
        CContainerUI::DoEvent(event);
        return;
    }
    switch (event.type) {
        case EventType::ButtonDown:
        case EventType::DoubleClick:
            if (IsDropDownOpen()) {
                CloseDropDown();
            } else {
                ShowDropDown();
            }
            return;
        case EventType::ButtonUp:
        case EventType::MouseMove:
            return;
        case EventType::ScrollWheel:
            if (IsDropDownOpen()) {
                m_dropDown->Scroll(event.wheelDelta);
            }
            return;
        case EventType::KeyDown:
            if (event.key == kKeyUp && m_curSel > 0) {
                SelectItem(m_curSel - 1, false, true);
                return;
            }
            if (event.key == kKeyDown && m_curSel + 1 < GetCount()) {
                SelectItem(m_curSel + 1, false, true);
                return;
            }
            if (event.key == kKeyReturn || event.key == kKeySpace) {
                ShowDropDown();
                return;
            }
            break;
        case EventType::MouseEnter:
        case EventType::MouseLeave:
            CControlUI::DoEvent(event);
            return;
        default:
            break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::DoPaint(PaintContext& context, const UiRect& /*paint*/) {
    const UiRect& rc = GetPos();
    PaintBkColor(context);
    PaintBkImage(context);
    const bool enabled = IsEffectivelyEnabled();
    bool drawn = false;
    if (!enabled && !m_disabledImage.empty()) {
        drawn = DrawImage(context, m_disabledImage);
    } else if (m_pushed && !m_pushedImage.empty()) {
        drawn = DrawImage(context, m_pushedImage);
    } else if (IsHot() && !m_hotImage.empty()) {
        drawn = DrawImage(context, m_hotImage);
    }
    if (!drawn && !m_normalImage.empty()) {
        drawn = DrawImage(context, m_normalImage);
    }
    if (!drawn) {
        // A chevron at the right edge.
        QPainter& painter = context.Painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        const Argb arrow = m_arrowColor != 0 ? m_arrowColor : 0xFF9AA4B2u;
        QPen pen(qt::ToQColor(enabled ? arrow : 0xFF555B63u));
        pen.setWidthF(Scale(2));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        const double cx = rc.right - Scale(14);
        const double cy = (rc.top + rc.bottom) / 2.0;
        const double s = Scale(4);
        QPainterPath path;
        if (m_pushed) {
            path.moveTo(cx - s, cy + s / 2);
            path.lineTo(cx, cy - s / 2);
            path.lineTo(cx + s, cy + s / 2);
        } else {
            path.moveTo(cx - s, cy - s / 2);
            path.lineTo(cx, cy + s / 2);
            path.lineTo(cx + s, cy - s / 2);
        }
        painter.drawPath(path);
        painter.restore();
    }
    if (const std::optional<TextPlacement> placement = GetTextPlacement()) {
        const Argb text = !enabled           ? m_info.disabledTextColor
                          : m_textColor != 0 ? m_textColor
                                             : m_info.textColor;
        CRenderEngine::DrawText(context, GetManager(), placement->box, placement->text, text,
                                placement->font, placement->style);
    }
    PaintBorder(context);
}

std::optional<TextPlacement> CComboUI::GetTextPlacement() const {
    const UiRect& rc = GetPos();
    const CControlUI* item = GetItemAt(m_curSel);
    return TextPlacement{
        item != nullptr ? item->GetShownText() : std::string(),
        UiRect{rc.left + Scale(m_textPadding.left), rc.top + Scale(m_textPadding.top),
               rc.right - Scale(m_textPadding.right), rc.bottom - Scale(m_textPadding.bottom)},
        m_font >= 0 ? m_font : m_info.font,
        textstyle::kVCenter | textstyle::kSingleLine | textstyle::kEndEllipsis};
}

CControlUI* CComboUI::FindControlAt(UiPoint pt) {
    return CControlUI::FindControlAt(pt);
}

}  // namespace varlok::ui
