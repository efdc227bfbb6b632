#pragma once

// A slider: dragging the thumb sends "movevaluechanged" for every new value
// while the button is held and "valuechanged" when it is released; a click on
// the track, the wheel and the arrow keys send "valuechanged". SetValue from
// code sends nothing.

#include "ui/progressui.h"

namespace varlok::ui {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    [[nodiscard]] std::string_view GetClass() const override;

    void SetChangeStep(int step);
    [[nodiscard]] int GetChangeStep() const { return m_step; }
    // Thumb size in 96-dpi units.
    void SetThumbSize(UiSize size);
    [[nodiscard]] UiSize GetThumbSize() const { return m_thumbSize; }
    void SetThumbImage(std::string_view image);
    void SetThumbHotImage(std::string_view image);
    void SetThumbPushedImage(std::string_view image);
    void SetThumbColor(Argb colour);
    // The thumb's rectangle in window pixels for the current value.
    [[nodiscard]] UiRect GetThumbRect() const;

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(PaintContext& context, const UiRect& paint) override;

private:
    [[nodiscard]] int ValueAt(UiPoint pt) const;
    void PaintThumb(PaintContext& context);

    int m_step = 1;
    UiSize m_thumbSize{14, 14};
    std::string m_thumbImage;
    std::string m_thumbHotImage;
    std::string m_thumbPushedImage;
    Argb m_thumbColor = 0;
    bool m_dragging = false;
    bool m_thumbHot = false;
    int m_lastMoveValue = 0;
};

}  // namespace varlok::ui
