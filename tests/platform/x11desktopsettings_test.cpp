#include "platform/x11desktopsettings.h"

#include "xvfbserver.h"

#include <gtest/gtest.h>

// After GoogleTest: Xlib defines None, Bool and Status as macros.
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace varlok::platform {
namespace {

using testing::XvfbServer;
using Control = X11DesktopSettings::PointerControl;

TEST(X11DesktopSettings, MappingRunsFromSlowToFastAroundTheServerDefault) {
    EXPECT_EQ(X11DesktopSettings::PointerControlForSpeed(10), (Control{2, 1, 4}));
    EXPECT_EQ(X11DesktopSettings::PointerControlForSpeed(5), (Control{1, 1, 4}));
    EXPECT_EQ(X11DesktopSettings::PointerControlForSpeed(13), (Control{13, 5, 4}));
    EXPECT_EQ(X11DesktopSettings::PointerControlForSpeed(-2), (Control{1, 5, 4}));
    EXPECT_EQ(X11DesktopSettings::PointerControlForSpeed(30), (Control{4, 1, 4}));
    double previous = 0;
    for (int speed = 1; speed <= 20; ++speed) {
        Control control = X11DesktopSettings::PointerControlForSpeed(speed);
        const double acceleration = static_cast<double>(control.numerator) / control.denominator;
        EXPECT_GT(acceleration, previous) << speed;
        previous = acceleration;
        EXPECT_EQ(X11DesktopSettings::SpeedForPointerControl(control), speed);
    }
    // Fractions set by other programs (xset m 3/1 10, 7/3, 10/1).
    EXPECT_EQ(X11DesktopSettings::SpeedForPointerControl({3, 1, 10}), 15);
    EXPECT_EQ(X11DesktopSettings::SpeedForPointerControl({7, 3, 4}), 12);
    EXPECT_EQ(X11DesktopSettings::SpeedForPointerControl({10, 1, 4}), 20);
    EXPECT_EQ(X11DesktopSettings::SpeedForPointerControl({1, 0, 4}), std::nullopt);
}

class X11DesktopSettingsServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = std::make_unique<XvfbServer>();
        if (!m_server->Installed()) {
            GTEST_SKIP() << "Xvfb is not installed (package xvfb); no X server to test against";
        }
        m_display = m_server->DisplayName();
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";
    }

    // What the server holds, read with a connection of the test's own.
    Control ServerControl() const {
        Control control{0, 0, 0};
        std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(m_display.c_str()),
                                                            XCloseDisplay);
        EXPECT_NE(display, nullptr);
        if (display) {
            XGetPointerControl(display.get(), &control.numerator, &control.denominator,
                               &control.threshold);
        }
        return control;
    }

    std::unique_ptr<XvfbServer> m_server;
    std::string m_display;
};

TEST_F(X11DesktopSettingsServerTest, SetsAndReadsTheServersPointerControl) {
    X11DesktopSettings x11(m_display);
    EXPECT_FALSE(x11.Supports(DesktopSetting::WheelLines));
    EXPECT_EQ(ServerControl(), (Control{2, 1, 4})) << "a fresh server's default";
    EXPECT_EQ(x11.PointerSpeed(), 10);

    for (int speed : {1, 2, 5, 7, 10, 13, 19, 20, 0, 21}) {
        ASSERT_EQ(x11.SetPointerSpeed(speed), DesktopApplyResult::Applied);
        EXPECT_EQ(ServerControl(), X11DesktopSettings::PointerControlForSpeed(speed)) << speed;
        EXPECT_EQ(x11.PointerSpeed(), DesktopSettings::ClampPointerSpeed(speed));
    }
    EXPECT_EQ(x11.SetWheelLines(3), DesktopApplyResult::Unsupported);
    EXPECT_EQ(ServerControl(), (Control{4, 1, 4}));

    // No server: calls fail instead of ending the process. Each call opens
    // its own connection, so a display nobody serves stands for a server
    // that went away; stopping this test's server instead would let another
    // test's server take its display number and answer in its place.
    X11DesktopSettings gone(":65000");
    EXPECT_EQ(gone.SetPointerSpeed(10), DesktopApplyResult::Failed);
    EXPECT_EQ(gone.PointerSpeed(), std::nullopt);
}

TEST_F(X11DesktopSettingsServerTest, ConcurrentWritersEndWithOneOfTheirValues) {
    X11DesktopSettings x11(m_display);
    std::atomic<int> failures{0};
    {
        std::vector<std::jthread> threads;
        for (int speed : {2, 5, 8, 11, 14, 17}) {
            threads.emplace_back([&x11, &failures, speed] {
                for (int round = 0; round < 10; ++round) {
                    failures += x11.SetPointerSpeed(speed) != DesktopApplyResult::Applied;
                    failures += !x11.PointerSpeed().has_value();
                }
            });
        }
    }
    EXPECT_EQ(failures, 0);
    std::optional<int> speed = x11.PointerSpeed();
    ASSERT_TRUE(speed.has_value());
    EXPECT_EQ(*speed % 3, 2) << *speed;
    EXPECT_EQ(ServerControl(), X11DesktopSettings::PointerControlForSpeed(*speed));
}

}  // namespace
}  // namespace varlok::platform
