#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foregroundpath.h"
#include "platform/foregroundprogram.h"
#include "platform/socketwatch.h"
#include "platform/xcbreply.h"

namespace varlok::platform {

// The program in front on an X11 desktop: the window manager names the
// active window in the root window's _NET_ACTIVE_WINDOW, the window names
// its process in _NET_WM_PID (a window without it, as Xt- and Motif-era
// clients make, is a local client's whose pid the X-Resource extension
// tells), and /proc/PID/exe names the program. A thread of its own sleeps on
// the X connection until the root's property changes, so nothing runs while
// the window in front stays where it is.
class X11ForegroundProgram : public ForegroundProgram {
public:
    // Connects to displayName (empty: $DISPLAY). Support() tells whether that
    // worked.
    explicit X11ForegroundProgram(std::string_view displayName = {});
    ~X11ForegroundProgram() override = default;
    X11ForegroundProgram(const X11ForegroundProgram&) = delete;
    X11ForegroundProgram& operator=(const X11ForegroundProgram&) = delete;

    [[nodiscard]] ForegroundSupport Support() const override;
    [[nodiscard]] std::string Path() const override { return m_path.Get(); }
    [[nodiscard]] Event& Changed() override { return m_path.Changed(); }

    // The executable of a process, from /proc; nullopt when it cannot be
    // read (gone, or a process of another user).
    [[nodiscard]] static std::optional<std::string> ExecutableOf(std::uint32_t pid);

private:
    // X connection thread: takes the queued events; false once the X server
    // went away.
    bool TakeEvents();
    // The program of the window in front: "" for no window or a window that
    // names no process, nullopt when it cannot be told.
    [[nodiscard]] std::optional<std::string> QueryFrontProgram();
    [[nodiscard]] std::optional<std::uint32_t> ReadCardinal(std::uint32_t window,
                                                            std::uint32_t property,
                                                            std::uint32_t type);
    // The pid of the local client that made window, from the X-Resource
    // extension; nothing when the server does not know it (a remote client,
    // a server without the extension).
    [[nodiscard]] std::optional<std::uint32_t> ClientPid(std::uint32_t window);

    XcbConnection m_connection;
    std::uint32_t m_root = 0;
    std::uint32_t m_activeWindowAtom = 0;
    std::uint32_t m_pidAtom = 0;
    bool m_hasResourceExtension = false;
    ForegroundPath m_path;
    // Last: stops its thread before the connection goes.
    SocketWatch m_watch;
};

}  // namespace varlok::platform
