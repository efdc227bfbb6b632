#pragma once

// The Qt side of WindowHandle: one process-wide hub that owns the registry of
// message targets, the cross-thread message queue and the window timers, and
// delivers everything on the UI thread (the thread of the QCoreApplication).
//
// Worker threads never touch a Qt object: they append to a queue guarded by a
// standard mutex and wake the UI thread through a file descriptor (an eventfd
// on Linux) that a QSocketNotifier watches. The notifier only posts a drain
// event to the hub, so the queue is also drained by nested event loops
// (modal windows, menus) that run inside a message handler.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include <QObject>

#include "ui/uitypes.h"

namespace varlok::ui {
class MessageTarget;
}

namespace varlok::ui::qt {

struct HubState;
struct QueuedItem;

class MessageHub : public QObject {
public:
    // Target ids are never reused within a process; 0 is no target.
    // Register needs a QCoreApplication and the UI thread; otherwise it
    // returns 0.
    static std::uint64_t Register(MessageTarget& target);
    // Any thread. Queued messages for the target are dropped and waiting
    // senders get 0; its timers stop.
    static void Unregister(std::uint64_t target);
    [[nodiscard]] static bool IsRegistered(std::uint64_t target);

    static bool Post(std::uint64_t target, MessageId message, WParam wParam, LParam lParam);
    static LResult Send(std::uint64_t target, MessageId message, WParam wParam, LParam lParam);
    static bool SetTimer(std::uint64_t target, std::uintptr_t timerId, unsigned periodMs);
    static bool KillTimer(std::uint64_t target, std::uintptr_t timerId);

    static MessageId RegisterMessageName(std::string_view name);
    static int RunLoop();
    static void PostQuit(int exitCode);

    // True on the thread that created the hub (the UI thread) once it exists.
    [[nodiscard]] static bool IsUiThread();

    // Test hooks. WaitForQueued blocks until at least count items (messages
    // and timer requests from other threads) wait for the UI thread, or the
    // timeout passes. HasTimer tells whether a window timer is running.
    [[nodiscard]] static bool WaitForQueued(std::size_t count, std::chrono::milliseconds timeout);
    [[nodiscard]] static bool HasTimer(std::uint64_t target, std::uintptr_t timerId);
    [[nodiscard]] static std::size_t TimerCount();

    ~MessageHub() override;
    MessageHub(const MessageHub&) = delete;
    MessageHub& operator=(const MessageHub&) = delete;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit MessageHub(std::shared_ptr<HubState> state);
    static MessageHub* EnsureHub(HubState& state);
    static void SignalWake(HubState& state);
    void OnWake();
    void ScheduleDrain();
    void Drain();
    static bool RequestTimerChange(const QueuedItem& request);
    void ApplyTimerChange(const QueuedItem& request);
    void ApplyTimer(std::uint64_t target, std::uintptr_t timerId, unsigned periodMs);
    void StopTimer(std::uint64_t target, std::uintptr_t timerId);
    void StopTimersOf(std::uint64_t target);

    std::shared_ptr<HubState> m_state;
    bool m_drainPosted = false;
};

}  // namespace varlok::ui::qt
