#include "platform/desktopsettings.h"

#include "platform/desktopsession.h"
#include "platform/recordingdesktopsettings.h"
#include "scopedenvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>
#include <vector>

namespace varlok::platform {
namespace {

using testing::ScopedEnvironment;
using Call = RecordedDesktopCall;
using Kind = DesktopBackendKind;

TEST(DesktopSettings, LibinputScaleMapsEveryStepBothWays) {
    EXPECT_DOUBLE_EQ(LibinputSpeedFromPointerSpeed(1), -0.9);
    EXPECT_DOUBLE_EQ(LibinputSpeedFromPointerSpeed(10), 0.0);
    EXPECT_DOUBLE_EQ(LibinputSpeedFromPointerSpeed(20), 1.0);
    EXPECT_DOUBLE_EQ(LibinputSpeedFromPointerSpeed(0), -0.9);
    EXPECT_DOUBLE_EQ(LibinputSpeedFromPointerSpeed(99), 1.0);
    for (int speed = 1; speed <= 20; ++speed) {
        EXPECT_EQ(PointerSpeedFromLibinputSpeed(LibinputSpeedFromPointerSpeed(speed)), speed);
    }
    // Values other programs store: between steps, beyond the ends, not numbers.
    EXPECT_EQ(PointerSpeedFromLibinputSpeed(0.33), 13);
    EXPECT_EQ(PointerSpeedFromLibinputSpeed(-0.26), 7);
    EXPECT_EQ(PointerSpeedFromLibinputSpeed(-1.0), 1);
    EXPECT_EQ(PointerSpeedFromLibinputSpeed(1e300), 20);
    EXPECT_EQ(PointerSpeedFromLibinputSpeed(std::numeric_limits<double>::quiet_NaN()),
              std::nullopt);
}

TEST(DesktopSettings, ChoosesTheBackendForTheSession) {
    // {forced, XDG_CURRENT_DESKTOP, XDG_SESSION_TYPE, DISPLAY, WAYLAND_DISPLAY, schema}
    const std::vector<std::pair<DesktopSession, Kind>> cases{
        {{"", "ubuntu:GNOME", "x11", true, false, true, "", ""}, Kind::Gnome},
        {{"", "ubuntu:GNOME", "x11", true, false, false, "", ""}, Kind::X11},
        {{"", "GNOME", "wayland", true, true, false, "", ""}, Kind::None},
        {{"", "KDE", "wayland", true, true, true, "", ""}, Kind::Kde},
        {{"", "kde", "", false, false, false, "", ""}, Kind::Kde},
        {{"", "XFCE", "x11", true, false, true, "", ""}, Kind::X11},
        {{"", "sway", "", true, true, true, "", ""},
         Kind::None},  // XWayland is not the real pointer
        {{"", "LXQt", "wayland", true, false, true, "", ""}, Kind::None},
        {{"", "GNOME-Classic", "", false, false, true, "", ""}, Kind::None},  // whole entries only
        {{"X11", "KDE", "wayland", false, true, true, "", ""}, Kind::X11},
        {{"none", "GNOME", "", true, false, true, "", ""}, Kind::None},
        {{"Gnome", "KDE", "", true, false, true, "", ""}, Kind::Gnome},
        {{"gnome", "KDE", "", true, false, false, "", ""}, Kind::None},
        {{"cinnamon", "KDE", "", true, false, true, "", ""}, Kind::Kde},  // unknown: ignored
    };
    for (const auto& [session, expected] : cases) {
        EXPECT_EQ(ChooseDesktopBackend(session), expected)
            << session.forcedDesktop << " / " << session.currentDesktop;
    }
}

TEST(DesktopSettings, OpenReadsTheEnvironment) {
    ScopedEnvironment display("DISPLAY", ":57");
    ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnvironment type("XDG_SESSION_TYPE", std::nullopt);
    ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "KDE");
    ScopedEnvironment forced("VARLOK_DESKTOP", "x11");
    EXPECT_EQ(OpenDesktopSettings()->BackendName(), "X11");
    ::unsetenv("VARLOK_DESKTOP");
    EXPECT_EQ(OpenDesktopSettings()->BackendName(), "KDE Plasma");
    // gsettings-desktop-schemas is installed wherever the tests run.
    ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
    EXPECT_EQ(OpenDesktopSettings()->BackendName(), "GNOME");
    ::setenv("XDG_CURRENT_DESKTOP", "sway", 1);
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    std::shared_ptr<DesktopSettings> none = OpenDesktopSettings();
    EXPECT_EQ(none->BackendName(), "none");
    EXPECT_FALSE(none->Supports(DesktopSetting::PointerSpeed));
    EXPECT_EQ(none->SetPointerSpeed(10), DesktopApplyResult::Unsupported);
    EXPECT_EQ(none->SetWheelLines(3), DesktopApplyResult::Unsupported);
    EXPECT_EQ(none->PointerSpeed(), std::nullopt);
}

TEST(RecordingDesktopSettings, RecordsCallsAndActsAsTheChosenDesktop) {
    RecordingDesktopSettings settings({DesktopSetting::PointerSpeed}, 7);
    EXPECT_FALSE(settings.Supports(DesktopSetting::WheelLines));
    EXPECT_EQ(settings.PointerSpeed(), 7);
    EXPECT_EQ(settings.SetPointerSpeed(25), DesktopApplyResult::Applied);
    EXPECT_EQ(settings.PointerSpeed(), 20);
    EXPECT_EQ(settings.SetWheelLines(5), DesktopApplyResult::Unsupported);
    settings.SetResult(DesktopApplyResult::Failed);
    EXPECT_EQ(settings.SetPointerSpeed(3), DesktopApplyResult::Failed);
    EXPECT_EQ(settings.PointerSpeed(), 20);
    EXPECT_EQ(settings.Calls(), (std::vector<Call>{{Call::Kind::ReadPointerSpeed, 0},
                                                   {Call::Kind::SetPointerSpeed, 25},
                                                   {Call::Kind::ReadPointerSpeed, 0},
                                                   {Call::Kind::SetWheelLines, 5},
                                                   {Call::Kind::SetPointerSpeed, 3},
                                                   {Call::Kind::ReadPointerSpeed, 0}}));

    RecordingDesktopSettings wheelOnly({DesktopSetting::WheelLines}, 12);
    EXPECT_EQ(wheelOnly.PointerSpeed(), std::nullopt);
    EXPECT_EQ(wheelOnly.SetWheelLines(0), DesktopApplyResult::Applied);
    EXPECT_EQ(wheelOnly.StoredWheelLines(), 1);
}

TEST(RecordingDesktopSettings, WaitsForCallsFromShortLivedThreads) {
    RecordingDesktopSettings settings;
    constexpr int kThreads = 8;
    std::vector<std::jthread> threads;  // joined before `settings` goes
    for (int i = 1; i <= kThreads; ++i) {
        threads.emplace_back([&settings, i] {
            (void)settings.SetPointerSpeed(i);
            (void)settings.SetWheelLines(i * 10);
        });
    }
    ASSERT_TRUE(settings.WaitForCalls(2 * kThreads, std::chrono::seconds{20}));
    std::vector<Call> calls = settings.Calls();
    EXPECT_EQ(calls.size(), 2u * kThreads);
    for (int i = 1; i <= kThreads; ++i) {
        auto speed = std::find(calls.begin(), calls.end(), Call{Call::Kind::SetPointerSpeed, i});
        auto lines = std::find(calls.begin(), calls.end(), Call{Call::Kind::SetWheelLines, i * 10});
        ASSERT_NE(lines, calls.end());
        EXPECT_LT(speed, lines) << "one thread's calls arrive in its order";
    }
    std::optional<int> speed = settings.PointerSpeed();
    EXPECT_TRUE(speed >= 1 && speed <= kThreads) << "the value of one of the writers";
    std::optional<int> lines = settings.StoredWheelLines();
    EXPECT_TRUE(lines >= 10 && lines <= 10 * kThreads && *lines % 10 == 0);
}

}  // namespace
}  // namespace varlok::platform
