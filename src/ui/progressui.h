#pragma once

// A progress bar: minimum, maximum and value; the filled part is painted with
// the fore colour and fore image. Sliders derive from it.

#include "ui/labelui.h"

namespace varlok::ui {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    [[nodiscard]] int GetMinValue() const { return m_min; }
    void SetMinValue(int min);
    [[nodiscard]] int GetMaxValue() const { return m_max; }
    void SetMaxValue(int max);
    [[nodiscard]] int GetValue() const { return m_value; }
    // Clamps into [min, max]. Never notifies: only user actions do.
    virtual void SetValue(int value);

    void SetAttribute(std::string_view name, std::string_view value) override;
    // Background, then PaintForeColor and PaintForeImage (the filled part),
    // then the text and the border and the colour overlay.
    void DoPaint(PaintContext& context, const UiRect& paint) override;
    void PaintForeColor(PaintContext& context) override;
    void PaintForeImage(PaintContext& context) override;

protected:
    // The filled part of the control for the current value.
    [[nodiscard]] UiRect FilledRect() const;

private:
    bool m_horizontal = true;
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
};

}  // namespace varlok::ui
