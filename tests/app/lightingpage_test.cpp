#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/presetcolours.h"
#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "lighting/lightingsettings.h"
#include "lighting/page/lightingpage.h"
#include "profiles/profilefile.h"
#include "settings/settingstestsupport.h"
#include "sim/virtualmouse.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/optionui.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using lighting::LightingSettings;
using lighting::Rgb;
using settings::testing::NonFrameRequests;
using settings::testing::Request;

Rgb RgbOf(ui::Argb colour) {
    return Rgb{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
               static_cast<std::uint8_t>(colour)};
}
constexpr std::string_view kModeList = "ms_deng_combo_modeSelect0";

// One control of each column of the first mode list's table, in its order:
// speed, colour, seven colours, presets, direction, palette.
constexpr std::array<std::string_view, 6> kColumnSamples{
    "ms_deng_speed_slider", "ms_Deng_edit_G",    "ms_Deng_label_7color",
    "ms_Deng_color_btn_12", "ms_Deng_FXR_check", "ms_deng_Color_Pallet"};

constexpr std::string_view kLightingTab = "ms_deng_Op_tab";

class LightingPageTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
    }

    // Adds to the skin the two other mode lists our layout leaves out,
    // floating, so that the layout around them stays as it is.
    void AddOtherModeControls() const {
        const std::filesystem::path layout = m_skin / "Mouse_deng.xml";
        std::ifstream in(layout);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string extra;
        for (const char* list : {"ms_deng_combo_modeSelect1", "ms_deng_combo_modeSelect2"}) {
            extra += std::string("<Combo name=\"") + list +
                     "\" float=\"true\" pos=\"0,0,1,1\" resourcetext=\"false\">";
            for (int mode = 0; mode < 7; ++mode) {
                extra += "<ListLabelElement text=\"" + std::to_string(mode) +
                         "\" resourcetext=\"false\"/>";
            }
            extra += "</Combo>";
        }
        const std::string anchor = "<VerticalLayout name=\"ms_deng_show_sel_layout\"";
        text.insert(text.find(anchor), extra);
        std::ofstream(layout, std::ios::trunc) << text;
    }

    LightingSettings Lighting() { return LightingSettings(m_window->Mirror().settingsRecord); }
    ui::COptionUI& Check(std::string_view name) const {
        return *dynamic_cast<ui::COptionUI*>(Find(name));
    }
    ui::CComboUI& Combo(std::string_view name) const {
        return *dynamic_cast<ui::CComboUI*>(Find(name));
    }
    ui::CSliderUI& Slider(std::string_view name) const {
        return *dynamic_cast<ui::CSliderUI*>(Find(name));
    }
    void ChooseMode(std::string_view list, int mode) {
        if (Combo(list).GetCurSel() == mode) {
            // Choosing the shown mode again raises nothing; go through another.
            Combo(list).SelectItem((mode + 1) % 7, false, true);
        }
        ASSERT_TRUE(Combo(list).SelectItem(mode, false, true));
    }
    // A click on a control of that name, as a skin that has one would send
    // (ours has no direction buttons).
    void ClickNamed(const std::string& name) {
        ui::CControlUI control;
        control.SetName(name);
        ui::TNotifyUI click{"click", &control, 0, 0};
        m_window->Notify(click);
    }

    std::array<std::uint8_t, 64> StoredLightingProfile() const {
        std::array<std::uint8_t, 64> body{};
        EXPECT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.led", body),
                  profiles::ProfileReadResult::Loaded);
        return body;
    }
    std::array<std::uint8_t, 576> StoredDeviceProfile() const {
        std::array<std::uint8_t, 576> body{};
        EXPECT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.config", body),
                  profiles::ProfileReadResult::Loaded);
        return body;
    }
    bool TakeDirty() { return m_window->Mirror().settingsDirty.Take(); }
    ui::Argb PaletteColour() const {
        return dynamic_cast<ui::CColorPaletteUI*>(Find("ms_deng_Color_Pallet"))->GetSelectColor();
    }
};

TEST_F(LightingPageTest, EachModeShowsItsControlsAndResetsTheEffect) {
    OpenMousePage(kLightingTab);
    // Rows of the table: speed, colour, seven colours, presets, direction,
    // palette.
    constexpr std::array<std::array<bool, 6>, 7> kShown{{
        {true, false, false, false, true, false},
        {true, true, true, true, true, true},
        {true, false, false, false, false, false},
        {true, false, false, false, true, false},
        {true, true, true, true, false, true},
        {false, true, false, true, false, true},
        {true, true, true, true, false, true},
    }};
    auto& effects = m_window->LightingEffectState();
    for (int mode : {1, 0, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        effects.phaseCounter.Set(9);
        effects.trail[4].Set(200);
        Lighting().SetSevenColour(0);
        ChooseMode(kModeList, mode);
        const auto& row = kShown[static_cast<std::size_t>(mode)];
        for (std::size_t column = 0; column < kColumnSamples.size(); ++column) {
            EXPECT_EQ(Find(kColumnSamples[column])->IsVisible(), row[column])
                << kColumnSamples[column];
        }
        EXPECT_EQ(Find("ms_deng_show_sel_layout")->IsVisible(), mode == 5);
        EXPECT_EQ(Find("ms_deng_own_colours_hint")->IsVisible(), !row[5]);
        EXPECT_EQ(Find("ms_deng_adjust_layout")->GetPadding(),
                  (ui::UiRect{15, mode == 5 ? 0 : 25, 0, 0}));
        EXPECT_EQ(Lighting().Mode(), mode);
        // Only the wave turns to the rainbow.
        EXPECT_EQ(m_window->Mirror().settingsRecord.Get(LightingSettings::kSevenColour),
                  mode == 0 ? 0xFF : 0);
        EXPECT_EQ(effects.phaseCounter.Get(), 0);
        EXPECT_EQ(effects.trail[4].Get(), 0);
    }
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].data[1], 6);
    EXPECT_EQ(StoredLightingProfile()[1], 6);
    EXPECT_EQ(StoredDeviceProfile()[512 + 1], 6);
}

TEST_F(LightingPageTest, TheOtherModeListsEnableGroupsAndKeepTheColourChoice) {
    AddOtherModeControls();
    OpenMousePage(kLightingTab);
    std::array<bool, kColumnSamples.size()> shownBefore{};
    for (std::size_t column = 0; column < kColumnSamples.size(); ++column) {
        shownBefore[column] = Find(kColumnSamples[column])->IsVisible();
    }
    Lighting().SetSevenColour(0);
    const std::string first = "ms_deng_combo_modeSelect1";
    const std::string second = "ms_deng_combo_modeSelect2";
    // Groups enabled (direction, colour, seven colours, speed) and whether
    // the direction group is shown. Mode 1 of the first list hides it with
    // its disabling; mode 4 enables it but leaves it hidden until mode 0.
    const struct {
        std::string list;
        int mode;
        std::string enabled;
        bool directionShown;
    } steps[] = {
        {first, 0, "1111", true},  {first, 1, "0001", false}, {first, 4, "1111", false},
        {first, 0, "1111", true},  {first, 3, "0100", true},  {first, 5, "1101", true},
        {second, 5, "1111", true}, {first, 6, "0001", true},  {second, 6, "0111", true},
        {second, 1, "0001", true}, {second, 2, "0111", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.list + " mode " + std::to_string(step.mode));
        ChooseMode(step.list, step.mode);
        std::string enabled;
        for (const char* group : {"ms_deng_fx_layout", "ms_deng_color_layout",
                                  "ms_deng_7colorselect_layout", "ms_deng_speed_layout"}) {
            enabled += Find(group)->IsEnabled() ? '1' : '0';
        }
        EXPECT_EQ(enabled, step.enabled);
        EXPECT_EQ(Find("ms_deng_fx_layout")->IsVisible(), step.directionShown);
        EXPECT_EQ(Lighting().Mode(), step.mode);
        // Mode 0 here keeps the single colour.
        EXPECT_FALSE(Lighting().SevenColour());
    }
    // Neither list touches the first list's controls.
    for (std::size_t column = 0; column < kColumnSamples.size(); ++column) {
        EXPECT_EQ(Find(kColumnSamples[column])->IsVisible(), shownBefore[column])
            << kColumnSamples[column];
    }
    EXPECT_FALSE(FlushedRecords().empty());
}

TEST_F(LightingPageTest, SlidersStoreOnReleaseOnly) {
    OpenMousePage(kLightingTab);
    ChooseMode(kModeList, 1);
    FlushedRecords();
    m_mouse->ClearLog();
    Lighting().SetBrightness(3);

    // Moving stores nothing.
    Slider("ms_deng_light_slider").SetValue(1);
    ui::TNotifyUI moving{"movevaluechanged", &Slider("ms_deng_light_slider"), 1, 0};
    m_window->Notify(moving);
    EXPECT_FALSE(m_window->Mirror().settingsDirty.IsSet());
    EXPECT_EQ(Lighting().Brightness(), 3);

    ASSERT_TRUE(Driver().DragSlider("ms_deng_light_slider", 1));
    EXPECT_EQ(Lighting().Brightness(), 1);
    // The slider shows 4 minus the speed level: 0 is the fastest.
    ASSERT_TRUE(Driver().DragSlider("ms_deng_speed_slider", 4));
    EXPECT_EQ(Lighting().Speed(), 0);
    // One write for both releases, or two when the releases straddle a
    // flush tick (a loaded machine drags slowly); the last holds both.
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_FALSE(writes.empty());
    EXPECT_LE(writes.size(), 2u);
    EXPECT_EQ(writes.back().data[2], 1);
    EXPECT_EQ(writes.back().data[3], 0);
    EXPECT_EQ(StoredLightingProfile()[2], 1);
    ASSERT_TRUE(Driver().DragSlider("ms_deng_speed_slider", 1));
    EXPECT_EQ(Lighting().Speed(), 3);
    WaitForCommit();
    EXPECT_EQ(StoredDeviceProfile()[512 + 3], 3);
}

TEST_F(LightingPageTest, TypedChannelsAreHeldWithinTheirRangeAndStored) {
    OpenMousePage(kLightingTab);
    ChooseMode(kModeList, 1);
    ASSERT_TRUE(Driver().Click("ms_Deng_color_btn_3"));
    const Rgb preset = Lighting().Colour();
    Check("ms_Deng_7color_check").Selected(true, true);
    ASSERT_TRUE(Lighting().SevenColour());
    FlushedRecords();
    m_mouse->ClearLog();

    ASSERT_TRUE(Driver().ClearText("ms_Deng_edit_R"));
    ASSERT_TRUE(Driver().Type("ms_Deng_edit_R", "300"));
    EXPECT_EQ(Find("ms_Deng_edit_R")->GetText(), "255");
    EXPECT_EQ(Lighting().Colour(), (Rgb{255, preset.green, preset.blue}));
    EXPECT_FALSE(Lighting().SevenColour());
    EXPECT_FALSE(Check("ms_Deng_7color_check").IsSelected());
    // Every key stores; the flush may fall between two of them.
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().data[6], 255);
    EXPECT_EQ(writes.back().data[5], 0);
    EXPECT_EQ(StoredLightingProfile()[6], 255);

    // Negative numbers are held at 0 and said so; text that is no number
    // reads as 0.
    Find("ms_Deng_edit_G")->SetText("");
    ASSERT_TRUE(Driver().Type("ms_Deng_edit_G", "-7"));
    EXPECT_EQ(Find("ms_Deng_edit_G")->GetText(), "0");
    Find("ms_Deng_edit_B")->SetText("");
    ASSERT_TRUE(Driver().Type("ms_Deng_edit_B", "x"));
    EXPECT_EQ(Find("ms_Deng_edit_B")->GetText(), "x");
    EXPECT_EQ(Lighting().Colour(), (Rgb{255, 0, 0}));
    EXPECT_EQ(Find("ms_Deng_colordp_btn")->GetBkColor(), 0xFFFF0000u);
    EXPECT_EQ(PaletteColour(), 0xFFFF0000u);
}

TEST_F(LightingPageTest, PresetsAndThePaletteColourTheSelectedZone) {
    OpenMousePage(kLightingTab);
    const auto& presets = PresetColours();
    for (const int number : lighting::LightingPage::kPresetButtons) {
        EXPECT_EQ(Find(lighting::LightingPage::PresetButton(number))->GetBkColor(),
                  presets[static_cast<std::size_t>(number)]);
    }
    ChooseMode(kModeList, 5);
    Lighting().SetColour({1, 2, 3});
    Lighting().SetWheelColour({4, 5, 6});
    Lighting().SetLogoColour({7, 8, 9});
    // The seven-colour check is hidden in this mode; a preset clears the
    // flag all the same.
    Lighting().SetSevenColour(1);

    EXPECT_TRUE(TakeDirty());
    ASSERT_TRUE(Driver().Click("ms_Deng_logo_check"));
    EXPECT_EQ(m_window->Mirror().mouseZoneSlot.Get(), 1);
    EXPECT_TRUE(Check("ms_Deng_logo_check").IsSelected());
    EXPECT_FALSE(Check("ms_Deng_bottom_check").IsSelected() ||
                 Check("ms_Deng_wheel_check").IsSelected());
    EXPECT_FALSE(m_window->Mirror().settingsDirty.IsSet());
    WaitForCommit();
    EXPECT_EQ(StoredDeviceProfile()[512 + 51], 1);
    // Clicking the chosen zone again keeps it.
    ASSERT_TRUE(Driver().Click("ms_Deng_logo_check"));
    EXPECT_TRUE(Check("ms_Deng_logo_check").IsSelected());

    ASSERT_TRUE(Driver().Click("ms_Deng_color_btn_11"));
    const Rgb eleven = RgbOf(presets[11]);
    EXPECT_EQ(Lighting().LogoColour(), eleven);
    EXPECT_EQ(Lighting().Colour(), (Rgb{1, 2, 3}));
    EXPECT_EQ(Lighting().WheelColour(), (Rgb{4, 5, 6}));
    EXPECT_FALSE(Lighting().SevenColour());
    EXPECT_EQ(Find("ms_Deng_colordp_btn")->GetBkColor(), presets[11]);
    EXPECT_EQ(PaletteColour(), presets[11]);

    ASSERT_TRUE(Driver().Click("ms_Deng_wheel_check"));
    ASSERT_TRUE(Driver().PickPaletteColour("ms_deng_Color_Pallet", 0.5, 0.5));
    const Rgb picked = RgbOf(PaletteColour());
    EXPECT_EQ(Lighting().WheelColour(), picked);
    EXPECT_EQ(Lighting().LogoColour(), eleven);

    // The pick's own write goes out first, so that it is not counted below.
    static_cast<void>(FlushedRecords());
    // No zone: no colour changes, the record is still sent and saved.
    m_window->Mirror().mouseZoneSlot.Set(7);
    Lighting().SetSevenColour(1);
    m_mouse->ClearLog();
    ASSERT_TRUE(Driver().Click("ms_Deng_color_btn_2"));
    EXPECT_EQ(Lighting().WheelColour(), picked);
    EXPECT_EQ(Lighting().LogoColour(), eleven);
    EXPECT_EQ(Lighting().Colour(), (Rgb{1, 2, 3}));
    EXPECT_EQ(FlushedRecords().size(), 1u);
    EXPECT_EQ(StoredLightingProfile()[5], 0);

    // Past the preset list: nothing happens.
    ClickNamed("ms_Deng_color_btn_30");
    EXPECT_FALSE(m_window->Mirror().settingsDirty.IsSet());
}

TEST_F(LightingPageTest, DirectionChecksAndButtonsSetTheDirectionAndRestartTheEffect) {
    OpenMousePage(kLightingTab);
    ChooseMode(kModeList, 1);
    auto& effects = m_window->LightingEffectState();
    const auto dirty = [&] {
        effects.logoCounter.Set(3);
        effects.trail[0].Set(77);
    };

    dirty();
    ASSERT_TRUE(Driver().Click("ms_Deng_FXL_check"));
    EXPECT_TRUE(Lighting().DirectionLeft());
    EXPECT_FALSE(Check("ms_Deng_FXR_check").IsSelected());
    EXPECT_EQ(effects.logoCounter.Get(), 0);
    EXPECT_EQ(effects.trail[0].Get(), 0);
    // A click on the chosen direction keeps it.
    ASSERT_TRUE(Driver().Click("ms_Deng_FXL_check"));
    EXPECT_TRUE(Check("ms_Deng_FXL_check").IsSelected());
    ASSERT_TRUE(Driver().Click("ms_Deng_FXR_check"));
    EXPECT_FALSE(Lighting().DirectionLeft());
    EXPECT_FALSE(Check("ms_Deng_FXL_check").IsSelected());
    WaitForCommit();
    EXPECT_EQ(StoredLightingProfile()[4], 0);

    // The buttons set the byte the other way round, leave the checks and the
    // effect alone and save only the lighting profile.
    m_mouse->ClearLog();
    dirty();
    effects.trail[0].Set(77);
    const auto deviceProfileBefore = StoredDeviceProfile();
    ClickNamed("ms_Deng_FXR_btn");
    EXPECT_TRUE(Lighting().DirectionLeft());
    EXPECT_FALSE(Check("ms_Deng_FXL_check").IsSelected());
    EXPECT_TRUE(Check("ms_Deng_FXR_check").IsSelected());
    EXPECT_EQ(effects.trail[0].Get(), 77);
    WaitForCommit();
    EXPECT_EQ(StoredLightingProfile()[4], 1);
    EXPECT_EQ(StoredDeviceProfile(), deviceProfileBefore);
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].data[4], 1);
    ClickNamed("ms_Deng_FXL_btn");
    EXPECT_FALSE(Lighting().DirectionLeft());
    EXPECT_TRUE(Check("ms_Deng_FXR_check").IsSelected());

    // The seven-colour check sets the flag to 1, not to the mode list's 0xFF.
    Check("ms_Deng_7color_check").Selected(false, false);
    ASSERT_TRUE(Driver().Click("ms_Deng_7color_check"));
    EXPECT_EQ(m_window->Mirror().settingsRecord.Get(LightingSettings::kSevenColour), 1);
    ASSERT_TRUE(Driver().Click("ms_Deng_7color_check"));
    EXPECT_EQ(m_window->Mirror().settingsRecord.Get(LightingSettings::kSevenColour), 0);
}

TEST_F(LightingPageTest, RefreshShowsTheStoredSettings) {
    OpenMousePage(kLightingTab);
    auto lighting = Lighting();
    lighting.SetMode(4);
    lighting.SetBrightness(2);
    lighting.SetSpeed(1);
    lighting.SetColour({10, 20, 30});
    lighting.SetSevenColour(1);
    lighting.SetDirectionLeft(true);
    m_window->Mirror().mouseZoneSlot.Set(0);
    m_window->LightingEffectState().phaseCounter.Set(4);
    m_window->Model().Notify(settings::MouseChange::Settings);

    EXPECT_EQ(Combo(kModeList).GetCurSel(), 4);
    EXPECT_FALSE(Find("ms_Deng_FXL_check")->IsVisible());
    EXPECT_TRUE(Find("ms_Deng_7color_check")->IsVisible());
    EXPECT_EQ(Slider("ms_deng_light_slider").GetValue(), 2);
    EXPECT_EQ(Slider("ms_deng_speed_slider").GetValue(), 3);
    EXPECT_EQ(Find("ms_Deng_edit_R")->GetText() + Find("ms_Deng_edit_B")->GetText(), "1030");
    EXPECT_EQ(Find("ms_Deng_colordp_btn")->GetBkColor(), 0xFF0A141Eu);
    EXPECT_EQ(PaletteColour(), 0xFF0A141Eu);
    EXPECT_TRUE(Check("ms_Deng_7color_check").IsSelected());
    EXPECT_TRUE(Check("ms_Deng_FXL_check").IsSelected());
    EXPECT_FALSE(Check("ms_Deng_FXR_check").IsSelected());
    EXPECT_TRUE(Check("ms_Deng_wheel_check").IsSelected());
    EXPECT_FALSE(Check("ms_Deng_bottom_check").IsSelected());
    EXPECT_EQ(m_window->LightingEffectState().phaseCounter.Get(), 0);
    // Showing the settings stores the mode again: the record goes out and
    // the profiles are saved.
    EXPECT_EQ(FlushedRecords().size(), 1u);
    EXPECT_EQ(StoredLightingProfile()[7], 20);

    // A zone slot no check stands for leaves the checks as they were.
    m_window->Mirror().mouseZoneSlot.Set(9);
    m_window->Model().Notify(settings::MouseChange::Settings);
    EXPECT_TRUE(Check("ms_Deng_wheel_check").IsSelected());
}

// The section without the window: each control's change goes into the
// lighting model, which sends the record once and saves the selected
// profiles at the flush tick.
TEST(LightingSectionTest, ControlChangesReachTheMouseAndTheProfilesAtTheCommit) {
    using Strings = std::vector<std::string>;
    testing::PageHarness page;
    page.Add<lighting::LightingPage>();
    page.Initialise();
    const auto settings = [&page] { return LightingSettings(page.Mirror().settingsRecord); };
    const auto stored = [&page](const char* file, std::size_t at) {
        return static_cast<std::uint8_t>(page.FileBytes(file).at(16 + at));
    };

    // The wave from the first list: the rainbow, the effect restarted, one
    // write of the record, both profiles saved.
    page.Effects().phaseCounter.Set(5);
    ASSERT_TRUE(page.Choose(kModeList, 0));
    EXPECT_EQ(page.Effects().phaseCounter.Get(), 0);
    EXPECT_TRUE(page.TakeRequests().empty());
    page.Commit();
    std::vector<Request> writes = page.TakeRequests();
    ASSERT_EQ(settings::testing::Summaries(writes), Strings{"06 len 56 @0"});
    EXPECT_EQ(writes[0].data[LightingSettings::kSevenColour], 0xFF);
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));
    EXPECT_EQ(stored("profile1.led", LightingSettings::kSevenColour), 0xFF);
    EXPECT_EQ(stored("profile1.config", 512 + LightingSettings::kSevenColour), 0xFF);

    // Static zones, the logo's: the zone is the host's, kept with the
    // device profile only; nothing goes to the mouse.
    ASSERT_TRUE(page.Choose(kModeList, 5));
    EXPECT_EQ(page.Find("ms_deng_adjust_layout")->GetPadding(), (ui::UiRect{15, 0, 0, 0}));
    page.Commit();
    static_cast<void>(page.TakeRequests());
    static_cast<void>(page.TakeSaves());
    ASSERT_TRUE(page.Tick("ms_Deng_logo_check", true));
    page.Commit();
    EXPECT_TRUE(page.TakeRequests().empty());
    EXPECT_EQ(page.TakeSaves(), Strings{"device"});
    EXPECT_EQ(stored("profile1.config", 512 + 51), 1);

    // A preset colours the logo and stops the cycling; a channel typed past
    // its range is held and stored in the same zone. One write for both.
    settings().SetSevenColour(1);
    ASSERT_TRUE(page.Click("ms_Deng_color_btn_11"));
    const ui::Argb preset = PresetColours()[11];
    EXPECT_EQ(page.Find("ms_Deng_colordp_btn")->GetBkColor(), preset);
    ASSERT_TRUE(page.Type("ms_Deng_edit_R", "300"));
    EXPECT_EQ(page.Text("ms_Deng_edit_R"), "255");
    const Rgb logo{255, RgbOf(preset).green, RgbOf(preset).blue};
    EXPECT_EQ(settings().LogoColour(), logo);
    EXPECT_EQ(settings().Colour(), Rgb{});
    page.Commit();
    writes = page.TakeRequests();
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(std::vector(writes[0].data.begin() + 47, writes[0].data.begin() + 50),
              (std::vector<std::uint8_t>{logo.red, logo.green, logo.blue}));
    EXPECT_EQ(writes[0].data[LightingSettings::kSevenColour], 0);
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));
    EXPECT_EQ(stored("profile1.led", 47), 255);

    // A change made elsewhere (the bus service's) shows on the page at once.
    lighting::EffectChange change;
    change.mode = 4;
    change.colour = Rgb{0x10, 0x20, 0x30};
    page.Lighting().ApplyChange(change);
    EXPECT_EQ(page.Get<ui::CComboUI>(kModeList).GetCurSel(), 4);
    EXPECT_EQ(page.Text("ms_Deng_edit_G"), "32");
    EXPECT_EQ(page.Find("ms_Deng_colordp_btn")->GetBkColor(), 0xFF102030u);
    EXPECT_EQ(page.Find("ms_deng_adjust_layout")->GetPadding(), (ui::UiRect{15, 25, 0, 0}));
}

}  // namespace
}  // namespace varlok::app
