#include "platform/desktopsession.h"

#include "platform/gnomedesktopsettings.h"

#include <algorithm>
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

}  // namespace

DesktopSession CurrentDesktopSession() {
    DesktopSession session;
    session.forcedDesktop = Environment("VARLOK_DESKTOP");
    session.currentDesktop = Environment("XDG_CURRENT_DESKTOP");
    session.sessionType = Environment("XDG_SESSION_TYPE");
    session.hasX11Display = !Environment("DISPLAY").empty();
    session.hasWaylandDisplay = !Environment("WAYLAND_DISPLAY").empty();
    session.gnomeSchemaInstalled = GnomeDesktopSettings::SchemaInstalled();
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
    const bool wayland =
        session.hasWaylandDisplay || EqualsIgnoringCase(session.sessionType, "wayland");
    if (session.hasX11Display && !wayland) {
        return DesktopBackendKind::X11;
    }
    return DesktopBackendKind::None;
}

}  // namespace varlok::platform
