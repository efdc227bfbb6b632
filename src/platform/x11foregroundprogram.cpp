#include "platform/x11foregroundprogram.h"

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/debugoutput.h"
#include "platform/processexecutable.h"
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

// Whether the server's X-Resource extension tells the pids of clients (from
// version 1.2 on). A request of an extension the server lacks would end the
// connection, so its presence is asked first.
bool HasClientPids(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (extension == nullptr || extension->present == 0) {
        return false;
    }
    const auto version = Own(
        xcb_res_query_version_reply(connection, xcb_res_query_version(connection, 1, 2), nullptr));
    return version && (version->server_major > 1 ||
                       (version->server_major == 1 && version->server_minor >= 2));
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
    m_connection.reset(connection);
    m_root = screens.data->root;
    m_activeWindowAtom = InternAtom(connection, "_NET_ACTIVE_WINDOW");
    m_pidAtom = InternAtom(connection, "_NET_WM_PID");
    m_hasResourceExtension = HasClientPids(connection);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    // Where the watch starts; Changed() signals what comes after.
    m_path.Begin(QueryFrontProgram().value_or(std::string()));
    // The replies above may have brought events into XCB's queue, where
    // poll() cannot see them: the watch takes those first.
    m_watch.Start(
        xcb_get_file_descriptor(connection), [this] { return TakeEvents(); }, true);
}

ForegroundSupport X11ForegroundProgram::Support() const {
    return m_connection != nullptr ? ForegroundSupport::Available : ForegroundSupport::NoX11Display;
}

bool X11ForegroundProgram::TakeEvents() {
    while (true) {
        // Events may wait in XCB's queue (read along with a reply), where
        // poll() cannot see them: take all queued ones before sleeping.
        bool activeChanged = false;
        while (const auto event = Own(xcb_poll_for_event(m_connection.get()))) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->atom ==
                    m_activeWindowAtom) {
                activeChanged = true;
            }
        }
        if (xcb_connection_has_error(m_connection.get()) != 0) {
            // The X server went away: the last program told stays.
            DebugOutput::Write("ForegroundProgram X11: the X connection was lost");
            return false;
        }
        if (!activeChanged) {
            return true;
        }
        m_path.Take(QueryFrontProgram());
    }
}

std::optional<std::string> X11ForegroundProgram::QueryFrontProgram() {
    const std::optional<std::uint32_t> window =
        ReadCardinal(m_root, m_activeWindowAtom, XCB_ATOM_WINDOW);
    if (!window || *window == XCB_WINDOW_NONE) {
        return std::string();
    }
    std::optional<std::uint32_t> pid = ReadCardinal(*window, m_pidAtom, XCB_ATOM_CARDINAL);
    if (!pid) {
        pid = ClientPid(*window);
    }
    return pid ? ExecutableOf(*pid) : std::string();
}

std::optional<std::uint32_t> X11ForegroundProgram::ClientPid(std::uint32_t window) {
    if (!m_hasResourceExtension) {
        return std::nullopt;
    }
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    xcb_generic_error_t* error = nullptr;
    const auto reply = Own(xcb_res_query_client_ids_reply(
        m_connection.get(), xcb_res_query_client_ids(m_connection.get(), 1, &spec), &error));
    std::free(error);  // a window destroyed meanwhile: no client to name
    if (!reply) {
        return std::nullopt;
    }
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(ids.data) >= 1) {
            return *xcb_res_client_id_value_value(ids.data);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> X11ForegroundProgram::ReadCardinal(std::uint32_t window,
                                                                std::uint32_t property,
                                                                std::uint32_t type) {
    xcb_generic_error_t* error = nullptr;
    const auto reply = Own(xcb_get_property_reply(
        m_connection.get(), xcb_get_property(m_connection.get(), 0, window, property, type, 0, 1),
        &error));
    std::free(error);  // a window destroyed meanwhile: as if it named nothing
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace varlok::platform
