#include "app/commandline.h"

#include <charconv>
#include <cstdlib>

#include "app/mainwindowroutes.h"

namespace varlok::app {

namespace {

constexpr std::string_view kScreenshotOption = "--screenshot";
constexpr std::string_view kPageOption = "--page";
constexpr std::string_view kFramesOption = "--frames";
constexpr int kMostFrames = 999;

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
        if (argument == "--simulate" || argument == "--simulate=fresh") {
            result.options.simulate = true;
            result.options.simulateFresh = argument.ends_with("=fresh");
        } else if (argument == "--simulate-locked") {
            result.options.simulate = true;
            result.options.simulateLocked = true;
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

std::string_view UsageText() {
    return "usage: varlok [--simulate[=fresh] | --simulate-locked] [--page PAGE] [--screenshot "
           "FILE "
           "[--frames N]] [--help]\n"
           "\n"
           "Configuration program for the 0C45:7643 gaming mouse.\n"
           "\n"
           "  --simulate         plug in the virtual mouse, so that everything works\n"
           "                     without the hardware; its menus then also offer to\n"
           "                     unplug and plug it and to press its device events.\n"
           "                     It keeps its memory between runs in\n"
           "                     $XDG_RUNTIME_DIR/varlok/virtual-mouse.state\n"
           "  --simulate=fresh   the same, starting from the factory state\n"
           "  --simulate-locked  the same, but the virtual mouse refuses to be opened,\n"
           "                     as a mouse does before its udev rule is installed\n"
           "  --page PAGE        once the mouse is connected, show that page of it:\n"
           "                     lighting, macros, buttons, performance, cursor or\n"
           "                     profiles (the profile panel)\n"
           "  --screenshot FILE  once the mouse is connected and read, write the main\n"
           "                     window as a PNG picture to FILE and quit\n"
           "  --frames N         with --screenshot: once the lighting runs, write N\n"
           "                     pictures, one per lighting frame, as FILE-001.png ...\n"
           "  --help             show this text\n"
           "\n"
           "Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is drawn\n"
           "offscreen; combine that with --screenshot to see it.\n";
}

bool NeedsOffscreenPlatform() {
    return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM");
}

}  // namespace varlok::app
