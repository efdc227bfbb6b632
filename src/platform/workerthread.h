#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "platform/event.h"

namespace varlok::platform {

// Owns one worker thread and its stop event (manual reset): starts the body
// on its own thread, asks it to stop, and knows when it has ended.
//
// The body receives the stop event and must return soon after it is
// signalled. A body that blocks where the event cannot reach it (a read
// without a timeout, say) is given a wake function, which RequestStop calls
// after signalling the event.
//
// Start and the destructor belong to the owning thread; RequestStop,
// HasEnded and Ended may be called from any thread.
class WorkerThread {
public:
    using Body = std::function<void(Event& stop)>;
    using Wake = std::function<void()>;

    WorkerThread() = default;
    // Requests a stop and joins the thread: the objects the body uses must
    // outlive this object.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Clears the stop event, then runs body on a new thread. The event is
    // cleared here rather than on the new thread, so that a stop requested
    // right after Start is never lost. False (and nothing started) while a
    // thread started earlier has not been joined. Call it before other
    // threads may call RequestStop. name, when given, names the thread for
    // the system's tools (ps, top, /proc): at most 15 bytes are kept.
    [[nodiscard]] bool Start(Body body, Wake wake = {}, std::string_view name = {});

    // Signals the stop event, then calls the wake function (on the calling
    // thread). Calling it again, or on a thread that has ended or never
    // started, does no harm.
    void RequestStop();

    // Set once the body has returned; also set while no thread was started.
    [[nodiscard]] Event& Ended() { return m_ended; }
    [[nodiscard]] bool HasEnded() const { return m_ended.IsSet(); }

    // Joins the thread when its body has returned; false while it still runs.
    bool JoinIfEnded();

private:
    Event m_stop{true, false};
    Event m_ended{true, true};
    Wake m_wake;
    std::thread m_thread;
};

// Names the calling thread for the system's tools (at most 15 bytes kept).
void NameThisThread(std::string_view name);

// Asks the scheduler to give the calling thread time slices of this length
// (at its present nice value; Linux 6.12 and later, for everyone, without
// privileges): a thread that wakes for a moment of work at set times (the
// lighting worker) then runs as soon as it wakes, before CPU-bound programs
// beside it finish their longer slices. False where the system offers no
// such request; the thread then keeps the usual slices.
bool RequestShortTimeSlices(std::chrono::microseconds slice);

enum class StopOutcome {
    AllEnded,
    TimedOut,
};

// Requests every worker to stop, then waits for all of them together for at
// most `deadline`, and joins those that ended. On TimedOut the others are
// left running; their destructors join them.
[[nodiscard]] StopOutcome StopWorkers(std::span<WorkerThread* const> workers,
                                      std::chrono::milliseconds deadline);

}  // namespace varlok::platform
