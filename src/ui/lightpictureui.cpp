#include "ui/lightpictureui.h"

#include <QRegion>
#include <algorithm>

#include "ui/qt/attributes.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"
#include "ui/qt/roundedfill.h"

namespace varlok::ui {

std::string_view CLightPictureUI::GetClass() const {
    return "LightPictureUI";
}

void CLightPictureUI::SetAttribute(std::string_view name, std::string_view value) {
    if (attr::Equals(name, "lights")) {
        m_lights.clear();
        while (!value.empty()) {
            const std::size_t bar = value.find('|');
            if (const std::string_view place = value.substr(0, bar); !place.empty()) {
                m_lights.push_back({attr::ParseRect(place)});
            }
            value = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);
        }
        Invalidate();
    } else if (attr::Equals(name, "lightcolor")) {
        m_lightColour = attr::ParseColour(value).value_or(0);
        Invalidate();
    } else if (attr::Equals(name, "lightround")) {
        m_lightRound = attr::ParseSize(value);
        Invalidate();
    } else {
        CLayeredPictureUI::SetAttribute(name, value);
    }
}

bool CLightPictureUI::StoreTint(std::size_t index, Tint tint) {
    if (index >= m_lights.size()) {
        return false;
    }
    Light& light = m_lights[index];
    const Argb colour = tint.rgb & 0x00FFFFFFu;
    const int clamped = std::clamp(tint.alpha, 0, 255);
    if (light.colour == colour && light.alpha == clamped) {
        return false;
    }
    light.colour = colour;
    light.alpha = clamped;
    return true;
}

void CLightPictureUI::SetLightTint(std::size_t index, Argb rgb, int alpha) {
    if (StoreTint(index, {rgb, alpha})) {
        InvalidateRect(GetLightRect(index));
    }
}

void CLightPictureUI::SetLightTints(std::span<const Tint> tints) {
    QRegion changed;
    for (std::size_t i = 0; i < tints.size(); ++i) {
        if (StoreTint(i, tints[i])) {
            changed += qt::ToQRect(GetLightRect(i));
        }
    }
    if (!changed.isEmpty()) {
        // The widget's own coordinates: the control's rectangle starts at 0,0.
        Widget().update(changed.translated(-GetPos().left, -GetPos().top));
    }
}

Argb CLightPictureUI::GetLightColor(std::size_t index) const {
    return index < m_lights.size() ? m_lights[index].colour : 0;
}

int CLightPictureUI::GetLightAlpha(std::size_t index) const {
    return index < m_lights.size() ? m_lights[index].alpha : 0;
}

UiRect CLightPictureUI::GetLightRect(std::size_t index) const {
    if (index >= m_lights.size()) {
        return {};
    }
    const UiRect& place = m_lights[index].place;
    const UiRect& item = GetPos();
    return UiRect{item.left + Scale(place.left), item.top + Scale(place.top),
                  item.left + Scale(place.right), item.top + Scale(place.bottom)};
}

void CLightPictureUI::DoPaint(PaintContext& context, const UiRect& paint) {
    CLayeredPictureUI::DoPaint(context, paint);
    QPainter& painter = context.Painter();
    const qreal radiusX = Scale(m_lightRound.cx) / 2.0;
    const qreal radiusY = Scale(m_lightRound.cy) / 2.0;
    for (std::size_t i = 0; i < m_lights.size(); ++i) {
        const QRect rect = qt::ToQRect(GetLightRect(i));
        if (!context.Region().intersects(rect)) {
            continue;
        }
        if ((m_lightColour >> 24) != 0) {
            qt::FillRoundedRect(painter, rect, radiusX, radiusY, qt::ToQColor(m_lightColour));
        }
        if (const Light& light = m_lights[i]; light.alpha > 0) {
            QColor tint = qt::ToQColor(light.colour | 0xFF000000u);
            tint.setAlpha(light.alpha);
            painter.fillRect(rect, tint);
        }
    }
}

}  // namespace varlok::ui
