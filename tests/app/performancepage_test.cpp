#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "platform/recordingdesktopsettings.h"
#include "profiles/profilefile.h"
#include "settings/dpitable.h"
#include "settings/page/performancepage.h"
#include "settings/settingstestsupport.h"
#include "sim/virtualmouse.h"
#include "ui/comboui.h"
#include "ui/editui.h"
#include "ui/labelui.h"
#include "ui/optionui.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using platform::DesktopSetting;
using platform::RecordedDesktopCall;
using settings::testing::NonFrameRequests;
using settings::testing::Request;
using Call = RecordedDesktopCall;

constexpr std::string_view kPerformanceTab = "ms_rich_Op_tab";

class PerformancePageTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
        m_environment.desktop = m_desktop;
    }

    // Presses a device event once the window's monitor reads the mouse's
    // events (it looks for them once a second).
    void PressEvent(std::uint16_t code) {
        ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, 20s));
        m_mouse->PressEvent(code);
    }

    std::string Text(std::string_view name) const { return Find(name)->GetText(); }
    ui::Argb TextColour(std::string_view name) const {
        return dynamic_cast<ui::CLabelUI*>(Find(name))->GetTextColor();
    }
    ui::CSliderUI& Slider(std::string_view name) const {
        return *dynamic_cast<ui::CSliderUI*>(Find(name));
    }
    std::array<std::uint8_t, 576> StoredDeviceProfile() const {
        std::array<std::uint8_t, 576> body{};
        EXPECT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.config", body),
                  profiles::ProfileReadResult::Loaded);
        return body;
    }

    std::shared_ptr<platform::RecordingDesktopSettings> m_desktop =
        std::make_shared<platform::RecordingDesktopSettings>();
};

TEST_F(PerformancePageTest, AStageSliderSendsTheRecordOnceAndSavesTheProfiles) {
    OpenMousePage(kPerformanceTab);
    ASSERT_TRUE(Driver().DragSlider("ms_DPI3_slider", 15));
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].data[17], 15);
    EXPECT_EQ(Text("ms_DPI3_label_value"), "4000");
    // The whole record, then zeros.
    const auto record = m_window->Mirror().settingsRecord.Snapshot();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), writes[0].data.begin()));
    EXPECT_TRUE(std::all_of(writes[0].data.begin() + 50, writes[0].data.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(StoredDeviceProfile()[512 + 17], 15);
    std::array<std::uint8_t, 64> led{};
    ASSERT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.led", led),
              profiles::ProfileReadResult::Loaded);
    EXPECT_EQ(led[17], 15);

    // Several changes within one flush period leave as one write.
    m_mouse->ClearLog();
    dynamic_cast<ui::CComboUI*>(Find("ms_report_fct_combo"))->SelectItem(1, false, true);
    for (const auto& [slider, value] :
         {std::pair{"ms_DPI1_slider", 0}, std::pair{"ms_DPI7_slider", 2}}) {
        ui::TNotifyUI changed{"valuechanged", &Slider(slider), static_cast<ui::WParam>(value), 0};
        m_window->Notify(changed);
    }
    const std::vector<Request> burst = FlushedRecords();
    ASSERT_EQ(burst.size(), 1u);
    EXPECT_EQ(burst[0].data[14], 1);
    EXPECT_EQ(burst[0].data[15], 0);
    EXPECT_EQ(burst[0].data[22], 2);
    EXPECT_EQ(Text("ms_DPI1_label_value"), "250");
}

TEST_F(PerformancePageTest, TheReportRateListOffersTheRatesTheRecordStoresInOrder) {
    OpenMousePage(kPerformanceTab);
    const auto& combo = *dynamic_cast<ui::CComboUI*>(Find("ms_report_fct_combo"));
    ASSERT_EQ(combo.GetCount(), static_cast<int>(settings::kReportRates.size()));
    for (int index = 0; index < combo.GetCount(); ++index) {
        EXPECT_EQ(combo.GetItemAt(index)->GetText(),
                  std::to_string(settings::kReportRates[static_cast<std::size_t>(index)]) + " Hz");
    }
    // The record's rate is shown: 1000 Hz in the default profile.
    EXPECT_EQ(combo.GetCurSel(), 3);
}

TEST_F(PerformancePageTest, TheSensorSetsTheRangesAndTheMovingSliderPreviewsItsSteps) {
    OpenMousePage(kPerformanceTab);
    // The virtual mouse's sensor 0x3360: base 100, 100 per step, 12000 at most.
    for (int stage = 1; stage <= 6; ++stage) {
        EXPECT_EQ(Text("ms_DPI" + std::to_string(stage) + "_min"), "100");
        EXPECT_EQ(Text("ms_DPI" + std::to_string(stage) + "_max"), "12000");
    }
    EXPECT_EQ(Text("ms_DPI7_min"), "250");
    EXPECT_EQ(Text("ms_DPI7_max"), "4000");

    ui::TNotifyUI moving{"movevaluechanged", &Slider("ms_DPI2_slider"), 7, 0};
    m_window->Notify(moving);
    EXPECT_EQ(Text("ms_DPI2_label_value"), "800");
    ASSERT_TRUE(Driver().DragSlider("ms_DPI2_slider", 7));
    EXPECT_EQ(Text("ms_DPI2_label_value"), "2000");
    FlushedRecords();

    // A sensor that labels all seven stages, a stored code no position has,
    // a current stage past the last and more positions than the table has.
    auto info = m_mouse->DeviceInfo();
    info[9] = 0x50;
    info[10] = 0x30;
    info[12] = 20;
    m_mouse->SetDeviceInfo(info);
    auto area = m_mouse->SettingsArea();
    area[17] = 0x20;
    area[19] = 9;
    m_mouse->SetSettingsArea(area);
    PressEvent(0x401);
    ASSERT_TRUE(RunUntil([this] { return Text("ms_DPI3_label_value") == "250"; }));
    PressEvent(0x402);
    ASSERT_TRUE(RunUntil([this] {
        return Text("ms_DPI7_max") == "4000" && Text("ms_DPI7_min") == "250" &&
               Text("ms_DPI1_min") == "250";
    }));
    EXPECT_EQ(m_window->Mirror().deviceInfo.BaseDpi(), 250);
    EXPECT_EQ(Slider("ms_DPI3_slider").GetValue(), 0);
    EXPECT_EQ(Slider("ms_DPI3_slider").GetMaxValue(), 15);
    EXPECT_EQ(TextColour("ms_DPI1_label_rank"), ui::MakeArgb(255, 255, 0, 0));
    EXPECT_EQ(TextColour("ms_DPI3_label_value"), ui::MakeArgb(255, 255, 255, 255));
}

TEST_F(PerformancePageTest, TheCurrentStageIsShownInItsColour) {
    auto area = m_mouse->SettingsArea();
    area[19] = 2;
    m_mouse->SetSettingsArea(area);
    OpenMousePage(kPerformanceTab);
    PressEvent(0x401);
    ASSERT_TRUE(RunUntil(
        [this] { return TextColour("ms_DPI3_label_rank") == ui::MakeArgb(255, 255, 50, 0); }));
    EXPECT_EQ(TextColour("ms_DPI3_label_value"), ui::MakeArgb(255, 255, 50, 0));
    EXPECT_EQ(TextColour("ms_DPI1_label_rank"), ui::MakeArgb(255, 255, 255, 255));
}

TEST_F(PerformancePageTest, WheelLinesStepClampAndReachTheDesktop) {
    OpenMousePage(kPerformanceTab);
    auto driver = Driver();
    auto* edit = dynamic_cast<ui::CEditUI*>(Find("ms_gunlun_speed_edit"));
    const auto step = [&](const char* from, const char* button) {
        edit->SetText(from);
        EXPECT_TRUE(driver.Click(button));
        return Text("ms_gunlun_speed_edit");
    };
    EXPECT_EQ(step("", "ms_gunlun_speed_up_btn"), "2");
    EXPECT_EQ(step("1", "ms_gunlun_speed_down_btn"), "1");
    EXPECT_EQ(step("100", "ms_gunlun_speed_up_btn"), "100");
    EXPECT_EQ(step("250", "ms_gunlun_speed_down_btn"), "99");
    EXPECT_EQ(m_window->Mirror().wheelLines.Get(), 99);

    // Typing is held within 1-100 as it happens; leaving the edit takes it.
    edit->SetText("");
    ASSERT_TRUE(driver.Type("ms_gunlun_speed_edit", "30"));
    EXPECT_EQ(Text("ms_gunlun_speed_edit"), "30");
    ASSERT_TRUE(driver.Type("ms_gunlun_speed_edit", "0"));
    EXPECT_EQ(Text("ms_gunlun_speed_edit"), "100");
    driver.Blur();
    m_window->DesktopApplier().WaitForPending();
    WaitForCommit();
    EXPECT_EQ(m_window->Mirror().wheelLines.Get(), 100);
    EXPECT_EQ(m_desktop->StoredWheelLines(), 100);
    EXPECT_EQ(StoredDeviceProfile()[562], 100);
    ASSERT_TRUE(driver.ClearText("ms_gunlun_speed_edit"));
    EXPECT_EQ(Text("ms_gunlun_speed_edit"), "1");
}

TEST_F(PerformancePageTest, PointerSpeedIsTwiceThePositionPlusTwoWithinTheDesktopsRange) {
    OpenMousePage(kPerformanceTab);
    const auto apply = [&](int position) {
        ui::TNotifyUI changed{"valuechanged", &Slider("ms_point_speed_slider"),
                              static_cast<ui::WParam>(position), 0};
        m_window->Notify(changed);
        m_window->DesktopApplier().WaitForPending();
        return m_desktop->Calls().back();
    };
    EXPECT_EQ(apply(-1), (Call{Call::Kind::SetPointerSpeed, 2}));
    EXPECT_EQ(apply(0), (Call{Call::Kind::SetPointerSpeed, 2}));
    EXPECT_EQ(apply(4), (Call{Call::Kind::SetPointerSpeed, 10}));
    // 22 is beyond the desktop's scale: 20 is applied and kept.
    EXPECT_EQ(apply(10), (Call{Call::Kind::SetPointerSpeed, 20}));
    EXPECT_EQ(m_window->Mirror().pointerSpeed.Get(), 20);
    ASSERT_TRUE(Driver().DragSlider("ms_point_speed_slider", 9));
    m_window->DesktopApplier().WaitForPending();
    EXPECT_EQ(m_desktop->Calls().back(), (Call{Call::Kind::SetPointerSpeed, 20}));
}

TEST_F(PerformancePageTest, AStageColourIsPickedHoveredAndSent) {
    OpenMousePage(kPerformanceTab);
    auto driver = Driver();
    ASSERT_TRUE(driver.Hover("ms_DPIcolor_btn_2"));
    EXPECT_EQ(Find("ms_DPIcolor_btn_2")->GetBorderSize(), 2);
    EXPECT_EQ(Find("ms_DPIcolor_btn_2")->GetBorderColor(), 0xFFFFFFFFu);
    ASSERT_TRUE(driver.Leave("ms_DPIcolor_btn_2"));
    EXPECT_EQ(Find("ms_DPIcolor_btn_2")->GetBorderSize(), 0);
    ASSERT_TRUE(driver.Hover("ms_DPIcolor_btn_7"));
    EXPECT_EQ(Find("ms_DPIcolor_btn_7")->GetBorderSize(), 0);

    // Cancelled: nothing changes.
    const ui::Argb before = Find("ms_DPIcolor_btn_2")->GetBkColor();
    ui::test::UiDriver::ClickInNextModal("closebtn");
    ASSERT_TRUE(driver.Click("ms_DPIcolor_btn_2"));
    EXPECT_EQ(Find("ms_DPIcolor_btn_2")->GetBkColor(), before);
    // Chosen: the second preset swatch, then ok.
    ui::test::UiDriver::AnswerNextModal([](ui::test::UiDriver& dialog) {
        dialog.Click("ms_dpi_color_png_1");
        dialog.Click("okbtn");
    });
    ASSERT_TRUE(driver.Click("ms_DPIcolor_btn_2"));
    EXPECT_EQ(Find("ms_DPIcolor_btn_2")->GetBkColor(), 0xFF00F6FFu);
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(std::vector<std::uint8_t>(writes[0].data.begin() + 26, writes[0].data.begin() + 29),
              (std::vector<std::uint8_t>{0x00, 0xF6, 0xFF}));
    EXPECT_EQ(StoredDeviceProfile()[512 + 27], 0xF6);
}

TEST_F(PerformancePageTest, RestoringDefaultsResetsTheDesktopAndTheMouseButKeepsTheStoredValues) {
    OpenMousePage(kPerformanceTab);
    m_window->Mirror().pointerSpeed.Set(16);
    m_window->Mirror().wheelLines.Set(9);
    const std::size_t before = m_desktop->Calls().size();
    ASSERT_TRUE(Driver().Click("ms_one_profile_default"));
    // At once: the click returns once both have been applied.
    const auto calls = m_desktop->Calls();
    ASSERT_EQ(calls.size(), before + 2);
    EXPECT_EQ(calls[before], (Call{Call::Kind::SetPointerSpeed, 10}));
    EXPECT_EQ(calls[before + 1], (Call{Call::Kind::SetWheelLines, 3}));
    EXPECT_EQ(Slider("ms_point_speed_slider").GetValue(), 4);
    EXPECT_EQ(Text("ms_gunlun_speed_edit"), "3");
    EXPECT_EQ(settings::testing::Summaries(NonFrameRequests(*m_mouse)),
              std::vector<std::string>{"0d len 0 @0"});
    EXPECT_EQ(m_window->Mirror().pointerSpeed.Get(), 16);
    EXPECT_EQ(m_window->Mirror().wheelLines.Get(), 9);
}

TEST_F(PerformancePageTest, TheLiftOffHeightsExcludeEachOtherAndSendNothing) {
    OpenMousePage(kPerformanceTab);
    auto* two = dynamic_cast<ui::COptionUI*>(Find("height2mm"));
    auto* three = dynamic_cast<ui::COptionUI*>(Find("height3mm"));
    ASSERT_TRUE(Driver().Click("height3mm"));
    EXPECT_TRUE(three->IsSelected());
    EXPECT_FALSE(two->IsSelected());
    ASSERT_TRUE(Driver().Click("height2mm"));
    EXPECT_TRUE(two->IsSelected());
    EXPECT_FALSE(three->IsSelected());
    ASSERT_TRUE(Driver().Click("ms_line_adjust"));
    WaitForCommit();
    EXPECT_TRUE(NonFrameRequests(*m_mouse).empty());
}

TEST_F(PerformancePageTest, ADesktopWithoutTheSettingsSaysSoOnThePage) {
    m_desktop = std::make_shared<platform::RecordingDesktopSettings>(
        std::initializer_list<DesktopSetting>{DesktopSetting::PointerSpeed});
    m_environment.desktop = m_desktop;
    OpenMousePage(kPerformanceTab);
    ASSERT_TRUE(Find("ms_desktop_notice")->IsVisible());
    EXPECT_EQ(Text("ms_desktop_notice"), "performance_desktop_no_wheel");
}

TEST_F(PerformancePageTest, ChangesComeBackWithTheDeviceProfileAfterARestart) {
    OpenMousePage(kPerformanceTab);
    ASSERT_TRUE(Driver().DragSlider("ms_DPI3_slider", 13));
    ASSERT_TRUE(Driver().SelectComboItem("ms_report_fct_combo", 0));
    ASSERT_FALSE(FlushedRecords().empty());
    CloseWindow();
    m_window.reset();

    // A new start with a mouse that knows nothing of it.
    m_reads = 0;
    AttachMouse();
    m_environment.virtualMouse = m_mouse;
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    EXPECT_EQ(m_mouse->SettingsArea()[17], 13);
    EXPECT_EQ(m_mouse->SettingsArea()[14], 0);
    EXPECT_EQ(Slider("ms_DPI3_slider").GetValue(), 13);
    EXPECT_EQ(Text("ms_DPI3_label_value"), "3500");
}

std::vector<std::uint8_t> Bytes(const std::string& text, std::size_t at, std::size_t count) {
    return {text.begin() + static_cast<std::ptrdiff_t>(at),
            text.begin() + static_cast<std::ptrdiff_t>(at + count)};
}

// The section without the window: each control's change goes into the
// model, which sends the record once and saves the selected profiles at the
// flush tick.
TEST(PerformanceSectionTest, ControlChangesReachTheMouseAndTheProfilesAtTheCommit) {
    using Strings = std::vector<std::string>;
    testing::PageHarness page;
    page.Add<settings::PerformancePage>();
    page.Initialise();

    // Two stages and the report rate: nothing goes out before the commit,
    // then one write of the record followed by zeros, and each profile saved
    // once, holding the record.
    ASSERT_TRUE(page.Release("ms_DPI3_slider", 15));
    ASSERT_TRUE(page.Choose("ms_report_fct_combo", 1));
    ASSERT_TRUE(page.Release("ms_DPI1_slider", 0));
    EXPECT_EQ(page.Text("ms_DPI3_label_value"), "4000");
    EXPECT_TRUE(page.TakeRequests().empty());
    EXPECT_TRUE(page.TakeSaves().empty());
    page.Commit();
    std::vector<Request> writes = page.TakeRequests();
    ASSERT_EQ(settings::testing::Summaries(writes), Strings{"06 len 56 @0"});
    const auto record = page.Mirror().settingsRecord.Snapshot();
    std::vector<std::uint8_t> expected(record.begin(), record.end());
    EXPECT_EQ(expected[14], 1);
    EXPECT_EQ(expected[15], 0);
    EXPECT_EQ(expected[17], 15);
    expected.resize(56, 0);
    EXPECT_EQ(writes[0].data, expected);
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));
    expected.resize(50);
    EXPECT_EQ(Bytes(page.FileBytes("profile1.config"), 16 + 512, 50), expected);
    EXPECT_EQ(Bytes(page.FileBytes("profile1.led"), 16, 50), expected);

    // A stage colour from the colour dialog: sent, saved in the device
    // profile only.
    page.Dialogs().colour = 0xFF00F6FF;
    ASSERT_TRUE(page.Click("ms_DPIcolor_btn_2"));
    EXPECT_EQ(page.Find("ms_DPIcolor_btn_2")->GetBkColor(), 0xFF00F6FFu);
    page.Commit();
    writes = page.TakeRequests();
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(std::vector(writes[0].data.begin() + 26, writes[0].data.begin() + 29),
              (std::vector<std::uint8_t>{0x00, 0xF6, 0xFF}));
    EXPECT_EQ(page.TakeSaves(), Strings{"device"});
    EXPECT_EQ(Bytes(page.FileBytes("profile1.config"), 16 + 512 + 26, 3),
              (std::vector<std::uint8_t>{0x00, 0xF6, 0xFF}));

    // Typed wheel lines are held within range as they are typed and taken
    // when the edit loses focus: the desktop gets them, the device profile
    // keeps them, the mouse gets nothing.
    ASSERT_TRUE(page.Type("ms_gunlun_speed_edit", "250"));
    EXPECT_EQ(page.Text("ms_gunlun_speed_edit"), "100");
    ASSERT_TRUE(page.Send("ms_gunlun_speed_edit", ui::msgtype::kKillFocus));
    page.Commit();
    page.WaitForDesktop();
    EXPECT_TRUE(page.TakeRequests().empty());
    EXPECT_EQ(page.TakeSaves(), Strings{"device"});
    EXPECT_EQ(page.Desktop().StoredWheelLines(), 100);
    EXPECT_EQ(Bytes(page.FileBytes("profile1.config"), 16 + 562, 1),
              std::vector<std::uint8_t>{100});

    // The pointer speed, position v standing for 2v + 2: both profiles.
    ASSERT_TRUE(page.Release("ms_point_speed_slider", 7));
    page.Commit();
    page.WaitForDesktop();
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));
    EXPECT_EQ(page.Desktop().Calls().back(), (Call{Call::Kind::SetPointerSpeed, 16}));
    EXPECT_EQ(Bytes(page.FileBytes("profile1.led"), 16 + 50, 2),
              (std::vector<std::uint8_t>{16, 100}));

    // Restoring the defaults: the desktop's at once and the mouse's own
    // command; the stored values stay and nothing is saved.
    ASSERT_TRUE(page.Click("ms_one_profile_default"));
    EXPECT_EQ(page.Get<ui::CSliderUI>("ms_point_speed_slider").GetValue(), 4);
    EXPECT_EQ(page.Text("ms_gunlun_speed_edit"), "3");
    page.Commit();
    EXPECT_EQ(settings::testing::Summaries(page.TakeRequests()), Strings{"0d len 0 @0"});
    EXPECT_TRUE(page.TakeSaves().empty());
    EXPECT_EQ(page.Mirror().pointerSpeed.Get(), 16);
}

}  // namespace
}  // namespace varlok::app
