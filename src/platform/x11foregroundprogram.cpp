#include "platform/x11foregroundprogram.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/debugoutput.h"
#include "platform/processexecutable.h"
#include "platform/workerthread.h"
#include "platform/xcbreply.h"

namespace varlok::platform {

namespace {

std::uint32_t InternAtom(xcb_connection_t* connection, std::string_view name) {
    const auto reply = Own(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

}  // namespace

std::optional<std::string> X11ForegroundProgram::ExecutableOf(std::uint32_t pid) {
    return ProcessExecutable(pid);
}

X11ForegroundProgram::X11ForegroundProgram(std::string_view displayName) {
    const std::string name(displayName);
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(name.empty() ? nullptr : name.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        DebugOutput::Write("ForegroundProgram X11: no X display to watch");
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_activeWindowAtom = InternAtom(connection, "_NET_ACTIVE_WINDOW");
    m_pidAtom = InternAtom(connection, "_NET_WM_PID");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    // Where the watch starts; Changed() signals what comes after.
    m_path = QueryFrontProgram().value_or(std::string());
    m_stopFd.Reset(::eventfd(0, EFD_CLOEXEC));
    m_thread = std::thread([this] {
        NameThisThread("x11-foreground");
        Watch();
    });
}

X11ForegroundProgram::~X11ForegroundProgram() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopFd.Get(), &one, sizeof one);
        m_thread.join();
    }
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

ForegroundSupport X11ForegroundProgram::Support() const {
    return m_connection != nullptr ? ForegroundSupport::Available : ForegroundSupport::NoX11Display;
}

std::string X11ForegroundProgram::Path() const {
    const std::lock_guard lock(m_mutex);
    return m_path;
}

void X11ForegroundProgram::Watch() {
    std::array<pollfd, 2> watched{
        {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {m_stopFd.Get(), POLLIN, 0}}};
    while (true) {
        // Events may wait in XCB's queue (read along with a reply), where
        // poll() cannot see them: take all queued ones before sleeping.
        bool activeChanged = false;
        while (const auto event = Own(xcb_poll_for_event(m_connection))) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->atom ==
                    m_activeWindowAtom) {
                activeChanged = true;
            }
        }
        if (xcb_connection_has_error(m_connection) != 0) {
            // The X server went away: the last program told stays.
            DebugOutput::Write("ForegroundProgram X11: the X connection was lost");
            return;
        }
        if (activeChanged) {
            Refresh();
            continue;
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            continue;  // EINTR
        }
        if (watched[1].revents != 0) {
            return;
        }
    }
}

void X11ForegroundProgram::Refresh() {
    std::optional<std::string> path = QueryFrontProgram();
    if (!path) {
        return;  // keep the last program that could be told
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_path == *path) {
            return;
        }
        m_path = std::move(*path);
    }
    m_changed.Set();
}

std::optional<std::string> X11ForegroundProgram::QueryFrontProgram() {
    const std::optional<std::uint32_t> window =
        ReadCardinal(m_root, m_activeWindowAtom, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE) {
        return std::string();
    }
    const std::optional<std::uint32_t> pid = ReadCardinal(*window, m_pidAtom, XCB_ATOM_CARDINAL);
    if (!pid) {
        return std::string();
    }
    return ExecutableOf(*pid);
}

std::optional<std::uint32_t> X11ForegroundProgram::ReadCardinal(std::uint32_t window,
                                                                std::uint32_t property,
                                                                std::uint32_t type) {
    xcb_generic_error_t* error = nullptr;
    const auto reply = Own(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1), &error));
    std::free(error);  // a window destroyed meanwhile: as if it named nothing
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

std::unique_ptr<ForegroundProgram> CreateForegroundProgram(std::string_view displayName) {
    return std::make_unique<X11ForegroundProgram>(displayName);
}

}  // namespace varlok::platform
