#include "lighting/page/lightingpage.h"

#include <algorithm>
#include <optional>
#include <span>

#include "platform/decimal.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/notify.h"
#include "ui/optionui.h"
#include "ui/progressui.h"

namespace varlok::lighting {

namespace {

using ui::NameMatch;

constexpr std::string_view kBrightnessSlider = "ms_deng_light_slider";
constexpr std::string_view kSpeedSlider = "ms_deng_speed_slider";
constexpr std::string_view kPalette = "ms_deng_Color_Pallet";
constexpr std::string_view kSwatch = "ms_Deng_colordp_btn";
constexpr std::string_view kPresetPrefix = "ms_Deng_color_btn_";
constexpr std::string_view kSevenColourCheck = "ms_Deng_7color_check";
constexpr std::string_view kLeftCheck = "ms_Deng_FXL_check";
constexpr std::string_view kRightCheck = "ms_Deng_FXR_check";
constexpr std::string_view kLeftButton = "ms_Deng_FXL_btn";
constexpr std::string_view kRightButton = "ms_Deng_FXR_btn";
constexpr std::string_view kZoneGroup = "ms_deng_show_sel_layout";
constexpr std::string_view kAdjustGroup = "ms_deng_adjust_layout";
// Says that the effect picks its own colours, where the colour controls
// would be.
constexpr std::string_view kOwnColoursHint = "ms_deng_own_colours_hint";

// The R, G and B edits, by channel; the channel's shift in an ARGB colour.
constexpr std::array<std::string_view, 3> kEdits{"ms_Deng_edit_R", "ms_Deng_edit_G",
                                                 "ms_Deng_edit_B"};
constexpr std::array<unsigned, 3> kChannelShift{16, 8, 0};
constexpr std::uint8_t kAllChannels = 0b111;
constexpr int kMaxChannel = 255;

// The zone checks, by MouseZone.
constexpr std::array<std::string_view, 3> kZoneChecks{"ms_Deng_wheel_check", "ms_Deng_logo_check",
                                                      "ms_Deng_bottom_check"};

// Speed levels run from 0 (fastest) to 4; the slider shows 4 minus the level.
constexpr int kSlowestSpeed = kSpeedLevels - 1;

// The lighting section's palette and swatch before any settings are shown:
// the program's accent colour.
constexpr ui::Argb kInitialColour = ui::MakeArgb(0xFF, 0x01, 0x99, 0xCB);

// What the first mode list shows in each mode. Presets stand for the 16
// preset buttons, whose names are built.
enum ModeColumn {
    kSpeedColumn,
    kColourColumn,
    kSevenColourColumn,
    kPresetColumn,
    kDirectionColumn,
    kPaletteColumn,
    kColumnCount
};
using ModeRow = std::array<bool, kColumnCount>;
constexpr std::array<ModeRow, kModeCount> kModeVisibility{{
    //  speed  colour seven  preset direct palette
    {true, false, false, false, true, false},   // 0 Wave
    {true, true, true, true, true, true},       // 1 Trail
    {true, false, false, false, false, false},  // 2 Spectrum
    {true, false, false, false, true, false},   // 3 Gradient flow
    {true, true, true, true, false, true},      // 4 Breathing
    {false, true, false, true, false, true},    // 5 Static zones
    {true, true, true, true, false, true},      // 6 Reactive
}};
constexpr std::array<std::string_view, 2> kSpeedControls{"ms_deng_speed_label", kSpeedSlider};
constexpr std::array<std::string_view, 8> kColourControls{
    "ms_Deng_label_Color_dp", kSwatch,          "ms_Deng_label_R", "ms_Deng_label_G",
    "ms_Deng_label_B",        "ms_Deng_edit_R", "ms_Deng_edit_G",  "ms_Deng_edit_B"};
constexpr std::array<std::string_view, 2> kSevenColourControls{kSevenColourCheck,
                                                               "ms_Deng_label_7color"};
constexpr std::array<std::string_view, 5> kDirectionControls{
    "ms_Deng_FX_label", "ms_Deng_label_FXL", "ms_Deng_label_FXR", kLeftCheck, kRightCheck};
constexpr std::array<std::string_view, 1> kPaletteControls{kPalette};

// The controls of each column but the presets'.
constexpr std::array<std::span<const std::string_view>, kColumnCount> kModeColumnControls{
    kSpeedControls,     kColourControls, kSevenColourControls, {},
    kDirectionControls, kPaletteControls};

constexpr ui::UiRect kAdjustPaddingStaticZones{15, 0, 0, 0};
constexpr ui::UiRect kAdjustPadding{15, 25, 0, 0};

// What the two other mode lists enable in each mode (rows by mode, as in
// kModeVisibility), in the order of kModeGroups.
constexpr std::array<std::string_view, 4> kModeGroups{"ms_deng_fx_layout", "ms_deng_color_layout",
                                                      "ms_deng_7colorselect_layout",
                                                      "ms_deng_speed_layout"};
using GroupRow = std::array<bool, kModeGroups.size()>;
constexpr std::array<GroupRow, kModeCount> kEnablingList1{{
    {true, true, true, true},
    {false, false, false, true},
    {false, true, true, true},
    {false, true, false, false},
    {true, true, true, true},
    {true, true, false, true},
    {false, false, false, true},
}};
constexpr std::array<GroupRow, kModeCount> kEnablingList2{{
    {true, true, true, true},
    {false, false, false, true},
    {false, true, true, true},
    {false, true, false, false},
    {true, true, true, true},
    {true, true, true, true},
    {false, true, true, true},
}};
// In its first three modes the first enabling list also shows or hides the
// direction and speed groups as it enables them.
constexpr std::uint8_t kModesShowingGroups = 3;
constexpr std::array<std::size_t, 2> kShownGroups{0, 3};

ui::Argb Opaque(Rgb colour) {
    return ui::MakeArgb(0xFF, colour.red, colour.green, colour.blue);
}

Rgb RgbOf(ui::Argb colour) {
    return Rgb{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
               static_cast<std::uint8_t>(colour)};
}

}  // namespace

LightingPage::LightingPage(ui::CPaintManagerUI& controls, settings::MouseMirror& mirror,
                           settings::ProfileSaves& saves, ui::DialogService& dialogs,
                           EffectState& effectState)
    : m_controls(controls),
      m_mirror(mirror),
      m_settings(mirror.settingsRecord),
      m_saves(saves),
      m_dialogs(dialogs),
      m_effectState(effectState) {}

std::string LightingPage::PresetButton(int number) {
    return std::string(kPresetPrefix) + std::to_string(number);
}

void LightingPage::RegisterRoutes(ui::RouteTable& routes) {
    using namespace ui::msgtype;
    using Routed = std::optional<int>;
    for (const std::string_view list : {kModeList, kEnablingModeList, kOtherEnablingModeList}) {
        routes.OnNotify(kOwner, kItemSelect, list, NameMatch::Exact,
                        [this, list](ui::TNotifyUI&, Routed) { OnModeSelected(list); });
    }
    // Only the release of a slider stores; its moves change nothing.
    for (const std::string_view slider : {kBrightnessSlider, kSpeedSlider}) {
        routes.OnNotify(kOwner, kValueChanged, slider, NameMatch::Exact,
                        [this, slider](ui::TNotifyUI&, Routed) { OnSlider(slider); });
    }
    routes.OnNotify(kOwner, kSelectChanged, kSevenColourCheck, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) { OnSevenColourCheck(msg.wParam != 0); });
    for (const auto& [check, left] : {std::pair{kLeftCheck, true}, std::pair{kRightCheck, false}}) {
        routes.OnNotify(kOwner, kSelectChanged, check, NameMatch::Exact,
                        [this, left = left](ui::TNotifyUI&, Routed) { OnDirectionCheck(left); });
    }
    for (std::size_t zone = 0; zone < kZoneChecks.size(); ++zone) {
        routes.OnNotify(
            kOwner, kSelectChanged, kZoneChecks[zone], NameMatch::Exact,
            [this, zone](ui::TNotifyUI&, Routed) { OnZoneCheck(static_cast<MouseZone>(zone)); });
    }
    routes.OnNotify(kOwner, kColorChanged, kPalette, NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) {
                        if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
                            ApplyLightingColour(palette->GetSelectColor(), true);
                        }
                    });
    routes.OnClick(kOwner, kPresetPrefix, NameMatch::PrefixIndex,
                   [this](ui::TNotifyUI&, Routed number) { OnPreset(*number); });
    for (int channel = 0; channel < static_cast<int>(kEdits.size()); ++channel) {
        routes.OnNotify(kOwner, kTextChanged, kEdits[static_cast<std::size_t>(channel)],
                        NameMatch::Exact,
                        [this, channel](ui::TNotifyUI&, Routed) { OnEdit(channel); });
    }
    // The direction buttons of skins that offer them set the direction byte
    // the other way round from the checks (the left button 0, the right one
    // 1) and leave the checks and the running effect alone.
    for (const auto& [button, direction] :
         {std::pair{kLeftButton, std::uint8_t{0}}, std::pair{kRightButton, std::uint8_t{1}}}) {
        routes.OnClick(kOwner, button, NameMatch::Exact,
                       [this, direction = direction](ui::TNotifyUI&, Routed) {
                           OnDirectionButton(direction);
                       });
    }
    routes.OnSignal(kOwner, ui::PageSignal::FillPageData, [this] { PrepareSection(); });
    routes.OnSignal(kOwner, ui::PageSignal::RefreshMousePage, [this] { Refresh(); });
}

void LightingPage::OnModeSelected(std::string_view list) {
    const auto* combo = m_controls.FindControl<ui::CComboUI>(list);
    if (combo == nullptr || combo->GetCurSel() < 0) {
        return;
    }
    SelectMode(list, static_cast<std::uint8_t>(std::min(combo->GetCurSel(), 0xFF)));
}

void LightingPage::SelectMode(std::string_view list, std::uint8_t mode) {
    ApplyMode(list, mode);
    ChangeDone();
}

void LightingPage::ApplyMode(std::string_view list, std::uint8_t mode) {
    ResetEffectState(m_effectState);
    if (list == kModeList) {
        ShowModeControls(mode);
        if (mode == static_cast<std::uint8_t>(LightingMode::Wave)) {
            // The wave then runs as a rainbow, whatever colour was set.
            m_settings.SetSevenColour(LightingSettings::kSevenColourFromModeList);
        }
    } else {
        EnableModeGroups(list, mode);
    }
    m_settings.SetMode(mode);
}

void LightingPage::ShowModeControls(std::uint8_t mode) {
    // A mode past the table (a damaged record) leaves the page as it is.
    if (mode >= kModeCount) {
        return;
    }
    const ModeRow& row = kModeVisibility[mode];
    for (std::size_t column = 0; column < kModeColumnControls.size(); ++column) {
        for (const std::string_view name : kModeColumnControls[column]) {
            if (ui::CControlUI* control = m_controls.FindControl(name)) {
                control->SetVisible(row[column]);
            }
        }
    }
    for (const int number : kPresetButtons) {
        if (ui::CControlUI* button = m_controls.FindControl(PresetButton(number))) {
            button->SetVisible(row[kPresetColumn]);
        }
    }
    if (ui::CControlUI* hint = m_controls.FindControl(kOwnColoursHint)) {
        hint->SetVisible(!row[kPaletteColumn]);
    }
    const bool staticZones = mode == static_cast<std::uint8_t>(LightingMode::StaticZones);
    if (ui::CControlUI* zones = m_controls.FindControl(kZoneGroup)) {
        zones->SetVisible(staticZones);
    }
    if (ui::CControlUI* adjust = m_controls.FindControl(kAdjustGroup)) {
        adjust->SetPadding(staticZones ? kAdjustPaddingStaticZones : kAdjustPadding);
    }
}

void LightingPage::EnableModeGroups(std::string_view list, std::uint8_t mode) {
    if (mode >= kModeCount) {
        return;
    }
    const bool first = list == kEnablingModeList;
    const GroupRow& row = (first ? kEnablingList1 : kEnablingList2)[mode];
    for (std::size_t group = 0; group < kModeGroups.size(); ++group) {
        if (ui::CControlUI* control = m_controls.FindControl(kModeGroups[group])) {
            control->SetEnabled(row[group]);
        }
    }
    if (first && mode < kModesShowingGroups) {
        for (const std::size_t group : kShownGroups) {
            if (ui::CControlUI* control = m_controls.FindControl(kModeGroups[group])) {
                control->SetVisible(row[group]);
            }
        }
    }
}

void LightingPage::OnSlider(std::string_view slider) {
    const auto* control = m_controls.FindControl<ui::CProgressUI>(slider);
    if (control == nullptr) {
        return;
    }
    const int value = control->GetValue();
    if (slider == kBrightnessSlider) {
        ApplyBrightness(static_cast<std::uint8_t>(std::clamp(value, 0, 0xFF)));
    } else {
        ApplySpeed(static_cast<std::uint8_t>(std::clamp(kSlowestSpeed - value, 0, 0xFF)));
    }
    ChangeDone();
}

void LightingPage::ApplyBrightness(std::uint8_t level) {
    if (auto* slider = m_controls.FindControl<ui::CProgressUI>(kBrightnessSlider)) {
        slider->SetValue(level);
    }
    m_settings.SetBrightness(level);
}

void LightingPage::ApplySpeed(std::uint8_t level) {
    if (auto* slider = m_controls.FindControl<ui::CProgressUI>(kSpeedSlider)) {
        slider->SetValue(kSlowestSpeed - level);
    }
    m_settings.SetSpeed(level);
}

void LightingPage::OnSevenColourCheck(bool selected) {
    ApplySevenColour(selected);
    ChangeDone();
}

void LightingPage::ApplySevenColour(bool seven) {
    SelectCheck(kSevenColourCheck, seven);
    m_settings.SetSevenColour(seven ? 1 : 0);
}

void LightingPage::OnDirectionCheck(bool left) {
    ApplyDirection(left);
    ChangeDone();
}

void LightingPage::ApplyDirection(bool left) {
    SelectCheck(kLeftCheck, left);
    SelectCheck(kRightCheck, !left);
    m_settings.SetDirectionLeft(left);
    ResetEffectState(m_effectState);
}

void LightingPage::OnDirectionButton(std::uint8_t direction) {
    m_settings.SetDirectionLeft(direction != 0);
    m_mirror.settingsDirty.Mark();
    m_saves.SaveLightingProfile();
}

void LightingPage::OnZoneCheck(MouseZone zone) {
    const auto slot = static_cast<std::uint8_t>(zone);
    m_mirror.mouseZoneSlot.Set(slot);
    SelectZoneCheck(slot);
    // The zone is a setting of the host, kept with the device profile; the
    // mouse's record does not change.
    m_saves.SaveDeviceProfile();
}

void LightingPage::SelectZoneCheck(std::uint8_t zone) {
    if (zone >= kZoneChecks.size()) {
        return;
    }
    for (std::size_t check = 0; check < kZoneChecks.size(); ++check) {
        SelectCheck(kZoneChecks[check], check == zone);
    }
}

void LightingPage::SelectCheck(std::string_view name, bool selected) {
    if (auto* check = m_controls.FindControl<ui::COptionUI>(name)) {
        check->Selected(selected, false);
    }
}

void LightingPage::SetSwatch(ui::Argb colour) {
    if (ui::CControlUI* swatch = m_controls.FindControl(kSwatch)) {
        swatch->SetBkColor(colour);
        swatch->SetBkImage("");
    }
}

void LightingPage::ApplyLightingColour(ui::Argb colour, bool store) {
    SetSwatch(colour);
    for (std::size_t channel = 0; channel < kEdits.size(); ++channel) {
        if (ui::CControlUI* edit = m_controls.FindControl(kEdits[channel])) {
            edit->SetText(std::to_string((colour >> kChannelShift[channel]) & 0xFF));
        }
    }
    if (store) {
        StoreColour(RgbOf(colour), kAllChannels);
    }
}

void LightingPage::OnEdit(int channel) {
    const auto index = static_cast<std::size_t>(channel);
    ui::CControlUI* edit = m_controls.FindControl(kEdits[index]);
    if (edit == nullptr) {
        return;
    }
    // Typed values outside a channel's range are held at its bounds, and the
    // edit says so.
    const int typed = platform::ParseDecimal(edit->GetText());
    const int value = std::clamp(typed, 0, kMaxChannel);
    if (value != typed) {
        edit->SetText(std::to_string(value));
    }
    const ui::CControlUI* swatch = m_controls.FindControl(kSwatch);
    ui::Argb colour = swatch != nullptr ? swatch->GetBkColor() : ui::MakeArgb(0xFF, 0, 0, 0);
    colour &= ~(ui::Argb{0xFF} << kChannelShift[index]);
    colour |= (ui::Argb{0xFF} << 24) | (static_cast<ui::Argb>(value) << kChannelShift[index]);
    SetSwatch(colour);
    if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
        palette->SetSelectColor(colour);
    }
    StoreColour(RgbOf(colour), static_cast<std::uint8_t>(1U << (2 - index)));
}

void LightingPage::StoreColour(Rgb colour, std::uint8_t mask) {
    // Outside the static-zones mode the colour is the single colour, the
    // bottom zone's.
    const std::uint8_t zone =
        m_settings.Mode() == static_cast<std::uint8_t>(LightingMode::StaticZones)
            ? m_mirror.mouseZoneSlot.Get()
            : static_cast<std::uint8_t>(MouseZone::Bottom);
    ApplyZoneColour(zone, colour, mask);
    ChangeDone();
}

void LightingPage::ApplyZoneColour(std::uint8_t zone, Rgb colour, std::uint8_t mask) {
    // A picked colour is a single colour: the effect stops cycling colours.
    SelectCheck(kSevenColourCheck, false);
    m_settings.SetSevenColour(0);
    const auto merge = [&](Rgb stored) {
        return Rgb{(mask & 0b100) != 0 ? colour.red : stored.red,
                   (mask & 0b010) != 0 ? colour.green : stored.green,
                   (mask & 0b001) != 0 ? colour.blue : stored.blue};
    };
    switch (zone) {
        case static_cast<std::uint8_t>(MouseZone::Wheel):
            m_settings.SetWheelColour(merge(m_settings.WheelColour()));
            break;
        case static_cast<std::uint8_t>(MouseZone::Logo):
            m_settings.SetLogoColour(merge(m_settings.LogoColour()));
            break;
        case static_cast<std::uint8_t>(MouseZone::Bottom):
            m_settings.SetColour(merge(m_settings.Colour()));
            break;
        default:
            // No zone is selected: no colour changes.
            break;
    }
}

void LightingPage::ApplyEffectChange(const EffectChange& change) {
    if (change.mode) {
        if (auto* combo = m_controls.FindControl<ui::CComboUI>(kModeList)) {
            combo->SelectItem(*change.mode, false, false);
        }
        ApplyMode(kModeList, *change.mode);
    }
    if (change.brightness) {
        ApplyBrightness(*change.brightness);
    }
    if (change.speed) {
        ApplySpeed(*change.speed);
    }
    if (change.left) {
        ApplyDirection(*change.left);
    }
    if (change.colour) {
        ApplyZoneColour(static_cast<std::uint8_t>(MouseZone::Bottom), *change.colour, kAllChannels);
        const ui::Argb shown = Opaque(*change.colour);
        if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
            palette->SetSelectColor(shown);
        }
        ApplyLightingColour(shown, false);
    }
    if (change.wheel) {
        ApplyZoneColour(static_cast<std::uint8_t>(MouseZone::Wheel), *change.wheel, kAllChannels);
    }
    if (change.logo) {
        ApplyZoneColour(static_cast<std::uint8_t>(MouseZone::Logo), *change.logo, kAllChannels);
    }
    if (change.sevenColour) {
        ApplySevenColour(*change.sevenColour);
    }
    ChangeDone();
}

void LightingPage::OnPreset(int number) {
    const std::span<const ui::Argb> presets = m_dialogs.PresetColours();
    if (number < 0 || static_cast<std::size_t>(number) >= presets.size()) {
        return;
    }
    const ui::Argb colour = presets[static_cast<std::size_t>(number)];
    // The palette's marker follows, so that it shows the colour in force.
    if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
        palette->SetSelectColor(colour);
    }
    ApplyLightingColour(colour, true);
}

void LightingPage::PrepareSection() {
    const std::span<const ui::Argb> presets = m_dialogs.PresetColours();
    for (const int number : kPresetButtons) {
        ui::CControlUI* button = m_controls.FindControl(PresetButton(number));
        if (button != nullptr && static_cast<std::size_t>(number) < presets.size()) {
            button->SetBkColor(presets[static_cast<std::size_t>(number)]);
        }
    }
    if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
        palette->SetSelectColor(kInitialColour);
    }
    ApplyLightingColour(kInitialColour, false);
    // Shown by the static-zones mode only. Hidden here rather than by the
    // layout: a container the layout builds hidden keeps its children hidden.
    if (ui::CControlUI* zones = m_controls.FindControl(kZoneGroup)) {
        zones->SetVisible(false);
    }
}

void LightingPage::Refresh() {
    SelectZoneCheck(m_mirror.mouseZoneSlot.Get());
    const std::uint8_t mode = m_settings.Mode();
    if (auto* combo = m_controls.FindControl<ui::CComboUI>(kModeList)) {
        combo->SelectItem(mode, false, false);
    }
    SelectMode(kModeList, mode);
    if (auto* slider = m_controls.FindControl<ui::CProgressUI>(kBrightnessSlider)) {
        slider->SetValue(m_settings.Brightness());
    }
    if (auto* slider = m_controls.FindControl<ui::CProgressUI>(kSpeedSlider)) {
        slider->SetValue(kSlowestSpeed - m_settings.Speed());
    }
    const ui::Argb colour = Opaque(m_settings.Colour());
    if (auto* palette = m_controls.FindControl<ui::CColorPaletteUI>(kPalette)) {
        palette->SetSelectColor(colour);
    }
    ApplyLightingColour(colour, false);
    SelectCheck(kSevenColourCheck, m_settings.SevenColour());
    const bool left = m_settings.DirectionLeft();
    SelectCheck(kLeftCheck, left);
    SelectCheck(kRightCheck, !left);
}

void LightingPage::ChangeDone() {
    m_mirror.settingsDirty.Mark();
    m_saves.SaveLightingProfile();
    m_saves.SaveDeviceProfile();
}

}  // namespace varlok::lighting
