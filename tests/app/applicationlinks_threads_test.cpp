#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <memory>
#include <string>

#include "app/support/linkeddeviceprofiles.h"
#include "app/support/xvfbwindowfixture.h"
#include "platform/inifile.h"
#include "platform/x11foregroundprogram.h"
#include "ui/comboui.h"
#include "ui/trayicon.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace varlok::app {
namespace {

// The whole way from the desktop to the mouse: an X server where the test
// plays the window manager, the program in front told by the X11 backend,
// the watcher, the device list and the virtual mouse.
class ApplicationLinksEndToEndTest : public testing::XvfbWindowFixture {
protected:
    void TearDown() override {
        MainWindowFixture::TearDown();
        if (m_child > 0) {
            ::kill(m_child, SIGTERM);
            ::waitpid(m_child, nullptr, 0);
        }
    }

    // A window of process pid, made the active one as a window manager does.
    void Activate(long pid) {
        Display* display = m_display.get();
        const Window root = DefaultRootWindow(display);
        const Window window = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        const long value = static_cast<long>(window);
        XChangeProperty(display, root, XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display, False);
    }

    pid_t m_child = -1;
};

TEST_F(ApplicationLinksEndToEndTest, ALinkedProgramInFrontSwitchesTheMouseAndLeavingItReturns) {
    // The linked program: sleep, started here so that its window can name it.
    char sleep[] = "sleep";
    char seconds[] = "60";
    char* argv[] = {sleep, seconds, nullptr};
    ASSERT_EQ(::posix_spawnp(&m_child, "sleep", nullptr, nullptr, argv, environ), 0);
    const std::optional<std::string> program =
        platform::X11ForegroundProgram::ExecutableOf(static_cast<std::uint32_t>(m_child));
    ASSERT_TRUE(program.has_value());

    ASSERT_TRUE(testing::WriteLinkedDeviceProfiles(m_folder / "ms", *program));
    m_environment.foreground =
        std::make_shared<platform::X11ForegroundProgram>(m_server.DisplayName());
    AttachMouse();
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    const auto& devices = *dynamic_cast<ui::CComboUI*>(Find("ms_device_profile_combo"));
    ASSERT_EQ(devices.GetCurSel(), 0);

    Activate(m_child);
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 1; }));
    EXPECT_EQ(m_mouse->SettingsArea()[testing::kStageOneOffset], testing::kGameDpiCode);
    Activate(::getpid());
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 0; }));
    EXPECT_EQ(m_mouse->SettingsArea()[testing::kStageOneOffset], testing::kDeskDpiCode);
    EXPECT_EQ(
        platform::IniFile(m_folder / "ms" / "msProfile.ini").Read("PROFILEDEVICESELECT", "select"),
        "0");
}

}  // namespace
}  // namespace varlok::app
