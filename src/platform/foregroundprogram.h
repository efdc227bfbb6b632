#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/event.h"

namespace varlok::platform {

// Why the program in front cannot be told on this desktop.
enum class ForegroundSupport {
    Available,
    // No X server reachable (a Wayland session without X11 access, or no
    // desktop at all): Wayland lets no program see another's windows.
    NoX11Display,
};

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

// The backend for this session: X11 (EWMH) when an X server can be reached
// on displayName (empty: $DISPLAY), otherwise one that tells why not.
[[nodiscard]] std::unique_ptr<ForegroundProgram> CreateForegroundProgram(
    std::string_view displayName = {});

}  // namespace varlok::platform
