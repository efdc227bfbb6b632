#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/busservicehost.h"
#include "app/support/mainwindowfixture.h"
#include "platform/childprocess.h"
#include "platform/privatebus.h"
#include "platform/processexecutable.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using platform::testing::ChildProcess;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

// The window's service on a bus of the test's own, driven by gdbus, a client
// we did not write, while the window runs its event loop as the program does.
class BusServiceEndToEndTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!m_bus.Installed()) {
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon)";
        }
        ASSERT_FALSE(m_bus.Address().empty()) << "dbus-daemon did not start";
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
        m_environment.busServiceAddress = m_bus.Address();
    }

    // gdbus's output of a call; the window's events run meanwhile.
    std::string Call(const std::vector<std::string>& arguments) {
        std::vector<std::string> rest{"--dest", "io.github.varlok.Varlok1", "--object-path",
                                      "/io/github/varlok/Varlok1", "--method"};
        rest.insert(rest.end(), arguments.begin(), arguments.end());
        ChildProcess gdbus(m_bus.Gdbus("call", rest));
        EXPECT_TRUE(RunUntil([&] { return gdbus.Poll().has_value(); })) << arguments[0];
        return gdbus.Output();
    }

    platform::testing::PrivateBus m_bus;
};

TEST_F(BusServiceEndToEndTest, GdbusChangesTheWindowAndHearsOfChangesMadeInIt) {
    OpenMousePage("ms_rich_Op_tab");
    ASSERT_TRUE(RunUntil([this] {
        return m_window->BusService().Export()->State() == platform::BusExportState::Exported;
    }));
    ChildProcess monitor(m_bus.PropertiesMonitor());
    ASSERT_TRUE(RunUntil([&] {
        monitor.Poll();
        return monitor.Output().find(platform::testing::PrivateBus::kMonitoring) !=
               std::string::npos;
    })) << monitor.Output();

    EXPECT_EQ(Call({"io.github.varlok.Varlok1.SetDpi", "3", "2000"}), "()\n");
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Find("ms_DPI3_slider"))->GetValue(), 7);
    const std::vector<settings::testing::Request> writes = FlushedRecords();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().data[17], 7);

    EXPECT_THAT(Call({"io.github.varlok.Varlok1.SetDpi", "3", "2100"}),
                HasSubstr("GDBus.Error:io.github.varlok.Varlok1.Error.InvalidArgument: 2100 DPI "
                          "is not a setting of this mouse"));
    // Stage 3 of seven.
    EXPECT_THAT(Call({"org.freedesktop.DBus.Properties.Get", "io.github.varlok.Varlok1", "Dpi"}),
                ContainsRegex("^\\(<\\[uint16 [0-9]+, [0-9]+, 2000(, [0-9]+){4}\\]>,\\)"));

    // A change made in the window reaches the listener.
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", 15));
    EXPECT_TRUE(RunUntil([&] {
        monitor.Poll();
        return monitor.Output().find(
                   "string \"Dpi\"\n         variant             array [\n"
                   "               uint16 4000\n") != std::string::npos;
    })) << monitor.Output();

    // Closing the window gives the name back.
    CloseWindow();
    ChildProcess owner(m_bus.Gdbus(
        "call", {"--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                 "--method", "org.freedesktop.DBus.NameHasOwner", "io.github.varlok.Varlok1"}));
    ASSERT_TRUE(owner.WaitForExit(std::chrono::seconds(20)).has_value());
    EXPECT_EQ(owner.Output(), "(false,)\n");
}

// The KWin script and both styles of the GNOME Shell extension, run by node
// with stand-ins for their compositor, report through the window's service
// exactly as they would from inside KWin or GNOME Shell: the types of their
// calls are checked by the bus against the service's interface.
TEST_F(BusServiceEndToEndTest, CompositorHelpersTellTheWindowTheProgramInFront) {
    if (::system("node --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "node is not installed (package nodejs): the helpers cannot run";
    }
    OpenMousePage("ms_rich_Op_tab");
    ASSERT_TRUE(RunUntil([this] {
        return m_window->BusService().Export()->State() == platform::BusExportState::Exported;
    }));
    ChildProcess sleeper({"sleep", "60"});
    const std::string sleepPath =
        platform::ProcessExecutable(static_cast<std::uint32_t>(sleeper.Pid())).value_or("?");
    const std::string extension = "/varlok-foreground@varlok.github.io/extension.js";
    const std::vector<std::pair<std::string, std::string>> helpers{
        {"kwin", VARLOK_SOURCE_DIR "/data/kwin/varlok-foreground.js"},
        {"gnome43", VARLOK_BUILD_DATA_DIR "/gnome-shell/43" + extension},
        {"gnome45", VARLOK_BUILD_DATA_DIR "/gnome-shell/45" + extension},
    };
    const auto foreground = [this] {
        return Call({"org.freedesktop.DBus.Properties.Get", "io.github.varlok.Varlok1",
                     "ForegroundProgram"});
    };
    for (const auto& [style, file] : helpers) {
        for (const std::string& program : {sleepPath, std::string()}) {
            const pid_t pid = program.empty() ? 0 : sleeper.Pid();
            ChildProcess helper({"node", VARLOK_SOURCE_DIR "/tests/app/support/compositorhelper.js",
                                 style, file, m_bus.Address(), std::to_string(pid)});
            ASSERT_TRUE(RunUntil([&] { return helper.Poll().has_value(); })) << style;
            EXPECT_EQ(helper.Poll(), 0) << style << ": " << helper.Output();
            EXPECT_TRUE(RunUntil([&] { return foreground() == "(<'" + program + "'>,)\n"; }))
                << style << " reported " << pid << "; the window has " << foreground();
        }
    }
}

}  // namespace
}  // namespace varlok::app
