#include "app/commandline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/startoptiontable.h"
#include "platform/scopedenvironment.h"
#include "varlok/version.h"

namespace varlok::app {
namespace {

using Action = CommandLineResult::Action;

CommandLineResult Parse(std::vector<std::string_view> arguments) {
    return ParseCommandLine(arguments);
}

TEST(CommandLine, NoArgumentsRunsWithRealDevicesOnly) {
    const auto result = Parse({});
    EXPECT_EQ(result.action, Action::Run);
    EXPECT_FALSE(result.options.simulate);
    EXPECT_FALSE(result.options.screenshot);
}

TEST(CommandLine, SimulateAndScreenshotInBothSpellings) {
    auto result = Parse({"--simulate", "--screenshot", "out/shot.png"});
    EXPECT_EQ(result.action, Action::Run);
    EXPECT_TRUE(result.options.simulate);
    ASSERT_TRUE(result.options.screenshot);
    EXPECT_EQ(*result.options.screenshot, std::filesystem::path("out/shot.png"));

    result = Parse({"--screenshot=a b.png", "--simulate"});
    EXPECT_EQ(result.action, Action::Run);
    EXPECT_TRUE(result.options.simulate);
    EXPECT_FALSE(result.options.simulateLocked);
    EXPECT_EQ(*result.options.screenshot, std::filesystem::path("a b.png"));

    // The locked mouse is a simulated one.
    result = Parse({"--simulate-locked"});
    EXPECT_TRUE(result.options.simulate);
    EXPECT_TRUE(result.options.simulateLocked);
}

TEST(CommandLine, HelpWinsOverEverythingElse) {
    EXPECT_EQ(Parse({"--simulate", "--help"}).action, Action::Help);
    EXPECT_EQ(Parse({"-h"}).action, Action::Help);
    EXPECT_EQ(Parse({"--hidden", "--version"}).action, Action::Version);
    EXPECT_EQ(VersionText(), "varlok " + std::string(kVersion) + "\n");
}

TEST(CommandLine, TheHelpShowsEveryOptionOfTheTable) {
    const std::string usage = UsageText();
    EXPECT_TRUE(usage.starts_with("usage: varlok [--simulate[=fresh] | --simulate-locked] "))
        << usage;
    for (const StartOptionEntry& option : kStartOptionTable) {
        std::string label = "\n  " + std::string(option.name);
        if (!option.value.empty()) {
            label += " " + std::string(option.value);
        }
        EXPECT_NE(usage.find(label + " "), std::string::npos) << option.name << '\n' << usage;
    }
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80U) << line;
    }
}

TEST(CommandLine, HiddenStaysInTheTray) {
    EXPECT_FALSE(Parse({"--simulate"}).options.hidden);
    const auto result = Parse({"--hidden"});
    EXPECT_EQ(result.action, Action::Run);
    EXPECT_TRUE(result.options.hidden);
    EXPECT_FALSE(result.options.simulate);
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason) {
    auto result = Parse({"--screenshot"});
    EXPECT_EQ(result.action, Action::Error);
    EXPECT_NE(result.error.find("file name"), std::string::npos);
    EXPECT_EQ(Parse({"--screenshot="}).action, Action::Error);
    result = Parse({"--simulat"});
    EXPECT_EQ(result.action, Action::Error);
    EXPECT_NE(result.error.find("--simulat"), std::string::npos);
    EXPECT_EQ(Parse({"--screenshotx.png"}).action, Action::Error);
    EXPECT_EQ(Parse({"picture.png"}).action, Action::Error);
}

TEST(CommandLine, FramesCountPicturesOfAScreenshotOnly) {
    auto result = Parse({"--screenshot", "shot.png", "--frames", "40"});
    ASSERT_EQ(result.action, Action::Run);
    EXPECT_EQ(result.options.frames, 40);
    EXPECT_EQ(Parse({"--screenshot=s.png"}).options.frames, 1);
    for (const std::string_view bad : {"0", "1000", "-3", "4x", ""}) {
        result = Parse({"--screenshot", "s.png", "--frames", bad});
        EXPECT_EQ(result.action, Action::Error) << bad;
        EXPECT_NE(result.error.find("1 to 999"), std::string::npos) << bad;
    }
    result = Parse({"--frames", "5"});
    EXPECT_EQ(result.action, Action::Error);
    EXPECT_NE(result.error.find("--screenshot"), std::string::npos);
}

TEST(CommandLine, OffscreenOnlyWithoutAnyDisplayOrChosenPlatform) {
    using platform::testing::ScopedEnvironment;
    ScopedEnvironment display("DISPLAY", std::nullopt);
    ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    {
        ScopedEnvironment platform("QT_QPA_PLATFORM", std::nullopt);
        EXPECT_TRUE(NeedsOffscreenPlatform());
        ScopedEnvironment empty("DISPLAY", "");
        EXPECT_TRUE(NeedsOffscreenPlatform());
        ScopedEnvironment x11("DISPLAY", ":0");
        EXPECT_FALSE(NeedsOffscreenPlatform());
    }
    {
        ScopedEnvironment platform("QT_QPA_PLATFORM", std::nullopt);
        ScopedEnvironment waylandSet("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_FALSE(NeedsOffscreenPlatform());
    }
    ScopedEnvironment chosen("QT_QPA_PLATFORM", "xcb");
    EXPECT_FALSE(NeedsOffscreenPlatform());
}

}  // namespace
}  // namespace varlok::app
