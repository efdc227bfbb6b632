#include "platform/fakeforegroundprogram.h"
#include "platform/x11foregroundprogram.h"

#include "xvfbserver.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

// After GoogleTest: Xlib defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using testing::XvfbServer;

// Long enough never to be reached on a loaded machine; a working backend
// answers at once.
constexpr auto kPatience = 10s;

TEST(FakeForegroundProgram, SignalsOnlyRealChanges) {
    FakeForegroundProgram fake;
    EXPECT_EQ(fake.Path(), "");
    fake.BringToFront("/usr/bin/game");
    EXPECT_TRUE(fake.Changed().Wait(0ms));
    fake.BringToFront("/usr/bin/game");
    EXPECT_FALSE(fake.Changed().Wait(0ms));
    EXPECT_EQ(fake.Path(), "/usr/bin/game");
}

TEST(X11ForegroundProgram, WithoutAnXServerSaysWhy) {
    X11ForegroundProgram program(":not-a-display");
    EXPECT_EQ(program.Support(), ForegroundSupport::NoX11Display);
    EXPECT_EQ(program.Path(), "");
}

// A process of another program, found by pid: what a window names.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_started = ::posix_spawnp(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
    }
    ~ChildProcess() {
        if (m_started) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    [[nodiscard]] pid_t Pid() const { return m_pid; }
    [[nodiscard]] bool Started() const { return m_started; }

private:
    pid_t m_pid = -1;
    bool m_started = false;
};

// An X server of the test's own, where the test plays the window manager: it
// makes windows and names the active one on the root window.
class X11ForegroundServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = std::make_unique<XvfbServer>();
        if (!m_server->Installed()) {
            GTEST_SKIP() << "Xvfb is not installed (package xvfb); no X server to test against";
        }
        m_displayName = m_server->DisplayName();
        ASSERT_FALSE(m_displayName.empty()) << "Xvfb did not start";
        m_display.reset(XOpenDisplay(m_displayName.c_str()));
        ASSERT_NE(m_display, nullptr);
    }

    // A window whose _NET_WM_PID names pid (no property when pid is 0).
    Window MakeWindow(long pid) {
        Display* display = m_display.get();
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        if (pid != 0) {
            XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False),
                            XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pid), 1);
        }
        XSync(display, False);
        return window;
    }

    void Activate(Window window) {
        Display* display = m_display.get();
        const long value = static_cast<long>(window);
        XChangeProperty(display, DefaultRootWindow(display),
                        XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(display, False);
    }

    std::unique_ptr<XvfbServer> m_server;
    std::string m_displayName;
    std::unique_ptr<Display, int (*)(Display*)> m_display{nullptr, XCloseDisplay};
};

TEST_F(X11ForegroundServerTest, FollowsTheActiveWindowToItsProgram) {
    ChildProcess sleeper({"sleep", "60"});
    ASSERT_TRUE(sleeper.Started());
    const std::string sleepPath = *X11ForegroundProgram::ExecutableOf(sleeper.Pid());
    const std::string ownPath = std::filesystem::canonical("/proc/self/exe").string();
    const Window sleepWindow = MakeWindow(sleeper.Pid());
    const Window ownWindow = MakeWindow(::getpid());
    const Window anonymous = MakeWindow(0);
    Activate(sleepWindow);

    X11ForegroundProgram program(m_displayName);
    ASSERT_EQ(program.Support(), ForegroundSupport::Available);
    EXPECT_EQ(program.Path(), sleepPath) << "the window in front when watching starts";

    Activate(ownWindow);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    EXPECT_EQ(program.Path(), ownPath);

    // A window that names no process (as Xt- and Motif-era clients make):
    // the X-Resource extension names the local client that made it, this
    // test. Then none in front: no program.
    Activate(sleepWindow);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    Activate(anonymous);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    EXPECT_EQ(program.Path(), ownPath);
    Activate(0);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    EXPECT_EQ(program.Path(), "");

    // A window destroyed while named is as good as none (whether the watch
    // still saw it or not), and the watch goes on.
    Activate(ownWindow);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    const Window second = MakeWindow(::getpid());
    Activate(second);
    XDestroyWindow(m_display.get(), second);
    XSync(m_display.get(), False);
    Activate(sleepWindow);
    while (program.Path() != sleepPath && program.Changed().Wait(kPatience)) {
    }
    EXPECT_EQ(program.Path(), sleepPath);
}

TEST_F(X11ForegroundServerTest, AProcessThatCannotBeInspectedKeepsTheLastProgram) {
    const Window ownWindow = MakeWindow(::getpid());
    // A pid that no process has: as for a process of another user, /proc
    // tells nothing.
    const Window ghost = MakeWindow(0x7FFFFFF0);
    Activate(ownWindow);
    X11ForegroundProgram program(m_displayName);
    const std::string ownPath = program.Path();
    ASSERT_FALSE(ownPath.empty());
    Activate(ghost);
    Activate(0);
    ASSERT_TRUE(program.Changed().Wait(kPatience)) << "none in front is a change";
    EXPECT_EQ(program.Path(), "");
    Activate(ownWindow);
    ASSERT_TRUE(program.Changed().Wait(kPatience));
    Activate(ghost);
    EXPECT_FALSE(program.Changed().Wait(300ms));
    EXPECT_EQ(program.Path(), ownPath);
}

TEST_F(X11ForegroundServerTest, AServerThatGoesAwayEndsTheWatchQuietly) {
    X11ForegroundProgram program(m_displayName);
    ASSERT_EQ(program.Support(), ForegroundSupport::Available);
    m_display.reset();
    m_server.reset();  // the destructor must still return
}

}  // namespace
}  // namespace varlok::platform
