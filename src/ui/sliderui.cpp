#include "ui/sliderui.h"

#include <QPainter>
#include <algorithm>

#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"
#include "ui/renderengine.h"

namespace varlok::ui {

namespace {
constexpr int kTrackThickness = 4;
}

CSliderUI::CSliderUI() {
    SetFocusable(true);
}

std::string_view CSliderUI::GetClass() const {
    return "SliderUI";
}

void CSliderUI::SetChangeStep(int step) {
    m_step = std::max(1, step);
}

void CSliderUI::SetThumbSize(UiSize size) {
    m_thumbSize = size;
    Invalidate();
}

void CSliderUI::SetThumbImage(std::string_view image) {
    m_thumbImage = image;
    Invalidate();
}

void CSliderUI::SetThumbHotImage(std::string_view image) {
    m_thumbHotImage = image;
    Invalidate();
}

void CSliderUI::SetThumbPushedImage(std::string_view image) {
    m_thumbPushedImage = image;
    Invalidate();
}

void CSliderUI::SetThumbColor(Argb colour) {
    m_thumbColor = colour;
    Invalidate();
}

UiRect CSliderUI::GetThumbRect() const {
    const UiRect& rc = GetPos();
    const int tw = Scale(m_thumbSize.cx);
    const int th = Scale(m_thumbSize.cy);
    const int range = GetMaxValue() - GetMinValue();
    const double share = range > 0 ? static_cast<double>(GetValue() - GetMinValue()) / range : 0;
    if (IsHorizontal()) {
        const int left = rc.left + static_cast<int>((rc.Width() - tw) * share + 0.5);
        const int top = rc.top + (rc.Height() - th) / 2;
        return UiRect{left, top, left + tw, top + th};
    }
    const int top = rc.bottom - th - static_cast<int>((rc.Height() - th) * share + 0.5);
    const int left = rc.left + (rc.Width() - tw) / 2;
    return UiRect{left, top, left + tw, top + th};
}

int CSliderUI::ValueAt(UiPoint pt) const {
    const UiRect& rc = GetPos();
    const int range = GetMaxValue() - GetMinValue();
    double share = 0;
    if (IsHorizontal()) {
        const int tw = Scale(m_thumbSize.cx);
        const int usable = std::max(1, rc.Width() - tw);
        share = static_cast<double>(pt.x - rc.left - tw / 2) / usable;
    } else {
        const int th = Scale(m_thumbSize.cy);
        const int usable = std::max(1, rc.Height() - th);
        share = static_cast<double>(rc.bottom - th / 2 - pt.y) / usable;
    }
    share = std::clamp(share, 0.0, 1.0);
    int value = GetMinValue() + static_cast<int>(share * range + 0.5);
    if (m_step > 1) {
        value = GetMinValue() + (value - GetMinValue() + m_step / 2) / m_step * m_step;
    }
    return std::clamp(value, GetMinValue(), GetMaxValue());
}

void CSliderUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "step")) {
        SetChangeStep(attr::ParseInt(value));
    } else if (Equals(name, "thumbsize")) {
        SetThumbSize(attr::ParseSize(value));
    } else if (Equals(name, "thumbimage")) {
        SetThumbImage(value);
    } else if (Equals(name, "thumbhotimage")) {
        SetThumbHotImage(value);
    } else if (Equals(name, "thumbpushedimage")) {
        SetThumbPushedImage(value);
    } else if (Equals(name, "thumbcolor")) {
        SetThumbColor(attr::ParseColour(value).value_or(0));
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsEffectivelyEnabled()) {
        CProgressUI::DoEvent(event);
        return;
    }
    const auto inThumb = [this](UiPoint pt) {
        const UiRect t = GetThumbRect();
        return pt.x >= t.left && pt.x < t.right && pt.y >= t.top && pt.y < t.bottom;
    };
    switch (event.type) {
        case EventType::ButtonDown:
        case EventType::DoubleClick:
            if (inThumb(event.ptMouse)) {
                m_dragging = true;
                m_lastMoveValue = GetValue();
                Invalidate();
            } else {
                const int value = ValueAt(event.ptMouse);
                if (value != GetValue()) {
                    SetValue(value);
                }
                SendNotify(msgtype::kValueChanged, static_cast<WParam>(GetValue()));
            }
            return;
        case EventType::MouseMove: {
            if (m_dragging) {
                const int value = ValueAt(event.ptMouse);
                if (value != m_lastMoveValue) {
                    m_lastMoveValue = value;
                    SetValue(value);
                    SendNotify(msgtype::kMoveValueChanged, static_cast<WParam>(GetValue()));
                }
                return;
            }
            const bool hot = inThumb(event.ptMouse);
            if (hot != m_thumbHot) {
                m_thumbHot = hot;
                Invalidate();
            }
            return;
        }
        case EventType::ButtonUp:
            if (m_dragging) {
                m_dragging = false;
                SetValue(ValueAt(event.ptMouse));
                Invalidate();
                SendNotify(msgtype::kValueChanged, static_cast<WParam>(GetValue()));
            }
            return;
        case EventType::ScrollWheel: {
            const int before = GetValue();
            SetValue(before + (event.wheelDelta > 0 ? m_step : -m_step));
            if (GetValue() != before) {
                SendNotify(msgtype::kValueChanged, static_cast<WParam>(GetValue()));
            }
            return;
        }
        case EventType::KeyDown: {
            int delta = 0;
            if (event.key == kKeyLeft || event.key == kKeyDown) {
                delta = -m_step;
            } else if (event.key == kKeyRight || event.key == kKeyUp) {
                delta = m_step;
            }
            if (delta != 0) {
                const int before = GetValue();
                SetValue(before + delta);
                if (GetValue() != before) {
                    SendNotify(msgtype::kValueChanged, static_cast<WParam>(GetValue()));
                }
                return;
            }
            break;
        }
        case EventType::MouseLeave:
            m_thumbHot = false;
            break;
        default:
            break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::DoPaint(PaintContext& context, const UiRect& /*paint*/) {
    const UiRect& rc = GetPos();
    PaintBkColor(context);
    const bool images = !GetBkImage().empty() || !GetForeImage().empty();
    if (images) {
        PaintBkImage(context);
        PaintForeImage(context);
    } else {
        // A thin rounded track with the filled part up to the thumb's centre.
        const UiRect thumb = GetThumbRect();
        const int thickness = Scale(kTrackThickness);
        UiRect track;
        UiRect filled;
        if (IsHorizontal()) {
            const int top = rc.top + (rc.Height() - thickness) / 2;
            const int inset = Scale(m_thumbSize.cx) / 2;
            track = UiRect{rc.left + inset, top, rc.right - inset, top + thickness};
            filled = UiRect{track.left, top, (thumb.left + thumb.right) / 2, top + thickness};
        } else {
            const int left = rc.left + (rc.Width() - thickness) / 2;
            const int inset = Scale(m_thumbSize.cy) / 2;
            track = UiRect{left, rc.top + inset, left + thickness, rc.bottom - inset};
            filled = UiRect{left, (thumb.top + thumb.bottom) / 2, left + thickness, track.bottom};
        }
        const UiSize round{thickness, thickness};
        QPainter& painter = context.Painter();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 40));
        painter.drawRoundedRect(qt::ToQRect(track), round.cx / 2.0, round.cy / 2.0);
        const Argb fore = GetForeColor() != 0 ? GetForeColor() : 0xFF3DB8FFu;
        painter.setBrush(qt::ToQColor(IsEffectivelyEnabled() ? fore : 0xFF5A5F66u));
        painter.drawRoundedRect(qt::ToQRect(filled), round.cx / 2.0, round.cy / 2.0);
        painter.restore();
    }
    PaintText(context);
    PaintBorder(context);
    PaintThumb(context);
}

void CSliderUI::PaintThumb(PaintContext& context) {
    const UiRect thumb = GetThumbRect();
    const std::string& image = m_dragging && !m_thumbPushedImage.empty() ? m_thumbPushedImage
                               : m_thumbHot && !m_thumbHotImage.empty()  ? m_thumbHotImage
                                                                         : m_thumbImage;
    if (!image.empty() &&
        CRenderEngine::DrawImageString(context, GetManager(), thumb, GetPos(), image)) {
        return;
    }
    QPainter& painter = context.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Argb fore = GetForeColor() != 0 ? GetForeColor() : 0xFF3DB8FFu;
    const Argb body = m_thumbColor != 0 ? m_thumbColor : 0xFFF2F4F7u;
    QRectF r = QRectF(qt::ToQRect(thumb)).adjusted(1, 1, -1, -1);
    if (m_dragging || m_thumbHot) {
        QColor glow = qt::ToQColor(fore);
        glow.setAlpha(70);
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(r.adjusted(-2, -2, 2, 2));
    }
    QPen ring(qt::ToQColor(IsEffectivelyEnabled() ? fore : 0xFF5A5F66u));
    ring.setWidthF(std::max(1.5, Scale(2) * 1.0));
    painter.setPen(ring);
    painter.setBrush(qt::ToQColor(body));
    painter.drawEllipse(r.adjusted(1, 1, -1, -1));
    painter.restore();
}

}  // namespace varlok::ui
