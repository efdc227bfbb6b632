#pragma once

// The environment variables the programs read, and the files they keep, as
// the manual pages describe them: the one list of each.

#include <array>
#include <string_view>

namespace varlok::tools::docs {

// Which program reads a variable or keeps a file.
enum class Readers { Window, Tool, Both };

struct EnvironmentEntry {
    std::string_view name;
    Readers readers;
    std::string_view text;
};

inline constexpr std::array kEnvironmentTable{
    EnvironmentEntry{"VARLOK_DEBUG", Readers::Both,
                     "Set to anything: the program's debug messages go to standard error."},
    EnvironmentEntry{"VARLOK_TRACE", Readers::Both,
                     "1: every 64-byte report sent (\"> \") and received (\"< \") is written to "
                     "standard error, as two-digit hex."},
    EnvironmentEntry{"VARLOK_DOCUMENTS_DIR", Readers::Both,
                     "The folder that holds VARLOK/, in place of the XDG documents folder."},
    EnvironmentEntry{"VARLOK_INSTALL_DIR", Readers::Both,
                     "The folder that holds the installation content (skin/, the default "
                     "profiles, the cursor scripts, udev/), in place of the installed one."},
    EnvironmentEntry{"VARLOK_DESKTOP", Readers::Window,
                     "gnome, kde, x11 or none: the desktop that takes the pointer speed and wheel "
                     "lines, in place of the one found."},
    EnvironmentEntry{"VARLOK_INSTANCE_NAME", Readers::Window,
                     "The name of the single-instance rule, for scripted runs that must not meet "
                     "a running window."},
    EnvironmentEntry{"VARLOK_UDEV_RULES_DIR", Readers::Tool,
                     "Where udev-rule --install writes the rule, in place of /etc/udev/rules.d."},
    EnvironmentEntry{"XDG_RUNTIME_DIR", Readers::Both,
                     "Holds varlok/ with the owner locks and the virtual mouse's memory "
                     "(without it: /tmp/varlok-UID for the locks, $XDG_STATE_HOME/varlok for "
                     "the memory)."},
    EnvironmentEntry{"XDG_STATE_HOME", Readers::Both,
                     "Holds varlok/ with the virtual mouse's memory where XDG_RUNTIME_DIR is not "
                     "set (default ~/.local/state)."},
    EnvironmentEntry{"XDG_CONFIG_HOME", Readers::Both,
                     "Holds user-dirs.dirs, which names the documents folder, and for varlok "
                     "VARLOK/registry.ini and autostart/varlok.desktop (default ~/.config)."},
    EnvironmentEntry{"DBUS_SESSION_BUS_ADDRESS", Readers::Both,
                     "The session bus, on which the window serves and varlokctl finds it."},
    EnvironmentEntry{"DISPLAY, WAYLAND_DISPLAY", Readers::Window,
                     "Without either (and without QT_QPA_PLATFORM) the window is drawn "
                     "offscreen."},
};

// A file; the text may name the installed paths as {data}, {udev} and
// {interface}.
struct FileEntry {
    std::string_view path;
    Readers readers;
    std::string_view text;
};

inline constexpr std::array kFileTable{
    FileEntry{"~/Documents/VARLOK/", Readers::Both,
              "The data folder (in the XDG documents folder): main.ini (skin and language), "
              "ms/msProfile.ini and the profile files (.config, .led, .pro), ms/msMacro.ini and "
              "the macro files (.mac), the cursor scripts (.cur)."},
    FileEntry{"$XDG_CONFIG_HOME/VARLOK/registry.ini", Readers::Window,
              "The interface language chosen."},
    FileEntry{"$XDG_CONFIG_HOME/autostart/varlok.desktop", Readers::Window,
              "Written by the main menu's \"Start with the desktop\", removed when it is "
              "unchecked."},
    FileEntry{"$XDG_RUNTIME_DIR/varlok/", Readers::Both,
              "The owner locks (hidraw-0c45-7643-HASH.lock, sim.lock) that let one program at "
              "a time talk to the mouse, and virtual-mouse.state, the virtual mouse's memory."},
    FileEntry{"{data}/", Readers::Both,
              "The installation content: skin/ (layouts, pictures, language files), the "
              "default profiles msdevicedefault.config, msdengdefault.led and "
              "mskeydefault.pro, and the default cursor scripts name_1.cur to name_4.cur."},
    FileEntry{"{data}/kwin/varlok-foreground.js", Readers::Window,
              "The KWin script that varlok loads into KWin on KDE Plasma on Wayland, which "
              "tells it which program's window is in front; unloaded when varlok quits."},
    FileEntry{"{data}/gnome-shell/", Readers::Window,
              "varlok's GNOME Shell extension varlok-foreground@varlok.github.io, in 43/ for "
              "GNOME Shell 43 and 44 and in 45/ for GNOME Shell 45 and later, which tells "
              "varlok which program's window is in front once the user has copied it to "
              "~/.local/share/gnome-shell/extensions/ and enabled it."},
    FileEntry{"{udev}", Readers::Both,
              "The udev rule that lets the user at the seat open the mouse's configuration "
              "interface."},
    FileEntry{"{interface}", Readers::Both,
              "The description of the window's bus interface, io.github.varlok.Varlok1."},
};

}  // namespace varlok::tools::docs
