#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/filedescriptor.h"
#include "platform/inputcapture.h"

struct xcb_connection_t;

namespace varlok::platform {

// The capture of an X11 desktop. A keyboard capture is an active grab of the
// keyboard on the root window: every key typed comes to us and to no other
// client. The lock keys keep working, since the server keeps their state
// whoever receives the key. Mouse buttons are watched, not taken: XInput 2
// raw button events reach us whatever window is under the pointer and
// whoever grabbed it. A thread of its own reads the events and calls the
// sinks there.
//
// Start, Stop and the destructor belong to one thread (the UI thread).
class X11InputCapture : public InputCapture {
public:
    // Null when no X server answers on displayName (empty: $DISPLAY) or it
    // lacks XInput 2.1 or XKB.
    [[nodiscard]] static std::unique_ptr<X11InputCapture> Open(std::string_view displayName = {});
    ~X11InputCapture() override;
    X11InputCapture(const X11InputCapture&) = delete;
    X11InputCapture& operator=(const X11InputCapture&) = delete;

    [[nodiscard]] CaptureReach Reach() const override { return CaptureReach::Desktop; }
    // False, with nothing captured, when another client holds a keyboard
    // grab (or the server refuses the button events).
    bool Start(bool keyboard, bool mouse, Sinks sinks) override;
    // Waits for a sink call in flight: sinks must never wait for the thread
    // that calls Stop.
    void Stop() override;
    [[nodiscard]] bool IsRunning() const override { return m_running.load(); }

private:
    X11InputCapture(xcb_connection_t* connection, std::uint32_t root, std::uint8_t inputOpcode);
    bool GrabKeyboard();
    bool SelectButtons(bool wanted);
    void ReadPointerMapping();
    void DropQueuedEvents();
    // The event thread.
    void Read(const Sinks& sinks);
    [[nodiscard]] std::uint32_t LogicalButton(std::uint32_t physical) const;

    xcb_connection_t* m_connection;
    const std::uint32_t m_root;
    const std::uint8_t m_inputOpcode;
    FileDescriptor m_stopFd;
    std::thread m_thread;
    std::atomic<bool> m_running = false;
    bool m_grabbed = false;
    bool m_buttonsSelected = false;
    // Physical button → logical button (a left-handed mapping swaps 1 and
    // 3); read at each Start, read by the event thread while it runs.
    std::array<std::uint8_t, 32> m_buttonMap{};
};

}  // namespace varlok::platform
