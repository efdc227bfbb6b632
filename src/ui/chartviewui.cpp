#include "ui/chartviewui.h"

#include "ui/customcontrolgeometry.h"
#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"
#include "ui/renderengine.h"

namespace varlok::ui {

namespace {

constexpr unsigned kLegendTextStyle = textstyle::kVCenter | textstyle::kSingleLine;
constexpr unsigned kBarTextStyle =
    textstyle::kCenter | textstyle::kVCenter | textstyle::kSingleLine;
static_assert(kLegendTextStyle == 36 && kBarTextStyle == 37);

std::vector<double> Values(const std::vector<ChartItem>& items) {
    std::vector<double> values;
    values.reserve(items.size());
    for (const ChartItem& item : items) {
        values.push_back(item.value);
    }
    return values;
}

}  // namespace

std::string_view CChartViewUI::GetClass() const {
    return "ChartViewUI";
}

void CChartViewUI::AddItem(std::string_view label, double value) {
    m_items.push_back({std::string(label), value});
    Invalidate();
}

void CChartViewUI::RemoveAllItems() {
    m_items.clear();
    Invalidate();
}

void CChartViewUI::SetTextColor(Argb colour) {
    m_textColor = colour;
    Invalidate();
}

void CChartViewUI::SetDisabledTextColor(Argb colour) {
    m_disabledTextColor = colour;
    Invalidate();
}

void CChartViewUI::SetAttribute(std::string_view name, std::string_view value) {
    CControlUI::SetAttribute(name, value);
    if (name == "view") {
        if (value == "pie") {
            m_view = View::Pie;
        } else if (value == "histpgram") {
            m_view = View::Histogram;
        }
    } else if (name == "shadowimage") {
        m_shadowImage = value;
    } else if (name == "shadowimageheight") {
        m_shadowImageHeight = attr::ParseInt(value);
    } else if (name == "pillarimage") {
        m_pillarImage = value;
    } else if (name == "pillarimagewidth") {
        m_pillarImageWidth = attr::ParseInt(value);
    } else if (name == "showhtml") {
        m_showHtml = value == "true";
    } else if (name == "showtext") {
        m_showText = value == "true";
    } else if (name == "font") {
        m_font = attr::ParseInt(value);
    }
}

void CChartViewUI::DoPaint(PaintContext& context, const UiRect& paint) {
    if (!RectsMeet(paint, GetPos())) {
        return;
    }
    CControlUI::DoPaint(context, paint);
    if (m_view == View::Pie) {
        PaintPie(context);
    } else {
        PaintHistogram(context);
    }
}

void CChartViewUI::DrawLabel(PaintContext& context, const UiRect& rc, const std::string& label,
                             unsigned style) const {
    // Text colours without an alpha byte draw opaque, as Windows text
    // drawing ignores that byte; the chart's colour starts at 0 (black).
    Argb colour = m_textColor;
    if ((colour >> 24) == 0) {
        colour |= 0xFF000000u;
    }
    if (m_showHtml) {
        CRenderEngine::DrawHtmlText(context, GetManager(), rc, label, colour, m_font, style);
    } else {
        CRenderEngine::DrawText(context, GetManager(), rc, label, colour, m_font, style);
    }
}

void CChartViewUI::PaintPie(PaintContext& context) {
    if (m_items.empty()) {
        return;
    }
    const std::vector<double> values = Values(m_items);
    const PieLayout layout = LayoutPie(GetPos(), values, m_showText);
    if (layout.diameter <= 0) {
        return;
    }
    CRenderEngine::FillEllipse(context, layout.outerShadow, kPieOuterShadowColour);
    CRenderEngine::FillEllipse(context, layout.innerShadow, kPieInnerShadowColour);
    for (const PieSlice& slice : layout.slices) {
        CRenderEngine::FillPie(context, layout.pie, slice.startDegrees, slice.sweepDegrees,
                               slice.colour);
    }
    for (const LegendRow& row : layout.legend) {
        CRenderEngine::DrawColor(context, row.swatch, row.colour);
        DrawLabel(context, row.label, m_items[row.item].label, kLegendTextStyle);
    }
}

void CChartViewUI::PaintHistogram(PaintContext& context) {
    const std::vector<double> values = Values(m_items);
    const BarLayout layout =
        LayoutBars(GetPos(), values, m_showText, m_shadowImageHeight, m_pillarImageWidth);
    const UiRect paint = qt::ToUiRect(context.PaintRect());
    // A picture that cannot be drawn is forgotten, so it is not tried again.
    if (!m_shadowImage.empty() && !CRenderEngine::DrawImageString(
                                      context, GetManager(), layout.shadow, paint, m_shadowImage)) {
        m_shadowImage.clear();
    }
    for (std::size_t i = 0; i < layout.bars.size(); ++i) {
        const Bar& bar = layout.bars[i];
        if (!m_pillarImage.empty() &&
            !CRenderEngine::DrawImageString(context, GetManager(), bar.pillar, paint,
                                            m_pillarImage)) {
            m_pillarImage.clear();
        }
        if (m_showText) {
            DrawLabel(context, bar.label, m_items[i].label, kBarTextStyle);
        }
    }
}

}  // namespace varlok::ui
