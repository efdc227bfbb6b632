#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/support/linkeddeviceprofiles.h"
#include "app/support/mainwindowfixture.h"
#include "platform/childprocess.h"
#include "platform/processexecutable.h"
#include "platform/swayforegroundprogram.h"
#include "platform/swaysession.h"
#include "ui/comboui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using platform::testing::ChildProcess;
using platform::testing::SwaySession;

// Long enough never to be reached on a loaded machine; sway answers at once.
constexpr auto kPatience = 20s;

// Sway headless with two windows of two programs (copies of one small Qt
// client under two names), focus moved as a user's key binding would move
// it, with swaymsg.
class SwayForegroundTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!m_sway.Installed()) {
            GTEST_SKIP() << "sway is not installed (package sway; scripts/quickstart installs "
                            "it): no compositor to test the Sway backend against";
        }
        ASSERT_FALSE(m_sway.SocketPath().empty()) << "sway did not start";
        m_gamePath = m_sway.CopyProgram(VARLOK_FOCUS_WINDOW, "game");
        m_editorPath = m_sway.CopyProgram(VARLOK_FOCUS_WINDOW, "editor");
        m_game = Show(m_gamePath);
        m_editor = Show(m_editorPath);
        // Sway maps a window (and focuses it) only after the client's first
        // frame: each is focused once sway has it, the editor last.
        for (const ChildProcess* client : {m_game.get(), m_editor.get()}) {
            const auto end = std::chrono::steady_clock::now() + kPatience;
            while (!Focus(*client)) {
                ASSERT_LT(std::chrono::steady_clock::now(), end) << "sway did not map a window";
            }
        }
    }

    std::unique_ptr<ChildProcess> Show(const std::filesystem::path& program) {
        auto client = std::make_unique<ChildProcess>(std::vector{program.string()},
                                                     m_sway.ClientEnvironment());
        EXPECT_TRUE(client->WaitForOutput("shown", kPatience)) << client->Output();
        return client;
    }

    bool Focus(const ChildProcess& client) {
        return m_sway.Command("[pid=" + std::to_string(client.Pid()) + "] focus");
    }

    // Waits until the backend tells path.
    static bool WaitForPath(platform::ForegroundProgram& program, const std::string& path) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (program.Path() != path) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !program.Changed().Wait(left)) {
                return program.Path() == path;
            }
        }
        return true;
    }

    SwaySession m_sway;
    std::filesystem::path m_gamePath;
    std::filesystem::path m_editorPath;
    std::unique_ptr<ChildProcess> m_game;
    std::unique_ptr<ChildProcess> m_editor;
};

TEST_F(SwayForegroundTest, FollowsTheFocusedWindowToItsProgram) {
    platform::SwayForegroundProgram program(m_sway.SocketPath());
    ASSERT_EQ(program.Support(), platform::ForegroundSupport::Available);
    EXPECT_EQ(program.Path(), m_editorPath.string()) << "the window in front when watching starts";

    ASSERT_TRUE(Focus(*m_game));
    EXPECT_TRUE(WaitForPath(program, m_gamePath.string()));
    ASSERT_TRUE(Focus(*m_editor));
    EXPECT_TRUE(WaitForPath(program, m_editorPath.string()));

    // The window in front closes: sway focuses the other one.
    ASSERT_TRUE(m_editor->Terminate(kPatience).has_value());
    EXPECT_TRUE(WaitForPath(program, m_gamePath.string()));
    // An empty workspace takes the focus: no program is in front.
    ASSERT_TRUE(m_sway.Command("workspace 9"));
    EXPECT_TRUE(WaitForPath(program, ""));
    ASSERT_TRUE(m_sway.Command("workspace 1"));
    EXPECT_TRUE(WaitForPath(program, m_gamePath.string()));
}

TEST_F(SwayForegroundTest, TheLinkedProgramInFrontSwitchesTheMouseAndLeavingItReturns) {
    ASSERT_TRUE(testing::WriteLinkedDeviceProfiles(m_folder / "ms", m_gamePath.string()));
    m_environment.foreground =
        std::make_shared<platform::SwayForegroundProgram>(m_sway.SocketPath());
    ui::CTrayIcon::OverrideSystemTrayAvailable(false);
    AttachMouse();
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    const auto& devices = *dynamic_cast<ui::CComboUI*>(Find("ms_device_profile_combo"));
    ASSERT_EQ(devices.GetCurSel(), 0);

    ASSERT_TRUE(Focus(*m_game));
    ASSERT_TRUE(RunUntil([&] {
        return m_mouse->SettingsArea()[testing::kStageOneOffset] == testing::kGameDpiCode;
    }));
    EXPECT_EQ(devices.GetCurSel(), 1);
    ASSERT_TRUE(Focus(*m_editor));
    ASSERT_TRUE(RunUntil([&] {
        return m_mouse->SettingsArea()[testing::kStageOneOffset] == testing::kDeskDpiCode;
    }));
    EXPECT_EQ(devices.GetCurSel(), 0);
}

}  // namespace
}  // namespace varlok::app
