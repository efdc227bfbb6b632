#include "ui/colorpaletteui.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui {

CColorPaletteUI::CColorPaletteUI() {
    SetFocusable(true);
}

std::string_view CColorPaletteUI::GetClass() const {
    return "ColorPaletteUI";
}

Argb CColorPaletteUI::GetSelectColor() const {
    if (m_exactValid) {
        return m_exact | 0xFF000000u;
    }
    return QColor::fromHsv(m_hue, m_saturation, m_brightness).rgba() | 0xFF000000u;
}

void CColorPaletteUI::SetSelectColor(Argb colour) {
    const QColor c = QColor::fromRgb(colour | 0xFF000000u);
    int hue = c.hsvHue();
    m_hue = hue < 0 ? m_hue : hue;
    m_saturation = c.hsvSaturation();
    m_brightness = c.value();
    m_exact = colour | 0xFF000000u;
    m_exactValid = true;
    Invalidate();
}

void CColorPaletteUI::SetBarHeight(int height) {
    m_barHeight = std::max(1, height);
    Invalidate();
}

void CColorPaletteUI::SetPalletHeight(int height) {
    m_palletHeight = std::max(0, height);
    Invalidate();
}

UiRect CColorPaletteUI::GetFieldRect() const {
    const UiRect& rc = GetPos();
    int bottom = rc.bottom - Scale(m_barHeight) - Scale(m_barGap);
    if (m_palletHeight > 0) {
        bottom = std::min(bottom, rc.top + Scale(m_palletHeight));
    }
    return UiRect{rc.left, rc.top, rc.right, std::max(rc.top + 1, bottom)};
}

UiRect CColorPaletteUI::GetBarRect() const {
    const UiRect& rc = GetPos();
    return UiRect{rc.left, rc.bottom - Scale(m_barHeight), rc.right, rc.bottom};
}

void CColorPaletteUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "barheight")) {
        SetBarHeight(attr::ParseInt(value));
    } else if (Equals(name, "palletheight")) {
        SetPalletHeight(attr::ParseInt(value));
    } else if (Equals(name, "selectcolor") || Equals(name, "color")) {
        SetSelectColor(attr::ParseColour(value).value_or(0xFFFF0000u));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CColorPaletteUI::PickAt(UiPoint pt, bool inBar) {
    if (inBar) {
        const UiRect bar = GetBarRect();
        const double share = static_cast<double>(pt.x - bar.left) / std::max(1, bar.Width() - 1);
        m_brightness = std::clamp(static_cast<int>(share * 255 + 0.5), 0, 255);
    } else {
        const UiRect field = GetFieldRect();
        const double x = static_cast<double>(pt.x - field.left) / std::max(1, field.Width() - 1);
        const double y = static_cast<double>(pt.y - field.top) / std::max(1, field.Height() - 1);
        m_hue = std::clamp(static_cast<int>(x * 359 + 0.5), 0, 359);
        m_saturation = std::clamp(static_cast<int>((1.0 - y) * 255 + 0.5), 0, 255);
    }
    m_exactValid = false;
    Invalidate();
    SendNotify(msgtype::kColorChanged, static_cast<WParam>(GetSelectColor()));
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    if (!IsEffectivelyEnabled()) {
        CControlUI::DoEvent(event);
        return;
    }
    const auto inside = [](const UiRect& r, UiPoint p) {
        return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
    };
    switch (event.type) {
        case EventType::ButtonDown:
        case EventType::DoubleClick:
            if (inside(GetBarRect(), event.ptMouse)) {
                m_dragBar = true;
                PickAt(event.ptMouse, true);
            } else if (inside(GetFieldRect(), event.ptMouse)) {
                m_dragField = true;
                PickAt(event.ptMouse, false);
            }
            return;
        case EventType::MouseMove:
            if (m_dragBar || m_dragField) {
                const UiRect r = m_dragBar ? GetBarRect() : GetFieldRect();
                const UiPoint clamped{std::clamp(event.ptMouse.x, r.left, r.right - 1),
                                      std::clamp(event.ptMouse.y, r.top, r.bottom - 1)};
                PickAt(clamped, m_dragBar);
            }
            return;
        case EventType::ButtonUp:
            m_dragBar = false;
            m_dragField = false;
            return;
        default:
            break;
    }
    CControlUI::DoEvent(event);
}

void CColorPaletteUI::UpdateFieldPicture(UiSize size) {
    if (size == m_fieldSize && m_brightness == m_fieldBrightness) {
        return;
    }
    m_fieldSize = size;
    m_fieldBrightness = m_brightness;
    m_fieldPixels.resize(static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy));
    for (int y = 0; y < size.cy; ++y) {
        std::uint32_t* line =
            m_fieldPixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(size.cx);
        const int sat = 255 - y * 255 / std::max(1, size.cy - 1);
        for (int x = 0; x < size.cx; ++x) {
            const int hue = x * 359 / std::max(1, size.cx - 1);
            line[x] = QColor::fromHsv(hue, sat, m_brightness).rgb();
        }
    }
}

void CColorPaletteUI::DoPaint(PaintContext& context, const UiRect& paint) {
    CControlUI::DoPaint(context, paint);
    QPainter& painter = context.Painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect field = qt::ToQRect(GetFieldRect());
    if (field.width() > 0 && field.height() > 0) {
        UpdateFieldPicture(UiSize{field.width(), field.height()});
        const QImage image(reinterpret_cast<const uchar*>(m_fieldPixels.data()), field.width(),
                           field.height(), QImage::Format_RGB32);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(field), Scale(4), Scale(4));
        painter.setClipPath(clip);
        painter.drawImage(field.topLeft(), image);
        painter.setClipping(false);
        const QPointF marker(field.left() + m_hue * (field.width() - 1) / 359.0,
                             field.top() + (255 - m_saturation) * (field.height() - 1) / 255.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 0, 0, 160), Scale(3)));
        painter.drawEllipse(marker, Scale(6), Scale(6));
        painter.setPen(QPen(Qt::white, Scale(2)));
        painter.drawEllipse(marker, Scale(6), Scale(6));
    }
    const QRect bar = qt::ToQRect(GetBarRect());
    if (bar.width() > 0 && bar.height() > 0) {
        QLinearGradient gradient(bar.topLeft(), bar.topRight());
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, QColor::fromHsv(m_hue, m_saturation, 255));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(bar, bar.height() / 2.0, bar.height() / 2.0);
        const double x = bar.left() + m_brightness * (bar.width() - 1) / 255.0;
        const double r = bar.height() / 2.0 + Scale(2);
        painter.setPen(QPen(QColor(0, 0, 0, 160), Scale(1)));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(x, bar.center().y() + 0.5), r, r);
    }
    painter.restore();
}

}  // namespace varlok::ui
