#pragma once

// varlok's start options and what its help says of them: the one table,
// from which `varlok --help` and the manual page are made. Data only, free
// of Qt, so that the build's manual maker can read it.

#include <array>
#include <string_view>

namespace varlok::app {

struct StartOptionEntry {
    std::string_view name;
    // What the help shows after the name; empty for a flag.
    std::string_view value;
    // Wrapped to the help's description column.
    std::string_view help;
};

inline constexpr std::string_view kStartSynopsis =
    "[--simulate[=fresh] | --simulate-locked] [--hidden] [--page PAGE]\n"
    "[--screenshot FILE [--frames N]] [--version] [--help]";

inline constexpr std::string_view kStartIntroduction =
    "Configuration program for the 0C45:7643 gaming mouse.";

inline constexpr std::array kStartOptionTable{
    StartOptionEntry{"--simulate", "",
                     "plug in the virtual mouse, so that everything works\n"
                     "without the hardware; its menus then also offer to\n"
                     "unplug and plug it and to press its device events.\n"
                     "It keeps its memory between runs in\n"
                     "$XDG_RUNTIME_DIR/varlok/virtual-mouse.state"},
    StartOptionEntry{"--simulate=fresh", "", "the same, starting from the factory state"},
    StartOptionEntry{"--simulate-locked", "",
                     "the same, but the virtual mouse refuses to be opened,\n"
                     "as a mouse does before its udev rule is installed"},
    StartOptionEntry{"--hidden", "",
                     "start in the tray, as the desktop's autostart does: the\n"
                     "window does not come forward when the mouse is found\n"
                     "(without a tray it is shown all the same)"},
    StartOptionEntry{"--page", "PAGE",
                     "once the mouse is connected, show that page of it:\n"
                     "lighting, macros, buttons, performance, cursor or\n"
                     "profiles (the profile panel)"},
    StartOptionEntry{"--screenshot", "FILE",
                     "once the mouse is connected and read, write the main\n"
                     "window as a PNG picture to FILE and quit"},
    StartOptionEntry{"--frames", "N",
                     "with --screenshot: once the lighting runs, write N\n"
                     "pictures, one per lighting frame, as FILE-001.png ..."},
    StartOptionEntry{"--version", "", "print the version and exit"},
    StartOptionEntry{"--help", "", "show this text"},
};

inline constexpr std::string_view kStartNote =
    "Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is drawn\n"
    "offscreen; combine that with --screenshot to see it.";

}  // namespace varlok::app
