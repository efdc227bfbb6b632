#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/filedescriptor.h"
#include "platform/foregroundprogram.h"

struct xcb_connection_t;

namespace varlok::platform {

// The program in front on an X11 desktop: the window manager names the
// active window in the root window's _NET_ACTIVE_WINDOW, the window names
// its process in _NET_WM_PID, and /proc/PID/exe names the program. A thread
// of its own sleeps on the X connection until the root's property changes,
// so nothing runs while the window in front stays where it is.
class X11ForegroundProgram : public ForegroundProgram {
public:
    // Connects to displayName (empty: $DISPLAY). Support() tells whether that
    // worked.
    explicit X11ForegroundProgram(std::string_view displayName = {});
    ~X11ForegroundProgram() override;
    X11ForegroundProgram(const X11ForegroundProgram&) = delete;
    X11ForegroundProgram& operator=(const X11ForegroundProgram&) = delete;

    [[nodiscard]] ForegroundSupport Support() const override;
    [[nodiscard]] std::string Path() const override;
    [[nodiscard]] Event& Changed() override { return m_changed; }

    // The executable of a process, from /proc; nullopt when it cannot be
    // read (gone, or a process of another user).
    [[nodiscard]] static std::optional<std::string> ExecutableOf(std::uint32_t pid);

private:
    void Watch();
    // Reads the window in front and its program again; X connection thread
    // (or the constructor, before the thread starts).
    void Refresh();
    // The program of the window in front: "" for no window or a window that
    // names no process, nullopt when it cannot be told.
    [[nodiscard]] std::optional<std::string> QueryFrontProgram();
    [[nodiscard]] std::optional<std::uint32_t> ReadCardinal(std::uint32_t window,
                                                            std::uint32_t property,
                                                            std::uint32_t type);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint32_t m_activeWindowAtom = 0;
    std::uint32_t m_pidAtom = 0;
    FileDescriptor m_stopFd;
    mutable std::mutex m_mutex;
    std::string m_path;
    Event m_changed{false, false};
    std::thread m_thread;
};

}  // namespace varlok::platform
