#pragma once

// A chart of labelled values, drawn as a pie with a legend or as a bar chart
// of pillar images. Items are supplied by code; the look comes from the
// layout's attributes.

#include <string>
#include <string_view>
#include <vector>

#include "ui/controlui.h"

namespace varlok::ui {

struct ChartItem {
    std::string label;
    double value = 0;
};

class CChartViewUI : public CControlUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    enum class View { Pie = 0, Histogram = 1 };

    [[nodiscard]] std::string_view GetClass() const override;

    void AddItem(std::string_view label, double value);
    void RemoveAllItems();
    [[nodiscard]] const std::vector<ChartItem>& GetItems() const { return m_items; }

    [[nodiscard]] View GetView() const { return m_view; }
    [[nodiscard]] const std::string& GetShadowImage() const { return m_shadowImage; }
    [[nodiscard]] int GetShadowImageHeight() const { return m_shadowImageHeight; }
    [[nodiscard]] const std::string& GetPillarImage() const { return m_pillarImage; }
    [[nodiscard]] int GetPillarImageWidth() const { return m_pillarImageWidth; }
    [[nodiscard]] bool IsShowHtml() const { return m_showHtml; }
    [[nodiscard]] bool IsShowText() const { return m_showText; }
    [[nodiscard]] int GetFont() const { return m_font; }
    void SetTextColor(Argb colour);
    [[nodiscard]] Argb GetTextColor() const { return m_textColor; }
    void SetDisabledTextColor(Argb colour);
    [[nodiscard]] Argb GetDisabledTextColor() const { return m_disabledTextColor; }

    // Every attribute goes to CControlUI first; then the chart's own names,
    // compared exactly: view ("pie", "histpgram"; other values leave the
    // view), shadowimage, shadowimageheight, pillarimage, pillarimagewidth,
    // showhtml and showtext (true only for "true"), font.
    void SetAttribute(std::string_view name, std::string_view value) override;
    // Nothing outside the area being repainted; otherwise the base control,
    // then the pie or the bars.
    void DoPaint(PaintContext& context, const UiRect& paint) override;
    virtual void PaintPie(PaintContext& context);
    virtual void PaintHistogram(PaintContext& context);

private:
    void DrawLabel(PaintContext& context, const UiRect& rc, const std::string& label,
                   unsigned style) const;

    std::vector<ChartItem> m_items;
    View m_view = View::Pie;
    std::string m_shadowImage;
    int m_shadowImageHeight = 0;
    std::string m_pillarImage;
    int m_pillarImageWidth = 0;
    Argb m_textColor = 0;
    Argb m_disabledTextColor = 0;
    bool m_showHtml = false;
    bool m_showText = true;
    int m_font = -1;
};

}  // namespace varlok::ui
