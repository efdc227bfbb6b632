#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/event.h"

namespace varlok::platform {

// Whether, and how, the program in front can be told on this desktop, and
// why not where it cannot.
enum class ForegroundSupport {
    // The backend watches the desktop itself.
    Available,
    // A helper inside the compositor (our KWin script, our GNOME Shell
    // extension) reports it through the bus service; the backend's own
    // Path() stays empty.
    ThroughHelper,
    // No X server reachable and no desktop we know to ask.
    NoX11Display,
    // A Wayland compositor that tells no program which window is in front.
    UnsupportedCompositor,
    // GNOME Shell on Wayland without our extension enabled; the user has to
    // enable it (it is never enabled for them).
    GnomeExtensionMissing,
    // KDE Plasma on Wayland whose KWin did not run our script.
    KwinScriptNotLoaded,
    // The compositor's socket could not be reached (Sway, Hyprland).
    CompositorUnreachable,
};

// Whether links can follow the program in front with this support.
[[nodiscard]] constexpr bool CanFollow(ForegroundSupport support) {
    return support == ForegroundSupport::Available || support == ForegroundSupport::ThroughHelper;
}

// The program whose window is in front, for profiles that follow it. A
// backend watches the desktop itself and signals Changed() when the program
// in front changed, so that a watcher waits instead of polling.
//
// Path() and Changed() may be used from any thread.
class ForegroundProgram {
public:
    virtual ~ForegroundProgram() = default;

    [[nodiscard]] virtual ForegroundSupport Support() const = 0;

    // The full path of the executable whose window is in front; empty when
    // no window is in front, or when the backend is not available. When the
    // program of the window in front cannot be inspected (a process of
    // another user), the last path that could be told stays.
    [[nodiscard]] virtual std::string Path() const = 0;

    // Auto-reset: signalled each time Path() changed.
    [[nodiscard]] virtual Event& Changed() = 0;
};

// The backend for this process's session (see ChooseForegroundBackend),
// or one that tells why there is none. Never null; the choice goes to the
// debug output.
[[nodiscard]] std::unique_ptr<ForegroundProgram> CreateForegroundProgram();

}  // namespace varlok::platform
