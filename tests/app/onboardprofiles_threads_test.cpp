#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "app/support/mainwindowfixture.h"
#include "profiles/profilefile.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmousestatefile.h"
#include "ui/comboui.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kPerformanceTab = "ms_rich_Op_tab";
constexpr std::size_t kRecordStride = 64;
constexpr std::size_t kReportRate = 14;
constexpr std::size_t kStage1 = 15;
// Slider positions and report-rate indices: 2000 and 4000 DPI, 500 Hz.
constexpr int k2000Dpi = 7;
constexpr int k4000Dpi = 15;
constexpr int k500Hz = 2;

// The window on the virtual mouse of "--simulate", which keeps its memory
// in a state file of the test's own across restarts of the program.
class OnboardProfilesTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        Start();
    }

    // A start of the program: a new virtual mouse with the memory the last
    // run left, the window connected to it and its performance page shown.
    void Start() {
        m_bus = std::make_shared<device::HidBus>();
        m_environment.bus = m_bus;
        AttachMouse();
        m_memory.emplace(m_mouse, m_folder / "runtime" / "virtual-mouse.state",
                         sim::VirtualMouseStateFile::Start::Stored);
        m_reads = 0;
        OpenMousePage(kPerformanceTab);
    }
    void Restart() {
        CloseWindow();
        m_window.reset();
        m_memory.reset();
        Start();
    }

    [[nodiscard]] std::uint8_t Active() const { return m_mouse->SettingsArea()[0]; }
    [[nodiscard]] std::uint8_t Stored(std::size_t profile, std::size_t byte) const {
        return m_mouse->SettingsArea()[profile * kRecordStride + byte];
    }
    // What the page shows: stage 1's slider position and the report rate.
    [[nodiscard]] bool Shows(int stage1, int rate) const {
        return dynamic_cast<ui::CSliderUI*>(Find("ms_DPI1_slider"))->GetValue() == stage1 &&
               dynamic_cast<ui::CComboUI*>(Find("ms_report_fct_combo"))->GetCurSel() == rate;
    }
    // The record of the selected device profile's file.
    [[nodiscard]] std::array<std::uint8_t, 64> DeviceProfileRecord() const {
        std::array<std::uint8_t, 576> body{};
        EXPECT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.config", body),
                  profiles::ProfileReadResult::Loaded);
        std::array<std::uint8_t, 64> record{};
        std::copy_n(body.begin() + 512, record.size(), record.begin());
        return record;
    }
    [[nodiscard]] bool FileHolds(int stage1, int rate) const {
        const auto record = DeviceProfileRecord();
        return record[kStage1] == stage1 && record[kReportRate] == rate;
    }
    void Choose(int profile) {
        ASSERT_TRUE(Driver().Click("ms_profile_" + std::to_string(profile)));
        ASSERT_TRUE(RunUntil([&] { return Active() == profile; }));
    }
    // Bytes 1-49 of the window's record in force and of a profile's record
    // in the mouse (byte 0 is the window's own).
    [[nodiscard]] bool MirrorIsProfile(std::size_t profile) const {
        const auto held = m_window->Mirror().settingsRecord.Snapshot();
        const auto area = m_mouse->SettingsArea();
        return std::equal(held.begin() + 1, held.end(),
                          area.begin() + static_cast<std::ptrdiff_t>(profile * kRecordStride + 1));
    }

    std::optional<sim::VirtualMouseStateFile> m_memory;
};

TEST_F(OnboardProfilesTest, EachProfileKeepsItsSettingsAcrossSwitchesAndRestarts) {
    const std::uint8_t factoryRate2 = Stored(2, kReportRate);
    const auto profile0 = m_mouse->SettingsArea();
    Choose(1);
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", k2000Dpi));
    ASSERT_TRUE(Driver().SelectComboItem("ms_report_fct_combo", k500Hz));
    ASSERT_TRUE(RunUntil(
        [&] { return Stored(1, kStage1) == k2000Dpi && Stored(1, kReportRate) == k500Hz; }));
    Choose(2);
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", k4000Dpi));
    ASSERT_TRUE(RunUntil([&] { return Stored(2, kStage1) == k4000Dpi; }));

    Choose(1);
    ASSERT_TRUE(RunUntil([&] { return Shows(k2000Dpi, k500Hz); }));
    ASSERT_TRUE(RunUntil([&] { return FileHolds(k2000Dpi, k500Hz); }));
    EXPECT_TRUE(MirrorIsProfile(1));
    Choose(2);
    ASSERT_TRUE(RunUntil([&] { return Shows(k4000Dpi, factoryRate2); }));
    ASSERT_TRUE(RunUntil([&] { return FileHolds(k4000Dpi, factoryRate2); }));
    EXPECT_TRUE(MirrorIsProfile(2));
    EXPECT_EQ(Stored(1, kStage1), k2000Dpi);
    EXPECT_EQ(Stored(1, kReportRate), k500Hz);
    // Profile 0's record was not written over by the others' changes.
    const auto area = m_mouse->SettingsArea();
    EXPECT_TRUE(std::equal(area.begin() + 1, area.begin() + kRecordStride, profile0.begin() + 1));

    // The mouse keeps its memory and profile; the device profile the window
    // sends at the start is the one in force, profile 2's.
    Restart();
    EXPECT_EQ(Active(), 2);
    ASSERT_TRUE(RunUntil([&] { return Shows(k4000Dpi, factoryRate2); }));
    EXPECT_EQ(Stored(2, kStage1), k4000Dpi);
    Choose(1);
    ASSERT_TRUE(RunUntil([&] { return Shows(k2000Dpi, k500Hz); }));
    EXPECT_TRUE(MirrorIsProfile(1));
}

TEST_F(OnboardProfilesTest, AfterTheMousesOwnButtonAChangeGoesToTheProfileItChose) {
    // Profile 2 set apart from profile 1, whose factory values it shares.
    Choose(2);
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", k2000Dpi));
    ASSERT_TRUE(RunUntil([&] { return Stored(2, kStage1) == k2000Dpi; }));
    Choose(1);
    const std::uint8_t profile1Stage = Stored(1, kStage1);
    ASSERT_TRUE(RunUntil([&] { return Shows(profile1Stage, Stored(1, kReportRate)); }));
    // The record the switch's refresh marked has gone out: a flush still
    // pending when the mouse switches would land in the profile it chose.
    ASSERT_TRUE(RunUntil([&] { return !m_window->Mirror().settingsDirty.IsSet(); }));
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, 20s));
    m_mouse->PressProfileButton();
    ASSERT_TRUE(RunUntil([&] { return Shows(k2000Dpi, Stored(2, kReportRate)); }));

    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", k4000Dpi));
    ASSERT_TRUE(RunUntil([&] { return Stored(2, kStage1) == k4000Dpi; }));
    EXPECT_EQ(Active(), 2);
    EXPECT_EQ(Stored(1, kStage1), profile1Stage);
    EXPECT_TRUE(MirrorIsProfile(2));
    // Choosing profile 1 in the window keeps the change with profile 2.
    Choose(1);
    ASSERT_TRUE(RunUntil([&] { return MirrorIsProfile(1); }));
    EXPECT_EQ(m_window->Mirror().recordTable[2][kStage1], k4000Dpi);
}

}  // namespace
}  // namespace varlok::app
