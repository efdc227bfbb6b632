#include "app/commandline.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "app/mainwindowroutes.h"
#include "app/startoptiontable.h"
#include "platform/textlines.h"
#include "varlok/version.h"

namespace varlok::app {

namespace {

constexpr std::string_view kScreenshotOption = "--screenshot";
constexpr std::string_view kPageOption = "--page";
constexpr std::string_view kFramesOption = "--frames";
constexpr int kMostFrames = 999;
// Where the help's descriptions start.
constexpr std::size_t kDescriptionColumn = 21;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

CommandLineResult Fail(std::string error) {
    CommandLineResult result;
    result.action = CommandLineResult::Action::Error;
    result.error = std::move(error);
    return result;
}

}  // namespace

namespace {

// The value of "--option VALUE" or "--option=VALUE" at arguments[i] (moving i
// past a separate value); std::nullopt when the argument is another one.
std::optional<std::string_view> OptionValue(std::span<const std::string_view> arguments,
                                            std::size_t& i, std::string_view option) {
    const std::string_view argument = arguments[i];
    if (argument == option) {
        return i + 1 < arguments.size() ? arguments[++i] : std::string_view();
    }
    if (argument.starts_with(option) && argument.substr(option.size()).starts_with('=')) {
        return argument.substr(option.size() + 1);
    }
    return std::nullopt;
}

}  // namespace

CommandLineResult ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLineResult result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLineResult::Action::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = CommandLineResult::Action::Version;
            return result;
        }
        if (argument == "--simulate" || argument == "--simulate=fresh") {
            result.options.simulate = true;
            result.options.simulateFresh = argument.ends_with("=fresh");
        } else if (argument == "--simulate-locked") {
            result.options.simulate = true;
            result.options.simulateLocked = true;
        } else if (argument == "--hidden") {
            result.options.hidden = true;
        } else if (const auto file = OptionValue(arguments, i, kScreenshotOption)) {
            if (file->empty()) {
                return Fail("--screenshot needs a file name");
            }
            result.options.screenshot = std::filesystem::path(*file);
        } else if (const auto page = OptionValue(arguments, i, kPageOption)) {
            if (!FindFunctionPage(*page)) {
                return Fail(
                    "--page needs one of lighting, macros, buttons, performance, cursor, profiles");
            }
            result.options.page = std::string(*page);
        } else if (const auto frames = OptionValue(arguments, i, kFramesOption)) {
            int count = 0;
            const auto [end, error] =
                std::from_chars(frames->data(), frames->data() + frames->size(), count);
            if (error != std::errc() || end != frames->data() + frames->size() || count < 1 ||
                count > kMostFrames) {
                return Fail("--frames needs a number from 1 to 999");
            }
            result.options.frames = count;
        } else {
            return Fail("unknown argument: " + std::string(argument));
        }
    }
    if (result.options.frames > 1 && !result.options.screenshot) {
        return Fail("--frames goes with --screenshot");
    }
    return result;
}

std::string UsageText() {
    const std::string usage = "usage: varlok ";
    std::string text;
    for (const std::string_view line : platform::SplitLines(kStartSynopsis)) {
        text += (text.empty() ? usage : std::string(usage.size(), ' ')) + std::string(line) + '\n';
    }
    text += "\n" + std::string(kStartIntroduction) + "\n\n";
    for (const StartOptionEntry& option : kStartOptionTable) {
        std::string label = "  " + std::string(option.name);
        if (!option.value.empty()) {
            label += " " + std::string(option.value);
        }
        label.resize(std::max(label.size() + 1, kDescriptionColumn), ' ');
        for (const std::string_view line : platform::SplitLines(option.help)) {
            text += label + std::string(line) + '\n';
            label.assign(kDescriptionColumn, ' ');
        }
    }
    return text + "\n" + std::string(kStartNote) + "\n";
}

std::string VersionText() {
    return "varlok " + std::string(kVersion) + "\n";
}

bool NeedsOffscreenPlatform() {
    return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM");
}

}  // namespace varlok::app
