#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/busservicehost.h"
#include "app/msgwnd.h"
#include "app/support/mainwindowfixture.h"
#include "app/windowdeviceevents.h"
#include "lighting/lightingsettings.h"
#include "platform/debugoutput.h"
#include "platform/fakebusobject.h"
#include "platform/ownerlock.h"
#include "settings/settingstestsupport.h"
#include "sim/virtualmouse.h"
#include "ui/lightpictureui.h"
#include "ui/modalanswers.h"
#include "ui/optionui.h"
#include "ui/qt/messagehub.h"
#include "ui/recordingtarget.h"
#include "ui/support/uidriver.h"
#include "ui/tablayoutui.h"
#include "ui/trayicon.h"
#include "ui/windowmessages.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

// The requests of one full read of the mouse: information block, factory
// key map and the five key tables (512 bytes each, 56 per report), inside
// one transfer bracket.
Strings SyncDeviceRequests() {
    Strings expected = {"01 len 0 @0", "03 len 33 @0"};
    const auto block = [&expected](const char* command, unsigned base) {
        for (unsigned position = 0; position < 512; position += 56) {
            expected.push_back(std::string(command) + " len " +
                               std::to_string(std::min(56U, 512 - position)) + " @" +
                               std::to_string(base + position));
        }
    };
    block("07", 0);
    for (unsigned index = 0; index < 5; ++index) {
        block("08", index * 126);
    }
    expected.push_back("02 len 0 @0");
    return expected;
}

// What selecting the stored device profile sends when the mouse arrives: the
// record, the key table of profile 0 (its 512-byte window at offset 0 read,
// then written back with profile 0's block from the profile), and the flush
// of the record the selection marked for sending.
Strings DeviceProfileRequests() {
    Strings expected = {"06 len 50 @0"};
    for (const char* command : {"08", "09"}) {
        for (unsigned position = 0; position < 512; position += 56) {
            expected.push_back(std::string(command) + " len " +
                               std::to_string(std::min(56U, 512 - position)) + " @" +
                               std::to_string(position));
        }
    }
    expected.push_back("06 len 56 @0");
    return expected;
}

class MouseConnectionTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(true);
        AttachMouse();
    }

    [[nodiscard]] Strings Requests() const {
        return settings::testing::Summaries(settings::testing::NonFrameRequests(*m_mouse));
    }
    // Connects the virtual mouse and waits for the first full read.
    void StartConnected() {
        CreateWindow();
        Initialise();
        ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
        // The lighting section's refresh sends the record once more, with
        // the commit after the read.
        WaitForCommit();
    }
    // Starts the window with a mouse that refuses to be opened and waits for
    // the permission help.
    void StartRefused() {
        sim::VirtualMouse::Faults faults;
        faults.refuseOpen = true;
        m_mouse->SetFaults(faults);
        CreateWindow();
        Initialise();
        ASSERT_TRUE(RunUntil([this] { return IsVisible("main_permission"); }));
    }
    [[nodiscard]] bool IsVisible(std::string_view name) const {
        const ui::CControlUI* control = Find(name);
        return control != nullptr && control->IsVisible();
    }
};

TEST_F(MouseConnectionTest, AConnectedMouseBringsTheWindowUpAndIsReadWhole) {
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this] { return m_window->MouseLink().IsConnected(); }));
    ASSERT_TRUE(RunUntil([this] { return m_window->IsWindowVisible(); }));
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    Strings expected = DeviceProfileRequests();
    const Strings sync = SyncDeviceRequests();
    expected.insert(expected.end(), sync.begin(), sync.end());
    // The refresh after the read stores the lighting mode again.
    expected.push_back("06 len 56 @0");
    WaitForQuietCommit();
    EXPECT_EQ(Requests(), expected);
    EXPECT_TRUE(IsVisible("ms_tab"));
    EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(Find("ms_tab"))->IsSelected());
    EXPECT_TRUE(IsVisible("ms_tab_panel"));
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"))->GetCurSel(), 1);
    // The mirror holds what the mouse holds.
    EXPECT_EQ(m_window->Mirror().deviceInfo.Raw(), m_mouse->DeviceInfo());
    for (std::size_t index = 0; index < 5; ++index) {
        EXPECT_EQ(m_window->Mirror().keySlots[index], m_mouse->StoredKeyBlock(index)) << index;
    }
}

TEST_F(MouseConnectionTest, AStartInTheTrayReadsTheMouseAndStaysThere) {
    m_environment.startHidden = true;
    StartConnected();
    EXPECT_TRUE(m_window->MouseLink().IsConnected());
    EXPECT_FALSE(m_window->IsWindowVisible());
    // A second start still brings it forward.
    m_window->GetHandle().Post(m_environment.activateMessage);
    ASSERT_TRUE(RunUntil([this] { return m_window->IsWindowVisible(); }));
}

TEST_F(MouseConnectionTest, APackagesRuleThatUdevReadsIsOnlyToBeApplied) {
    m_environment.udevRule = platform::UdevRuleFile{"/lib/udev/rules.d/70-varlok.rules", true};
    StartRefused();
    EXPECT_NE(Find("main_permission_text")->GetShownText().find("udev rule is installed"),
              std::string::npos)
        << Find("main_permission_text")->GetShownText();
    EXPECT_EQ(Find("main_permission_rule")->GetShownText(), "/lib/udev/rules.d/70-varlok.rules");
    EXPECT_FALSE(IsVisible("main_permission_copy"));
    EXPECT_EQ(Find("main_permission_reload")->GetShownText(),
              "sudo udevadm control --reload && sudo udevadm trigger");
    // The card holds the one line.
    EXPECT_EQ(Find("main_permission_commands")->GetFixedHeight(), 40);
}

TEST_F(MouseConnectionTest, AnOnboardProfileButtonSwitchesTheMouse) {
    StartConnected();
    m_mouse->ClearLog();
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("ms_profile_2"));
    // The switch, the read of the new profile's record, then that record
    // once more from the refresh that shows it (the next flush).
    ASSERT_TRUE(RunUntil([this] { return Requests().size() >= 4; }));
    WaitForQuietCommit();
    EXPECT_EQ(Requests(),
              (Strings{"05 len 1 @0", "06 len 1 @0", "05 len 56 @128", "06 len 56 @0"}));
    EXPECT_EQ(m_mouse->SettingsArea()[0], 2);
    EXPECT_EQ(m_window->Mirror().settingsRecord.Snapshot()[0], 2);
}

TEST_F(MouseConnectionTest, UnpluggingHidesTheMousePageAndPluggingInReconnects) {
    StartConnected();
    std::string shown;
    // The timed message closes itself.
    testing::AnswerMessage(shown, {}, false);
    m_mouse->Unplug();
    ASSERT_TRUE(RunUntil([this] { return !m_window->MouseLink().IsConnected(); }));
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_20");
    EXPECT_FALSE(IsVisible("ms_tab"));
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"))->GetCurSel(), 0);
    ASSERT_TRUE(RunUntil([this] { return !m_window->IsWindowVisible(); }));

    m_mouse->ClearLog();
    m_mouse->Plug();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 2; }));
    EXPECT_TRUE(m_window->MouseLink().IsConnected());
    // The read, then the record the refresh stores again.
    WaitForQuietCommit();
    Strings reread = SyncDeviceRequests();
    reread.push_back("06 len 56 @0");
    EXPECT_EQ(Requests(), reread);
    // A mouse that arrives later leaves the window in the tray.
    EXPECT_FALSE(m_window->IsWindowVisible());
    EXPECT_TRUE(Find("ms_tab")->IsVisible());
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"))->GetCurSel(), 1);
}

TEST_F(MouseConnectionTest, ARefusedMouseBringsUpTheUdevRuleInTheLanguageUntilItOpens) {
    SetMainIniLanguage("3");
    // The window, started hidden in the tray, comes forward with the help
    // in place of the waiting text.
    StartRefused();
    EXPECT_TRUE(m_window->IsWindowVisible());
    for (const char* name :
         {"main_permission_title", "main_permission_text", "main_permission_rule",
          "main_permission_copy", "main_permission_reload", "main_permission_hint"}) {
        EXPECT_TRUE(IsVisible(name)) << name;
    }
    EXPECT_FALSE(IsVisible("main_waiting"));
    EXPECT_FALSE(IsVisible("main_waiting_title"));
    EXPECT_FALSE(IsVisible("ms_tab"));
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"))->GetCurSel(), 0);
    EXPECT_EQ(Find("main_permission_title")->GetShownText(),
              "El ratón está conectado, pero no se puede abrir");
    // The rule as this install keeps it, and the commands that install it.
    EXPECT_EQ(Find("main_permission_text")->GetShownText(),
              "Este usuario no tiene permiso sobre su nodo HID. Instale la regla udev de varlok, "
              "que se lo concede a quien está ante el equipo:");
    const std::string rule = m_environment.udevRule->path.string();
    EXPECT_EQ(Find("main_permission_rule")->GetShownText(), rule);
    EXPECT_EQ(Find("main_permission_copy")->GetShownText(),
              "sudo cp " + rule + " /etc/udev/rules.d/");
    EXPECT_EQ(Find("main_permission_reload")->GetShownText(),
              "sudo udevadm control --reload && sudo udevadm trigger");

    // A second start while refused shows the window, not the no-mouse notice.
    std::string shown;
    testing::AnswerMessage(shown, {}, false);
    m_window->ShowWindow(false);
    m_window->GetHandle().Post(m_environment.activateMessage);
    ASSERT_TRUE(RunUntil([this] { return m_window->IsWindowVisible(); }));
    ui::test::DeliverPosted();
    EXPECT_EQ(shown, "");

    // With the rule in place the mouse opens and the help gives way.
    m_mouse->SetFaults({});
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"))->GetCurSel(), 1);
    // Unplugged again, the waiting page waits: the help is gone with the refusal.
    m_mouse->Unplug();
    ASSERT_TRUE(RunUntil([this] { return IsVisible("main_waiting_title"); }));
    EXPECT_FALSE(IsVisible("main_permission_title"));
}

TEST_F(MouseConnectionTest, AMouseInUseIsNamedOnTheWaitingPageAndOpenedOnceReleased) {
    SetMainIniLanguage("4");
    const std::filesystem::path lockFile = m_folder / "runtime" / "sim.lock";
    m_bus->SetOwnerLocks(device::OwnerLocks{m_folder / "runtime", "varlok"});
    platform::OwnerLock tool;
    ASSERT_EQ(tool.TryAcquire(lockFile, "varlokctl"), platform::OwnerLock::Result::Acquired);
    CreateWindow();
    Initialise();
    // The window, started hidden in the tray, comes forward and names the
    // program that has the mouse.
    ASSERT_TRUE(RunUntil([this] { return IsVisible("main_in_use"); }));
    EXPECT_TRUE(m_window->IsWindowVisible());
    EXPECT_FALSE(IsVisible("main_waiting"));
    EXPECT_FALSE(IsVisible("main_permission"));
    EXPECT_EQ(Find("main_in_use_title")->GetShownText(), "マウスは別のプログラムが使用中です");
    EXPECT_EQ(Find("main_in_use_holder")->GetShownText(),
              "varlokctl (PID " + std::to_string(::getpid()) + ")");
    EXPECT_FALSE(m_window->MouseLink().IsConnected());
    EXPECT_TRUE(m_mouse->Log().empty());

    tool.Release();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    EXPECT_FALSE(IsVisible("main_in_use"));
    // Now the window has it.
    EXPECT_EQ(tool.TryAcquire(lockFile, "varlokctl"), platform::OwnerLock::Result::Held);
    EXPECT_EQ(platform::OwnerLock::ReadHolder(lockFile),
              (platform::LockHolder{::getpid(), "varlok"}));
}

TEST_F(MouseConnectionTest, DeviceEventsRereadTheMouse) {
    StartConnected();
    m_mouse->ClearLog();
    // The monitor looks for the events' collection once a second.
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, 20s));
    m_mouse->PressEvent(0x401);
    // The refresh after each read stores the lighting mode again: the record
    // goes back once.
    ASSERT_TRUE(RunUntil([this] { return Requests().size() == 3; }));
    WaitForQuietCommit();
    EXPECT_EQ(Requests(), (Strings{"05 len 1 @0", "05 len 56 @0", "06 len 56 @0"}));

    m_mouse->ClearLog();
    m_mouse->PressEvent(0x402);
    Strings reread = SyncDeviceRequests();
    reread.push_back("06 len 56 @0");
    ASSERT_TRUE(RunUntil([&] { return Requests().size() == reread.size(); }));
    WaitForQuietCommit();
    EXPECT_EQ(Requests(), reread);

    m_mouse->ClearLog();
    m_mouse->PressEvent(0x403);
    ASSERT_TRUE(
        RunUntil([this] { return m_window->LightingEffectState().reactiveTrigger.load(); }));
    ui::test::DeliverPosted();
    WaitForQuietCommit();
    EXPECT_TRUE(Requests().empty());
}

TEST_F(MouseConnectionTest, TheSimulationItemsPlugAndPressTheVirtualMouse) {
    StartConnected();
    m_window->GetHandle().Post(ui::kTrayIconMessage, 1, ui::WM_RBUTTONUP);
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    Strings names;
    for (const auto& item : m_window->PopupMenu()->Items()) {
        names.push_back(item.name);
    }
    const Strings simulation = {"sim_unplug",    "sim_event_401", "sim_dpi_button",
                                "sim_event_402", "sim_event_403", "exit"};
    ASSERT_GE(names.size(), simulation.size());
    EXPECT_TRUE(std::equal(simulation.begin(), simulation.end(),
                           names.end() - static_cast<std::ptrdiff_t>(simulation.size())));

    m_mouse->ClearLog();
    ASSERT_TRUE(m_window->PopupMenu()->ChooseItem("sim_event_401"));
    // As for the event itself: the reads, then the record the refresh stores.
    ASSERT_TRUE(RunUntil([this] { return Requests().size() >= 3; }));
    WaitForQuietCommit();
    EXPECT_EQ(Requests(), (Strings{"05 len 1 @0", "05 len 56 @0", "06 len 56 @0"}));
    // The item is the mouse's own profile button: it switched first.
    EXPECT_EQ(m_mouse->SettingsArea()[0], 1);

    // The DPI button steps the current stage of the record in force, and the
    // window's re-read of it reaches the bus service's DpiStage.
    platform::FakeBusObject bus;
    m_window->BusService().Service().Attach(&bus);
    const std::uint8_t stage = m_mouse->SettingsArea()[64 + 19];
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("menubtn"));
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    ASSERT_TRUE(m_window->PopupMenu()->ChooseItem("sim_dpi_button"));
    const auto next = static_cast<std::uint8_t>((stage + 1) % 7);
    EXPECT_TRUE(RunUntil([&] {
        const auto properties = bus.Properties();
        const auto found = properties.find("DpiStage");
        return found != properties.end() && found->second == platform::BusValue::Byte(next + 1);
    }));
    EXPECT_EQ(m_mouse->SettingsArea()[64 + 19], next);
    m_window->BusService().Service().Attach(nullptr);

    std::string removed;
    testing::AnswerMessage(removed, {}, false);
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("menubtn"));
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    ASSERT_TRUE(m_window->PopupMenu()->ChooseItem("sim_unplug"));
    ASSERT_TRUE(RunUntil([this] { return !m_mouse->IsPlugged(); }));
    ASSERT_TRUE(RunUntil([this] { return !m_window->MouseLink().IsConnected(); }));
    // Unplugged, the menus offer to plug it in again.
    // The notice of the removal closes itself; the menu opens after it.
    ASSERT_TRUE(RunUntil([&removed] { return !removed.empty() && !IsMessageShowing(removed); }));
    m_window->GetHandle().Post(ui::kTrayIconMessage, 1, ui::WM_RBUTTONUP);
    ASSERT_TRUE(RunUntil([this] {
        const auto items = m_window->PopupMenu()->Items();
        return std::ranges::any_of(items, [](const auto& item) { return item.name == "sim_plug"; });
    }));
}

TEST_F(MouseConnectionTest, TheLightingStreamsFramesToTheMouseAndTintsThePreviews) {
    StartConnected();
    lighting::LightingSettings lighting(m_window->Mirror().settingsRecord);
    lighting.SetMode(static_cast<std::uint8_t>(lighting::LightingMode::StaticZones));
    lighting.SetBrightness(1);  // scale 97
    lighting.SetColour({0x10, 0x80, 0xF0});
    lighting.SetLogoColour({0xFF, 0x00, 0x00});
    lighting.SetWheelColour({0x00, 0xFF, 0x00});
    // Frame byte = the high byte of channel x 97.
    std::vector<std::uint8_t> expected;
    for (int led = 0; led < 22; ++led) {
        const std::array<std::uint8_t, 3> colour =
            led < 18 ? std::array<std::uint8_t, 3>{6, 48, 90}
                     : (led < 21 ? std::array<std::uint8_t, 3>{96, 0, 0}
                                 : std::array<std::uint8_t, 3>{0, 96, 0});
        expected.insert(expected.end(), colour.begin(), colour.end());
    }
    // The worker starts 3 s after the window's workers; one frame is two
    // reports, 56 bytes at 0 and 10 at 56.
    const auto lastFrame = [this] {
        std::vector<std::uint8_t> frame;
        const auto requests = settings::testing::RequestsReceived(*m_mouse);
        for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
            const auto& head = requests[i];
            const auto& tail = requests[i + 1];
            if (head.command == 0x12 && head.offset == 0 && head.length == 56 &&
                tail.command == 0x12 && tail.offset == 56 && tail.length == 10) {
                frame = head.data;
                frame.insert(frame.end(), tail.data.begin(), tail.data.end());
            }
        }
        return frame;
    };
    ASSERT_TRUE(RunUntil([&] { return lastFrame() == expected; }, 10s));
    // The picture shows the LEDs' colours at their levels; 22 and 23 stay
    // faded.
    const auto* picture = dynamic_cast<const ui::CLightPictureUI*>(Find("ms_mouse_body"));
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(RunUntil([picture] { return picture->GetLightColor(0) == 0x1080F0U; }));
    EXPECT_EQ(picture->GetLightAlpha(0), 97);
    EXPECT_EQ(picture->GetLightColor(19), 0xFF0000U);
    EXPECT_EQ(picture->GetLightColor(21), 0x00FF00U);
    EXPECT_EQ(picture->GetLightAlpha(22), 0);
}

TEST_F(MouseConnectionTest, TheRepaintTickAndThePictureFollowTheWindowOnlyWhileItIsOnScreen) {
    StartConnected();
    lighting::LightingSettings lighting(m_window->Mirror().settingsRecord);
    lighting.SetMode(static_cast<std::uint8_t>(lighting::LightingMode::StaticZones));
    lighting.SetBrightness(4);
    lighting.SetColour({0xFF, 0x00, 0x00});
    const auto* picture = dynamic_cast<const ui::CLightPictureUI*>(Find("ms_mouse_body"));
    ASSERT_NE(picture, nullptr);
    const std::uint64_t window = m_window->GetHandle().Id();
    const auto ticking = [window] {
        return ui::qt::MessageHub::HasTimer(window, TimerId(WindowTimer::Repaint));
    };
    const auto clickTray = [this] {
        m_window->GetHandle().Post(ui::kTrayIconMessage, 1, ui::WM_LBUTTONUP);
    };
    // The worker starts 3 s after the window's workers.
    ASSERT_TRUE(RunUntil(
        [&] {
            return m_window->IsWindowVisible() && ticking() &&
                   picture->GetLightColor(0) == 0xFF0000U;
        },
        10s));

    // Hidden in the tray: the tick stops, and the picture no longer follows
    // the frames that still reach the mouse.
    clickTray();
    ASSERT_TRUE(RunUntil([&] { return !m_window->IsWindowVisible() && !ticking(); }));
    lighting.SetColour({0x00, 0x00, 0xFF});
    const std::size_t framesBefore = m_mouse->LightingFrameCount();
    ASSERT_TRUE(RunUntil([&] {
        return m_mouse->LightingFrame()[2] == 0xFE &&
               m_mouse->LightingFrameCount() > framesBefore + 1;
    }));
    EXPECT_EQ(picture->GetLightColor(0), 0xFF0000U);

    // On screen again: the tick runs again, and the picture shows the
    // newest frame at once.
    clickTray();
    ASSERT_TRUE(RunUntil([&] { return m_window->IsWindowVisible() && ticking(); }));
    EXPECT_EQ(picture->GetLightColor(0), 0x0000FFU);
}

TEST_F(MouseConnectionTest, ClosingEndsEveryWorkerInTime) {
    StartConnected();
    platform::DebugCapture debug;
    CloseWindow();
    EXPECT_TRUE(m_window->HaveWorkersEnded());
    EXPECT_TRUE(debug.Contains("所有对象处于激发状态\n"));
    EXPECT_FALSE(debug.Contains("所有对象处于非激发状态，超时\n"));
    for (const char* exit :
         {"鼠标设备侦测线程设定退出", "键盘同步线程设定退出", "鼠标同步线程设定测试退出"}) {
        EXPECT_TRUE(debug.Contains(exit)) << exit;
    }
    // Workers ended before the stop line was written.
    const auto lines = debug.Lines();
    const auto stop = std::ranges::find(lines, "所有对象处于激发状态\n");
    const auto presence = std::ranges::find(lines, "鼠标设备侦测线程设定退出");
    EXPECT_LT(presence - lines.begin(), stop - lines.begin());
}

}  // namespace
}  // namespace varlok::app
