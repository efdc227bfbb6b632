#pragma once

// Drawing operations for controls' paint hooks: images by description, plain
// and marked-up text, filled shapes. Every function draws into the painting
// context a paint hook received; UI thread only.

#include <string_view>

#include "ui/uitypes.h"

namespace varlok::ui {

class CPaintManagerUI;
class PaintContext;

// Text placement flags (the values of the Windows DT_* flags, so that a
// style such as 37 = centred, vertically centred, single line reads the same).
namespace textstyle {
inline constexpr unsigned kLeft = 0x0;
inline constexpr unsigned kCenter = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kVCenter = 0x4;
inline constexpr unsigned kBottom = 0x8;
inline constexpr unsigned kWordBreak = 0x10;
inline constexpr unsigned kSingleLine = 0x20;
inline constexpr unsigned kEndEllipsis = 0x8000;
}  // namespace textstyle

class CRenderEngine {
public:
    // Draws an image description (see CControlUI::SetBkImage) into rcItem,
    // limited to rcPaint. When lit is true and level > 0, the picture's
    // visible pixels are tinted towards the colour's RGB (alpha byte ignored)
    // by level/255 (level clamped to 0..255); otherwise the picture is drawn
    // as it is. Returns false when the picture cannot be loaded.
    static bool DrawImageString(PaintContext& context, CPaintManagerUI* manager,
                                const UiRect& rcItem, const UiRect& rcPaint, std::string_view image,
                                Argb colour = 0, int level = 0, bool lit = false);
    // Plain text in font (a font index of the manager; -1 the default font).
    static void DrawText(PaintContext& context, CPaintManagerUI* manager, const UiRect& rc,
                         std::string_view text, Argb colour, int font, unsigned style);
    // Text with the markup {b}..{/b}, {i}..{/i}, {u}..{/u}, {c #RRGGBB}..{/c},
    // {a}..{/a} (drawn as a link) and {n} (line break); other braces are
    // shown as they are.
    static void DrawHtmlText(PaintContext& context, CPaintManagerUI* manager, const UiRect& rc,
                             std::string_view text, Argb colour, int font, unsigned style);
    // The room the placed text takes as DrawText or DrawHtmlText draw it,
    // wrapped at the box's width where its style wraps: the widest line and
    // the height of all lines. An empty text takes none.
    [[nodiscard]] static UiSize TextExtent(CPaintManagerUI* manager,
                                           const TextPlacement& placement);
    // True when the placed text shows whole: its extent lies within the
    // box. A text that would be cut or shortened with an ellipsis does not
    // fit.
    [[nodiscard]] static bool TextFits(CPaintManagerUI* manager, const TextPlacement& placement);
    static void DrawColor(PaintContext& context, const UiRect& rc, Argb colour);
    static void DrawRect(PaintContext& context, const UiRect& rc, int size, Argb colour);
    static void DrawRoundRect(PaintContext& context, const UiRect& rc, int size, UiSize round,
                              Argb colour);
    // Filled ellipse and pie inside rc, anti-aliased. Angles in degrees,
    // clockwise from the positive x axis (start 90 = bottom).
    static void FillEllipse(PaintContext& context, const UiRect& rc, Argb colour);
    static void FillPie(PaintContext& context, const UiRect& rc, double startDegrees,
                        double sweepDegrees, Argb colour);
};

}  // namespace varlok::ui
