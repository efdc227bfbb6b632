#include "platform/desktopsession.h"

#include "platform/gnomedesktopsettings.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace varlok::platform {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// Whether the ':'-separated list holds the entry.
bool ListHolds(std::string_view list, std::string_view entry) {
    while (true) {
        std::size_t colon = list.find(':');
        if (EqualsIgnoringCase(list.substr(0, colon), entry)) {
            return true;
        }
        if (colon == std::string_view::npos) {
            return false;
        }
        list.remove_prefix(colon + 1);
    }
}

// XWayland may give a Wayland session a DISPLAY as well.
bool IsWaylandSession(const DesktopSession& session) {
    return session.hasWaylandDisplay || EqualsIgnoringCase(session.sessionType, "wayland");
}

}  // namespace

DesktopSession CurrentDesktopSession() {
    DesktopSession session;
    session.forcedDesktop = Environment("VARLOK_DESKTOP");
    session.currentDesktop = Environment("XDG_CURRENT_DESKTOP");
    session.sessionType = Environment("XDG_SESSION_TYPE");
    session.hasX11Display = !Environment("DISPLAY").empty();
    session.hasWaylandDisplay = !Environment("WAYLAND_DISPLAY").empty();
    session.gnomeSchemaInstalled = GnomeDesktopSettings::SchemaInstalled();
    session.swaySocket = Environment("SWAYSOCK");
    session.hyprlandSignature = Environment("HYPRLAND_INSTANCE_SIGNATURE");
    return session;
}

DesktopBackendKind ChooseDesktopBackend(const DesktopSession& session) {
    const std::string_view forced = session.forcedDesktop;
    if (EqualsIgnoringCase(forced, "gnome")) {
        return session.gnomeSchemaInstalled ? DesktopBackendKind::Gnome : DesktopBackendKind::None;
    }
    if (EqualsIgnoringCase(forced, "kde")) {
        return DesktopBackendKind::Kde;
    }
    if (EqualsIgnoringCase(forced, "x11")) {
        return DesktopBackendKind::X11;
    }
    if (EqualsIgnoringCase(forced, "none")) {
        return DesktopBackendKind::None;
    }
    if (ListHolds(session.currentDesktop, "GNOME") && session.gnomeSchemaInstalled) {
        return DesktopBackendKind::Gnome;
    }
    if (ListHolds(session.currentDesktop, "KDE")) {
        return DesktopBackendKind::Kde;
    }
    if (session.hasX11Display && !IsWaylandSession(session)) {
        return DesktopBackendKind::X11;
    }
    return DesktopBackendKind::None;
}

ForegroundBackendKind ChooseForegroundBackend(const DesktopSession& session) {
    using Kind = ForegroundBackendKind;
    struct Forced {
        std::string_view name;
        Kind kind;
    };
    // i3's IPC names no pids, but i3 keeps EWMH's _NET_ACTIVE_WINDOW.
    constexpr std::array<Forced, 7> kForced{{{"x11", Kind::X11},
                                             {"sway", Kind::Sway},
                                             {"i3", Kind::X11},
                                             {"hyprland", Kind::Hyprland},
                                             {"kde", Kind::KwinScript},
                                             {"gnome", Kind::GnomeShellExtension},
                                             {"none", Kind::None}}};
    for (const Forced& forced : kForced) {
        if (EqualsIgnoringCase(session.forcedDesktop, forced.name)) {
            return forced.kind;
        }
    }
    if (!session.swaySocket.empty()) {
        return Kind::Sway;
    }
    if (!session.hyprlandSignature.empty()) {
        return Kind::Hyprland;
    }
    if (IsWaylandSession(session)) {
        if (ListHolds(session.currentDesktop, "KDE")) {
            return Kind::KwinScript;
        }
        if (ListHolds(session.currentDesktop, "GNOME")) {
            return Kind::GnomeShellExtension;
        }
        return Kind::None;
    }
    return session.hasX11Display ? Kind::X11 : Kind::None;
}

}  // namespace varlok::platform
