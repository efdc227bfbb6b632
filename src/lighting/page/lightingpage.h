#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lighting/lightingmodel.h"
#include "lighting/lightingsettings.h"
#include "settings/mousemodel.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::lighting {

// The lighting section of the mouse page: the effect mode, brightness,
// speed, direction, the colour (palette, preset buttons, R/G/B edits), the
// seven-colour option and the zone the colour goes to in the static-zones
// mode. Shows the lighting model on its controls (by name, through the
// window's paint manager) when the settings change under it, and turns the
// controls' events into the lighting model's changes; it keeps no setting of
// its own.
//
// Thread affinity: the UI thread.
class LightingPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "lighting page";
    // The preset buttons: "ms_Deng_color_btn_" and 1-8, 11-18.
    static constexpr std::array<int, 16> kPresetButtons{1,  2,  3,  4,  5,  6,  7,  8,
                                                        11, 12, 13, 14, 15, 16, 17, 18};
    // The mode list with the page's own visibility (the one our skin shows),
    // and the two that enable and disable groups of controls instead.
    static constexpr std::string_view kModeList = "ms_deng_combo_modeSelect0";
    static constexpr std::string_view kEnablingModeList = "ms_deng_combo_modeSelect1";
    static constexpr std::string_view kOtherEnablingModeList = "ms_deng_combo_modeSelect2";

    // context.lighting must be set.
    explicit LightingPage(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Puts the stored settings on the page.
    void Refresh();

    [[nodiscard]] static std::string PresetButton(int number);

private:
    void OnModelChanged(settings::MouseChange changed);
    void OnModeSelected(std::string_view list);
    void OnSlider(std::string_view slider);
    void OnSevenColourCheck(bool selected);
    void OnDirectionCheck(bool left);
    void OnZoneCheck(MouseZone zone);
    void OnEdit(int channel);
    void OnPreset(int number);
    // Shows colour (0xAARRGGBB) in the swatch and the R/G/B edits; with
    // store, it also becomes the mouse's colour.
    void ApplyLightingColour(ui::Argb colour, bool store);
    // When the window initialises: preset colours, the initial colour, the
    // zone group hidden.
    void PrepareSection();

    void ShowModeControls(std::uint8_t mode);
    void EnableModeGroups(std::string_view list, std::uint8_t mode);
    void SelectZoneCheck(std::uint8_t zone);
    void SelectCheck(std::string_view name, bool selected);
    void SetSwatch(ui::Argb colour);
    // Runs a change of the page's own: the page shows it itself, so the
    // notification it causes is not shown again.
    void Change(const std::function<void()>& change);
    // What the page shows of the lighting settings.
    struct Shown {
        std::uint8_t mode = 0;
        std::uint8_t brightness = 0;
        std::uint8_t speed = 0;
        bool left = false;
        bool sevenColour = false;
        Rgb colour;
        Rgb wheel;
        Rgb logo;
        std::uint8_t zone = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    [[nodiscard]] Shown Current() const;

    ui::CPaintManagerUI& m_controls;
    LightingModel& m_lighting;
    ui::DialogService& m_dialogs;
    bool m_changing = false;
    std::optional<Shown> m_shown;
    settings::MouseModel::Subscription m_subscription;
};

}  // namespace varlok::lighting
