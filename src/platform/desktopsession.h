#pragma once

#include <string>
#include <string_view>

namespace varlok::platform {

enum class DesktopBackendKind { Gnome, Kde, X11, None };

// What the choice of a DesktopSettings backend depends on, taken apart from the
// environment so that the choice itself can be tested for any session.
struct DesktopSession {
    std::string forcedDesktop;          // VARLOK_DESKTOP: "gnome", "kde", "x11", "none" or empty
    std::string currentDesktop;         // XDG_CURRENT_DESKTOP, a ':'-separated list
    std::string sessionType;            // XDG_SESSION_TYPE ("x11", "wayland", ...)
    bool hasX11Display = false;         // DISPLAY is set
    bool hasWaylandDisplay = false;     // WAYLAND_DISPLAY is set
    bool gnomeSchemaInstalled = false;  // GSettings knows org.gnome.desktop.peripherals.mouse
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

}  // namespace varlok::platform
