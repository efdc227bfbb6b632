#pragma once

// A colour palette: a hue and saturation field above a brightness bar. Picking
// with the mouse selects a colour and sends "colorchanged" (wParam = the ARGB
// colour); SetSelectColor from code sends nothing.

#include <cstdint>
#include <vector>

#include "ui/controlui.h"

namespace varlok::ui {

class CColorPaletteUI : public CControlUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    CColorPaletteUI();
    [[nodiscard]] std::string_view GetClass() const override;

    // Opaque ARGB of the selection.
    [[nodiscard]] Argb GetSelectColor() const;
    // Moves the selection to colour (its alpha is ignored).
    void SetSelectColor(Argb colour);
    // Height of the brightness bar and gap above it (96-dpi units).
    void SetBarHeight(int height);
    void SetPalletHeight(int height);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(PaintContext& context, const UiRect& paint) override;

    // The field and bar rectangles in window pixels (for drivers and tests).
    [[nodiscard]] UiRect GetFieldRect() const;
    [[nodiscard]] UiRect GetBarRect() const;

private:
    void PickAt(UiPoint pt, bool inBar);
    // Computes the field's picture for its size and the brightness, unless
    // the one computed last already fits both.
    void UpdateFieldPicture(UiSize size);

    // The colour code last set exactly (returned as it is until the user
    // picks), so that a colour set by code reads back unchanged.
    Argb m_exact = 0xFFFF0000u;
    bool m_exactValid = true;
    int m_hue = 0;           // 0..359
    int m_saturation = 255;  // 0..255
    int m_brightness = 255;  // 0..255
    int m_barHeight = 12;
    int m_barGap = 8;
    int m_palletHeight = 0;
    bool m_dragField = false;
    bool m_dragBar = false;
    // The field's picture as 0xFFRRGGBB pixels, row by row, and what it was
    // computed for; painting only copies it.
    std::vector<std::uint32_t> m_fieldPixels;
    UiSize m_fieldSize;
    int m_fieldBrightness = -1;
};

}  // namespace varlok::ui
