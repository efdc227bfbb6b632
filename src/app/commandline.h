#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varlok::app {

// What the command line asks of the application.
struct StartOptions {
    // Plug the virtual mouse into the process's HID bus before the monitors
    // start. It keeps its memory between runs in the state file of
    // sim::VirtualMouseStateFile, unless simulateFresh starts it from the
    // factory state ("--simulate=fresh").
    bool simulate = false;
    bool simulateFresh = false;
    // With simulate: the virtual mouse refuses to be opened, as a mouse does
    // before the udev rule is installed ("--simulate-locked").
    bool simulateLocked = false;
    // Once the mouse is connected and read, write the main window as a PNG
    // picture to this file and quit.
    std::optional<std::filesystem::path> screenshot;
    // With screenshot: this many pictures, one per lighting frame period,
    // once the lighting runs (FILE's name gets -001, -002, ... before its
    // extension). 1: the one picture.
    int frames = 1;
    // Once the mouse is connected, show this page of the mouse page (a name
    // of FunctionPages(): "performance", "lighting", ...).
    std::optional<std::string> page;
    // Stay in the tray when the mouse is found at start, as a start with the
    // desktop session should ("--hidden"); without a tray the window shows.
    bool hidden = false;
};

struct CommandLineResult {
    enum class Action {
        Run,      // start with options
        Help,     // print UsageText() to stdout and exit 0
        Version,  // print VersionText() to stdout and exit 0
        Error     // print error and UsageText() to stderr and exit 2
    };
    Action action = Action::Run;
    StartOptions options;
    std::string error;
};

// Reads the arguments after the program name, the options of
// kStartOptionTable: "--simulate" (or "--simulate=fresh"), "--simulate-locked"
// (implies --simulate), "--hidden", "--screenshot FILE" (or
// "--screenshot=FILE"), "--frames N" (with --screenshot; N 1-999), "--page
// PAGE" (or "--page=PAGE"), "--version", "--help" (or "-h").
[[nodiscard]] CommandLineResult ParseCommandLine(std::span<const std::string_view> arguments);

// The help, made from kStartOptionTable.
[[nodiscard]] std::string UsageText();
// "varlok 1.2.3" and a newline.
[[nodiscard]] std::string VersionText();

// True when there is no display to show windows on (neither DISPLAY nor
// WAYLAND_DISPLAY is set) and no Qt platform was chosen (QT_QPA_PLATFORM):
// the application then draws offscreen.
[[nodiscard]] bool NeedsOffscreenPlatform();

}  // namespace varlok::app
