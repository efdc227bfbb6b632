#pragma once

// A static text with colours, font, alignment and text padding.

#include "ui/controlui.h"
#include "ui/renderengine.h"

namespace varlok::ui {

class CLabelUI : public CControlUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] Argb GetTextColor() const { return m_textColor; }
    void SetTextColor(Argb colour);
    [[nodiscard]] Argb GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetDisabledTextColor(Argb colour);
    // Font index of the window's fonts; -1 the default font.
    [[nodiscard]] int GetFont() const { return m_font; }
    void SetFont(int index);
    // textstyle flags.
    [[nodiscard]] unsigned GetTextStyle() const { return m_textStyle; }
    void SetTextStyle(unsigned style);
    [[nodiscard]] UiRect GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(const UiRect& padding);
    [[nodiscard]] bool IsShowHtml() const { return m_showHtml; }
    void SetShowHtml(bool html);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintText(PaintContext& context) override;
    // The shown text inside the control less its text padding.
    [[nodiscard]] std::optional<TextPlacement> GetTextPlacement() const override;
    [[nodiscard]] UiSize EstimateSize(UiSize available) const override;

protected:
    // The text colour for the current state; derived controls refine it.
    [[nodiscard]] virtual Argb CurrentTextColor() const;

private:
    Argb m_textColor = 0;
    Argb m_disabledTextColor = 0;
    int m_font = -1;
    unsigned m_textStyle = textstyle::kVCenter | textstyle::kSingleLine;
    UiRect m_textPadding;
    bool m_showHtml = false;
    bool m_autoWidth = false;
};

}  // namespace varlok::ui
