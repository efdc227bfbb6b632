#pragma once

// A picture built from layers: the background colour, then images (each an
// image description as for bkimage, separated by '|'), rasterised once per
// size and then copied piece by piece. Controls that change many times a
// second above it (the LED dots of the mouse picture) then repaint over a
// copy instead of over every layer of the window beneath them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controlui.h"

namespace varlok::ui {

class CLayeredPictureUI : public CControlUI {
public:
    CLayeredPictureUI();
    ~CLayeredPictureUI() override;

    [[nodiscard]] std::string_view GetClass() const override;
    // "layers"; the rest goes to CControlUI.
    void SetAttribute(std::string_view name, std::string_view value) override;
    [[nodiscard]] const std::vector<std::string>& GetLayers() const { return m_layers; }
    void DoPaint(PaintContext& context, const UiRect& paint) override;

private:
    struct Raster;
    std::vector<std::string> m_layers;
    std::unique_ptr<Raster> m_raster;
};

}  // namespace varlok::ui
