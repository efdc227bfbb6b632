#include "app/commandline.h"

#include <cstdlib>

namespace varlok::app {

namespace {

constexpr std::string_view kScreenshotOption = "--screenshot";

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

CommandLineResult ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLineResult result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLineResult::Action::Help;
            return result;
        }
        if (argument == "--simulate") {
            result.options.simulate = true;
            continue;
        }
        std::string_view file;
        if (argument == kScreenshotOption) {
            if (i + 1 == arguments.size()) {
                return Fail("--screenshot needs a file name");
            }
            file = arguments[++i];
        } else if (argument.starts_with(kScreenshotOption) &&
                   argument.substr(kScreenshotOption.size()).starts_with('=')) {
            file = argument.substr(kScreenshotOption.size() + 1);
        } else {
            return Fail("unknown argument: " + std::string(argument));
        }
        if (file.empty()) {
            return Fail("--screenshot needs a file name");
        }
        result.options.screenshot = std::filesystem::path(file);
    }
    return result;
}

std::string_view UsageText() {
    return "usage: varlok [--simulate] [--screenshot FILE] [--help]\n"
           "\n"
           "Configuration program for the 0C45:7643 gaming mouse.\n"
           "\n"
           "  --simulate         plug in the virtual mouse, so that everything works\n"
           "                     without the hardware; its menus then also offer to\n"
           "                     unplug and plug it and to press its device events\n"
           "  --screenshot FILE  once the mouse is connected and read, write the main\n"
           "                     window as a PNG picture to FILE and quit\n"
           "  --help             show this text\n"
           "\n"
           "Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is drawn\n"
           "offscreen; combine that with --screenshot to see it.\n";
}

bool NeedsOffscreenPlatform() {
    return !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM");
}

}  // namespace varlok::app
