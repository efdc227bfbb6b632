#include "platform/x11inputcapture.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>
// xkb.h names a field "explicit".
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_field
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include <cstdlib>
#include <numeric>
#include <optional>
#include <string>
#include <utility>

#include "platform/debugoutput.h"
#include "platform/keycodetable.h"
#include "platform/mousebuttonmessages.h"
#include "platform/workerthread.h"
#include "platform/xcbreply.h"

namespace varlok::platform {

namespace {

constexpr std::uint8_t kEventTypeMask = 0x7F;

std::uint8_t TypeOf(const xcb_generic_event_t& event) {
    return event.response_type & kEventTypeMask;
}

bool IsKeyEvent(const xcb_generic_event_t& event) {
    return TypeOf(event) == XCB_KEY_PRESS || TypeOf(event) == XCB_KEY_RELEASE;
}

// Turns a key event into what the sinks get.
std::optional<CapturedKey> CapturedKeyOfEvent(const xcb_generic_event_t& event) {
    // Press and release events share one layout.
    const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
    return CapturedKeyOf(key.detail, {.pressed = TypeOf(event) == XCB_KEY_PRESS,
                                      .altHeld = (key.state & XCB_MOD_MASK_1) != 0,
                                      .controlHeld = (key.state & XCB_MOD_MASK_CONTROL) != 0});
}

// Whether next is the press an X server without detectable auto-repeat
// sends right behind the release of a key held down.
bool IsRepeatOf(const xcb_generic_event_t& release, const xcb_generic_event_t* next) {
    if (next == nullptr || TypeOf(*next) != XCB_KEY_PRESS) {
        return false;
    }
    const auto& up = reinterpret_cast<const xcb_key_release_event_t&>(release);
    const auto& down = reinterpret_cast<const xcb_key_press_event_t&>(*next);
    return up.detail == down.detail && up.time == down.time;
}

// An XInput 2 event mask for one device, with one word of bits.
struct ButtonEventMask {
    xcb_input_event_mask_t head{XCB_INPUT_DEVICE_ALL_MASTER, 1};
    std::uint32_t bits = 0;
};

}  // namespace

std::unique_ptr<X11InputCapture> X11InputCapture::Open(std::string_view displayName) {
    const std::string name(displayName);
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(name.empty() ? nullptr : name.c_str(), &screenNumber);
    const auto refuse = [connection](const char* why) {
        DebugOutput::Write(std::string("InputCapture X11: ") + why);
        xcb_disconnect(connection);
        return nullptr;
    };
    if (xcb_connection_has_error(connection) != 0) {
        return refuse("no X display");
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return refuse("no screen");
    }
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(connection, &xcb_input_id);
    if (input == nullptr || input->present == 0) {
        return refuse("the X server has no XInput extension");
    }
    // Since 2.1 raw events reach every client that asks, grabs or not.
    const auto version = Own(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 1)) {
        return refuse("the X server has no XInput 2.1");
    }
    const auto xkb = Own(xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    if (!xkb || xkb->supported == 0) {
        return refuse("the X server has no XKB");
    }
    // A key held down then repeats as presses alone, as it does on Windows.
    // Where the server cannot, Read drops the release of each release/press
    // pair.
    const std::uint32_t detectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    free(
        xcb_xkb_per_client_flags_reply(connection,
                                       xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                                                detectable, detectable, 0, 0, 0),
                                       nullptr));
    return std::unique_ptr<X11InputCapture>(
        new X11InputCapture(connection, screens.data->root, input->major_opcode));
}

X11InputCapture::X11InputCapture(xcb_connection_t* connection, std::uint32_t root,
                                 std::uint8_t inputOpcode)
    : m_connection(connection),
      m_root(root),
      m_inputOpcode(inputOpcode),
      m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

X11InputCapture::~X11InputCapture() {
    Stop();
    xcb_disconnect(m_connection);
}

bool X11InputCapture::Start(bool keyboard, bool mouse, Sinks sinks) {
    Stop();
    if (!keyboard && !mouse) {
        return true;
    }
    if (keyboard && !GrabKeyboard()) {
        return false;
    }
    if (mouse && !SelectButtons(true)) {
        Stop();
        return false;
    }
    ReadPointerMapping();
    m_running = true;
    m_thread = std::thread([this, sinks = std::move(sinks)] {
        NameThisThread("input-capture");
        Read(sinks);
    });
    return true;
}

void X11InputCapture::Stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopFd.Get(), &one, sizeof one);
        m_thread.join();
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(m_stopFd.Get(), &count, sizeof count);
    }
    if (m_grabbed) {
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        m_grabbed = false;
    }
    if (m_buttonsSelected) {
        static_cast<void>(SelectButtons(false));
    }
    DropQueuedEvents();
    m_running = false;
}

bool X11InputCapture::GrabKeyboard() {
    // Not owner events: every key is reported to us, none to the window
    // that has the focus.
    const auto reply =
        Own(xcb_grab_keyboard_reply(m_connection,
                                    xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr));
    if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) {
        DebugOutput::Write("InputCapture X11: the keyboard is grabbed by another program");
        return false;
    }
    m_grabbed = true;
    return true;
}

bool X11InputCapture::SelectButtons(bool wanted) {
    ButtonEventMask mask;
    if (wanted) {
        mask.bits =
            XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    }
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.head));
    m_buttonsSelected = wanted && error == nullptr;
    if (error != nullptr) {
        free(error);
        DebugOutput::Write("InputCapture X11: the X server refused the button events");
        return false;
    }
    return true;
}

void X11InputCapture::ReadPointerMapping() {
    std::iota(m_buttonMap.begin(), m_buttonMap.end(), std::uint8_t{0});
    const auto reply = Own(xcb_get_pointer_mapping_reply(
        m_connection, xcb_get_pointer_mapping(m_connection), nullptr));
    if (!reply) {
        return;
    }
    const std::uint8_t* map = xcb_get_pointer_mapping_map(reply.get());
    const int length = xcb_get_pointer_mapping_map_length(reply.get());
    for (int i = 0; i < length && i + 1 < static_cast<int>(m_buttonMap.size()); ++i) {
        m_buttonMap[static_cast<std::size_t>(i + 1)] = map[i];
    }
}

std::uint32_t X11InputCapture::LogicalButton(std::uint32_t physical) const {
    return physical < m_buttonMap.size() ? m_buttonMap[physical] : physical;
}

void X11InputCapture::DropQueuedEvents() {
    // A round trip brings in whatever the server sent before the grab ended.
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    while (const auto event = Own(xcb_poll_for_event(m_connection))) {
    }
}

void X11InputCapture::Read(const Sinks& sinks) {
    std::array<pollfd, 2> watched{
        {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {m_stopFd.Get(), POLLIN, 0}}};
    XcbReply<xcb_generic_event_t> next(nullptr, &std::free);
    while (true) {
        // Events may wait in XCB's queue, where poll() cannot see them.
        while (auto event = next ? std::move(next) : Own(xcb_poll_for_event(m_connection))) {
            if (IsKeyEvent(*event)) {
                if (TypeOf(*event) == XCB_KEY_RELEASE) {
                    next = Own(xcb_poll_for_event(m_connection));
                    if (IsRepeatOf(*event, next.get())) {
                        continue;
                    }
                }
                if (const auto key = CapturedKeyOfEvent(*event); key && sinks.key) {
                    sinks.key(*key);
                }
            } else if (TypeOf(*event) == XCB_GE_GENERIC) {
                const auto& raw =
                    reinterpret_cast<const xcb_input_raw_button_press_event_t&>(*event);
                const bool press = raw.event_type == XCB_INPUT_RAW_BUTTON_PRESS;
                if (raw.extension == m_inputOpcode &&
                    (press || raw.event_type == XCB_INPUT_RAW_BUTTON_RELEASE)) {
                    if (const auto message = MouseMessageOfButton(LogicalButton(raw.detail), press);
                        message && sinks.mouseButton) {
                        sinks.mouseButton(*message);
                    }
                }
            }
        }
        if (xcb_connection_has_error(m_connection) != 0) {
            DebugOutput::Write("InputCapture X11: the X connection was lost");
            m_running = false;
            return;
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            continue;  // EINTR
        }
        if (watched[1].revents != 0) {
            return;
        }
    }
}

}  // namespace varlok::platform
