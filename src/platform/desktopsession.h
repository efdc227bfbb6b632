#pragma once

#include <string>
#include <string_view>

namespace varlok::platform {

enum class DesktopBackendKind { Gnome, Kde, X11, None };

// Where the program in front can be learnt on a session: the X server, a
// compositor's own socket (Sway's IPC, Hyprland's event socket), or a helper
// that runs inside the compositor and reports through our bus service (a KWin
// script, a GNOME Shell extension).
enum class ForegroundBackendKind { X11, Sway, Hyprland, KwinScript, GnomeShellExtension, None };

// What the choice of a DesktopSettings backend depends on, taken apart from the
// environment so that the choice itself can be tested for any session.
struct DesktopSession {
    std::string forcedDesktop;          // VARLOK_DESKTOP: "gnome", "kde", "x11", "none" or empty
    std::string currentDesktop;         // XDG_CURRENT_DESKTOP, a ':'-separated list
    std::string sessionType;            // XDG_SESSION_TYPE ("x11", "wayland", ...)
    bool hasX11Display = false;         // DISPLAY is set
    bool hasWaylandDisplay = false;     // WAYLAND_DISPLAY is set
    bool gnomeSchemaInstalled = false;  // GSettings knows org.gnome.desktop.peripherals.mouse
    std::string swaySocket;             // SWAYSOCK: Sway's IPC socket
    std::string hyprlandSignature;      // HYPRLAND_INSTANCE_SIGNATURE
};

// The session of this process, from its environment and the installed GSettings
// schemas. Thread-safe.
[[nodiscard]] DesktopSession CurrentDesktopSession();

// The backend for a session:
//  - VARLOK_DESKTOP, when it names one (any case), wins; other values are
//    ignored. "gnome" without the GNOME schema gives None, since that backend
//    could only fail;
//  - GNOME (an XDG_CURRENT_DESKTOP entry "GNOME", e.g. "ubuntu:GNOME") with its
//    schema installed;
//  - KDE (an entry "KDE"), Plasma's files are written whatever the display server;
//  - X11 when DISPLAY is set and the session is not a Wayland one (XWayland's
//    pointer control does not move the real pointer);
//  - None otherwise.
// Entries of XDG_CURRENT_DESKTOP compare without regard to ASCII case.
[[nodiscard]] DesktopBackendKind ChooseDesktopBackend(const DesktopSession& session);

// Where the program in front is learnt on a session:
//  - VARLOK_DESKTOP, when it names one (any case): "x11" (also "i3", whose
//    IPC names no pids), "sway", "hyprland", "kde", "gnome" or "none"; other
//    values are ignored;
//  - Sway when SWAYSOCK is set, Hyprland when HYPRLAND_INSTANCE_SIGNATURE is
//    (their sockets see XWayland's windows as well as the others);
//  - on a Wayland session, KWin's script for KDE and the GNOME Shell
//    extension for GNOME (XWayland shows X11 only its own windows); None for
//    any other compositor;
//  - X11 when DISPLAY is set (i3 and every EWMH window manager);
//  - None otherwise.
[[nodiscard]] ForegroundBackendKind ChooseForegroundBackend(const DesktopSession& session);

}  // namespace varlok::platform
