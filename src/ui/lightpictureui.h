#pragma once

// A layered picture with lights over it: small rounded dots, each under a
// tint that may change many times a second (the LEDs on the picture of the
// mouse). One control paints the picture and every light in one paint: a
// tint that changes repaints its own light's rectangle and nothing else,
// and the lights changed before the next paint are painted together, in
// that one paint. UI thread only.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "ui/layeredpictureui.h"

namespace varlok::ui {

class CLightPictureUI : public CLayeredPictureUI {
public:
    // A light's tint: rgb (its alpha byte ignored) laid over the dot at
    // alpha, 0 (invisible) to 255 (opaque; values outside are clamped).
    struct Tint {
        Argb rgb = 0;
        int alpha = 0;
    };

    [[nodiscard]] std::string_view GetClass() const override;
    // "lights": the lights' rectangles in 96-dpi units from the control's
    // top-left corner, separated by '|' ("28,129,36,137|28,151,36,159"),
    // in the order of their indexes; "lightcolor": the dots' own colour
    // beneath the tint; "lightround": their corners (as "borderround"). The
    // rest goes to CLayeredPictureUI.
    void SetAttribute(std::string_view name, std::string_view value) override;

    [[nodiscard]] std::size_t GetLightCount() const { return m_lights.size(); }
    // The tint of light index. A tint the light already has repaints
    // nothing. An index past the last light is ignored.
    void SetLightTint(std::size_t index, Argb rgb, int alpha);
    // The tints of lights 0, 1, ... at once (those past the last light are
    // ignored): the lights whose tint changed are asked to repaint
    // together, with one request.
    void SetLightTints(std::span<const Tint> tints);
    // The tint as set (0 past the last light), rgb without alpha.
    [[nodiscard]] Argb GetLightColor(std::size_t index) const;
    [[nodiscard]] int GetLightAlpha(std::size_t index) const;
    // Where a light lies, in window pixels as last laid out; empty past
    // the last light.
    [[nodiscard]] UiRect GetLightRect(std::size_t index) const;

    void DoPaint(PaintContext& context, const UiRect& paint) override;

private:
    // Stores the tint; true when it changed.
    bool StoreTint(std::size_t index, Tint tint);

    struct Light {
        UiRect place;  // 96-dpi units from the control's corner
        Argb colour = 0;
        int alpha = 0;
    };

    std::vector<Light> m_lights;
    Argb m_lightColour = 0;
    UiSize m_lightRound;
};

}  // namespace varlok::ui
