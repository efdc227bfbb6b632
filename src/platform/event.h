#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace varlok::platform {

namespace detail {
struct EventWaiter;
}

// A signalled/not-signalled flag that threads wait on, with the manual-reset and
// auto-reset behaviour of a Windows event. All members are thread-safe.
class Event {
public:
    // Waits without a deadline when passed as a timeout.
    static constexpr std::chrono::milliseconds kInfinite = std::chrono::milliseconds::max();

    // manualReset: stays signalled until Reset(); otherwise the first wait that sees
    // the signal consumes it, so one Set() releases exactly one waiter.
    Event(bool manualReset, bool initiallySignalled);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();

    // True when the event was signalled within the timeout (and, for an auto-reset
    // event, this wait consumed it); false on timeout.
    [[nodiscard]] bool Wait(std::chrono::milliseconds timeout = kInfinite);
    // The same with a deadline on the steady clock: a thread that keeps a
    // schedule waits for its next moment without the drift of a timeout
    // counted from each wake-up.
    [[nodiscard]] bool WaitUntil(std::chrono::steady_clock::time_point deadline);

    // Looks at the state without consuming it.
    [[nodiscard]] bool IsSet() const;

private:
    friend class EventWaitList;

    // Called with m_mutex held: true if signalled, consuming an auto-reset signal.
    bool TryConsumeLocked();

    const bool m_manualReset;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled = false;
    std::vector<detail::EventWaiter*> m_waiters;
};

// Waits until any of the events is signalled. Returns the index of the signalled
// event (the lowest index when several are; an auto-reset event is consumed), or
// std::nullopt when the timeout passed. An empty list times out at once.
[[nodiscard]] std::optional<std::size_t> WaitAny(std::span<Event* const> events,
                                                 std::chrono::milliseconds timeout);

// Two-event form: 0 or 1 for the event that fired, std::nullopt on timeout.
[[nodiscard]] std::optional<std::size_t> WaitAny(Event& first, Event& second,
                                                 std::chrono::milliseconds timeout);

// Waits until all events are signalled at the same moment; auto-reset events are
// consumed together only then. False on timeout (nothing consumed). An empty list
// is satisfied at once; an event listed twice counts once.
[[nodiscard]] bool WaitAll(std::span<Event* const> events, std::chrono::milliseconds timeout);

}  // namespace varlok::platform
