#pragma once

// A process-wide handle to a window, usable from any thread: post and send
// messages, start and stop timers. It stands in for an HWND that worker
// threads keep (the main window's MainWindowHandle). A handle whose window is
// gone is inert: posts are dropped, sends return 0, timers do nothing.

#include <cstdint>
#include <string_view>

#include "ui/uitypes.h"

namespace varlok::ui {

class MessageTarget;

class WindowHandle {
public:
    WindowHandle() = default;

    // Registers target with the message hub (UI thread only) and returns its
    // handle. The target must call Unregister before it is destroyed.
    static WindowHandle Register(MessageTarget& target);
    static void Unregister(const WindowHandle& handle);

    [[nodiscard]] bool IsValid() const;
    [[nodiscard]] std::uint64_t Id() const { return m_id; }

    // Queues the message for the UI thread and returns at once. Any thread.
    bool Post(MessageId message, WParam wParam = 0, LParam lParam = 0) const;
    // Delivers the message on the UI thread and waits for its result. From
    // the UI thread it is a direct call. Works while the UI thread runs a
    // modal loop. Never call it while holding a lock the UI thread may wait for.
    LResult Send(MessageId message, WParam wParam = 0, LParam lParam = 0) const;
    // Starts (or restarts, replacing the period) timer id: WM_TIMER with
    // wParam = id every period ms until KillTimer. Any thread.
    bool SetTimer(std::uintptr_t id, unsigned periodMs) const;
    bool KillTimer(std::uintptr_t id) const;

    friend bool operator==(const WindowHandle&, const WindowHandle&) = default;

private:
    explicit WindowHandle(std::uint64_t id) : m_id(id) {}
    std::uint64_t m_id = 0;
};

// Process-wide message id for a name, in 0xC000-0xFFFF; the same name always
// yields the same id (RegisterWindowMessage).
MessageId RegisterWindowMessage(std::string_view name);

// Runs the UI thread's message loop until PostQuitMessage; returns its code.
// Without a running loop, the next RunMessageLoop returns exitCode at once.
// Any thread; a running modal loop ends first (ModalLoop::Run returns 0).
int RunMessageLoop();
void PostQuitMessage(int exitCode);

// True on the UI thread once the first window was registered or the message
// loop started there.
[[nodiscard]] bool IsUiThread();

}  // namespace varlok::ui
