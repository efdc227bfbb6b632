#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/dialogframe.h"
#include "ui/uitypes.h"

namespace varlok::ui {
class CColorPaletteUI;
class CControlUI;
}  // namespace varlok::ui

namespace varlok::app {

// The colour dialog: a colour palette (Pallet), preset swatches named
// ms_dpi_color_png_<n> for PresetColours entry n, and a control
// (color_show_btn) that shows the colour chosen so far (and, when the skin
// has it, color_value_text with its "#RRGGBB"). okbtn closes with 1
// and makes the shown colour the dialog's colour; closebtn, a close request
// and the system close command close with 2 and leave the initial colour.
// Pallet_BTN_OK and Pallet_BTN_CANCEL, when a skin has them, act as okbtn
// and closebtn. The caller owns the object for one modal run. UI thread only.
class CPalletDialog : public CFramelessDialog {
public:
    static constexpr std::string_view kDpiColourLayout = "GmPalletDialog.xml";
    static constexpr std::string_view kTitle = "colour";
    static constexpr std::string_view kSwatchPrefix = "ms_dpi_color_png_";
    static constexpr int kChosen = 1;
    static constexpr int kCancelled = 2;
    // Where the dialog opens relative to the pointer.
    static constexpr int kCursorOffsetX = -20;
    static constexpr int kCursorOffsetY = 20;

    CPalletDialog(std::string layoutFile, ui::Argb initialColour);

    // The initial colour, and after a close with 1 the chosen one.
    [[nodiscard]] ui::Argb GetColor() const { return m_colour; }
    // The colour shown now.
    [[nodiscard]] ui::Argb GetShownColor() const { return m_shown; }

    void Notify(ui::TNotifyUI& msg) override;

    // The swatch number of a control name: the part after the last
    // underscore when the part before it is ms_dpi_color_png (any case) and
    // it is a decimal number naming a preset; std::nullopt otherwise.
    [[nodiscard]] static std::optional<int> SwatchIndex(std::string_view name);

    // "#RRGGBB" of a colour, as color_value_text shows it.
    [[nodiscard]] static std::string ColourText(ui::Argb colour);

    // Runs the dialog the way the DPI colour buttons do: owned by owner,
    // its top-left corner 20 pixels left of and 20 pixels below cursor
    // (screen coordinates; CursorPosition() of ui/desktopaccess.h), modal.
    // Returns the chosen colour, or std::nullopt when the dialog was closed
    // otherwise or its layout could not be built.
    [[nodiscard]] static std::optional<ui::Argb> Pick(
        ui::WindowImplBase& owner, ui::Argb initialColour, ui::UiPoint cursor,
        std::string layoutFile = std::string(kDpiColourLayout));

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "UIPalletDialog"; }
    void InitWindow() override;

private:
    void ShowColour(ui::Argb colour);
    void Confirm();

    ui::Argb m_colour = 0;
    ui::Argb m_shown = 0;
    ui::CColorPaletteUI* m_palette = nullptr;
    ui::CControlUI* m_okButton = nullptr;
    ui::CControlUI* m_cancelButton = nullptr;
};

}  // namespace varlok::app
