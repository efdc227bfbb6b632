#pragma once

// Plain value types shared by every boundary header of the UI layer. Page and
// window code sees only these, never a Qt type.

#include <cstdint>
#include <string>

namespace varlok::ui {

// Window message numbers and their two parameters, as the window code has
// always spoken them (WM_TIMER, 0x0479 for menus, 0x0401 for the tray, ...).
using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// 32-bit colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using Argb = std::uint32_t;

constexpr Argb MakeArgb(std::uint8_t alpha, std::uint8_t red, std::uint8_t green,
                        std::uint8_t blue) {
    return (static_cast<Argb>(alpha) << 24) | (static_cast<Argb>(red) << 16) |
           (static_cast<Argb>(green) << 8) | static_cast<Argb>(blue);
}

struct UiPoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const UiPoint&, const UiPoint&) = default;
};

struct UiSize {
    int cx = 0;
    int cy = 0;
    friend constexpr bool operator==(const UiSize&, const UiSize&) = default;
};

// Edges, right and bottom exclusive, like a Windows RECT.
struct UiRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] constexpr int Width() const { return right - left; }
    [[nodiscard]] constexpr int Height() const { return bottom - top; }
    friend constexpr bool operator==(const UiRect&, const UiRect&) = default;
};

// Where and how a control paints its own text: the text the user sees, the
// box it is fitted into (window pixels), a font index of the window (-1 the
// default font), the textstyle flags of CRenderEngine, and whether it is
// marked up (CRenderEngine::DrawHtmlText).
struct TextPlacement {
    std::string text;
    UiRect box;
    int font = -1;
    unsigned style = 0;
    bool html = false;
};

}  // namespace varlok::ui
