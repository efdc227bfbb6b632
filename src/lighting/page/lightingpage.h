#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "lighting/effectchange.h"
#include "lighting/effectstate.h"
#include "lighting/lightingsettings.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::lighting {

// The lighting section of the mouse page: the effect mode, brightness,
// speed, direction, the colour (palette, preset buttons, R/G/B edits), the
// seven-colour option and the zone the colour goes to in the static-zones
// mode. Acts on its controls by name through the window's paint manager and
// keeps no state of its own: every control shows a lighting byte of the
// mirror's record, and every change goes back into the record, marks the
// settings dirty and is saved in the selected profiles at once.
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

    // Every reference must outlive the page.
    LightingPage(ui::CPaintManagerUI& controls, settings::MouseMirror& mirror,
                 settings::ProfileSaves& saves, ui::DialogService& dialogs,
                 EffectState& effectState);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Puts the stored settings on the page (RefreshLightingPage). Like a
    // choice of mode it resets the effect state, marks the settings dirty
    // and saves both profiles.
    void Refresh();

    // Shows colour (0xAARRGGBB) in the swatch and the R/G/B edits; with
    // store, it also becomes the mouse's colour: the single colour, or in the
    // static-zones mode the colour of the selected zone.
    void ApplyLightingColour(ui::Argb colour, bool store);

    // A change of several settings at once (the bus service's), each part
    // made as its control makes it (the same functions: the mode as the first
    // mode list, a colour as the palette, ...), shown on the page, then
    // marked dirty and saved once.
    void ApplyEffectChange(const EffectChange& change);

    [[nodiscard]] static std::string PresetButton(int number);

private:
    void OnModeSelected(std::string_view list);
    void SelectMode(std::string_view list, std::uint8_t mode);
    void OnSlider(std::string_view slider);
    void OnSevenColourCheck(bool selected);
    void OnDirectionCheck(bool left);

    // The parts of a change, shared by the controls' handlers and
    // ApplyEffectChange: each shows the value and stores it; the caller
    // marks the settings dirty and saves (ChangeDone).
    void ApplyMode(std::string_view list, std::uint8_t mode);
    void ApplyBrightness(std::uint8_t level);
    void ApplySpeed(std::uint8_t level);
    void ApplySevenColour(bool seven);
    void ApplyDirection(bool left);
    // The channels of colour that mask names (kRed, kGreen, kBlue) into the
    // zone (a MouseZone; any other value changes no colour); a picked colour
    // turns seven-colour mode off.
    void ApplyZoneColour(std::uint8_t zone, Rgb colour, std::uint8_t mask);
    void OnDirectionButton(std::uint8_t direction);
    void OnZoneCheck(MouseZone zone);
    void OnEdit(int channel);
    void OnPreset(int number);
    // When the window initialises: preset colours, the initial colour, the
    // zone group hidden.
    void PrepareSection();

    void ShowModeControls(std::uint8_t mode);
    void EnableModeGroups(std::string_view list, std::uint8_t mode);
    void SelectZoneCheck(std::uint8_t zone);
    void SelectCheck(std::string_view name, bool selected);
    // Stores the channels of colour that mask names (kRed, kGreen, kBlue)
    // where a picked colour goes.
    void StoreColour(Rgb colour, std::uint8_t mask);
    void SetSwatch(ui::Argb colour);
    void ChangeDone();

    ui::CPaintManagerUI& m_controls;
    settings::MouseMirror& m_mirror;
    LightingSettings m_settings;
    settings::ProfileSaves& m_saves;
    ui::DialogService& m_dialogs;
    EffectState& m_effectState;
};

}  // namespace varlok::lighting
