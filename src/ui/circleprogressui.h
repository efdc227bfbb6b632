#pragma once

// A progress shown as a ring: a full circle in the background colour, a pie
// in the fore colour from the bottom, clockwise, for the value, and a white
// centre that leaves a ring of ten pixels.

#include "ui/progressui.h"

namespace varlok::ui {

class CCircleProgressUI : public CProgressUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    [[nodiscard]] std::string_view GetClass() const override;
    void PaintBkColor(PaintContext& context) override;
    void PaintForeColor(PaintContext& context) override;
    // The ring has no fore image.
    void PaintForeImage(PaintContext& context) override;
};

}  // namespace varlok::ui
