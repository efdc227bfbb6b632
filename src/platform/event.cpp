#include "platform/event.h"

#include <algorithm>
#include <functional>

namespace varlok::platform {

namespace detail {
// One thread waiting on several events; every event it is registered with wakes it.
struct EventWaiter {
    std::mutex mutex;
    std::condition_variable wake;
    bool notified = false;
};
}  // namespace detail

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(std::chrono::milliseconds timeout) {
    return Clock::now() + std::max(timeout, std::chrono::milliseconds::zero());
}

}  // namespace

// Registers one waiter with a set of events for the duration of a multi-event wait.
class EventWaitList {
public:
    EventWaitList(std::span<Event* const> events, detail::EventWaiter& waiter)
        : m_events(events), m_waiter(waiter) {
        for (Event* event : m_events) {
            std::lock_guard lock(event->m_mutex);
            event->m_waiters.push_back(&m_waiter);
        }
    }

    ~EventWaitList() {
        for (Event* event : m_events) {
            std::lock_guard lock(event->m_mutex);
            auto& waiters = event->m_waiters;
            waiters.erase(std::find(waiters.begin(), waiters.end(), &m_waiter));
        }
    }

    EventWaitList(const EventWaitList&) = delete;
    EventWaitList& operator=(const EventWaitList&) = delete;

    std::optional<std::size_t> TryAny() {
        for (std::size_t i = 0; i < m_events.size(); ++i) {
            std::lock_guard lock(m_events[i]->m_mutex);
            if (m_events[i]->TryConsumeLocked()) {
                return i;
            }
        }
        return std::nullopt;
    }

    // Locks every event (in address order, so two WaitAll calls cannot deadlock)
    // and consumes them only if all are signalled.
    bool TryAll() {
        std::vector<Event*> ordered(m_events.begin(), m_events.end());
        std::sort(ordered.begin(), ordered.end(), std::less<Event*>());
        ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
        std::vector<std::unique_lock<std::mutex>> locks;
        locks.reserve(ordered.size());
        for (Event* event : ordered) {
            locks.emplace_back(event->m_mutex);
        }
        bool all = std::all_of(ordered.begin(), ordered.end(),
                               [](const Event* event) { return event->m_signalled; });
        if (all) {
            for (Event* event : ordered) {
                event->TryConsumeLocked();
            }
        }
        return all;
    }

    // Sleeps until an event registered here is set or the deadline passes.
    // Returns false on timeout.
    bool Sleep(std::optional<Clock::time_point> deadline) {
        std::unique_lock lock(m_waiter.mutex);
        auto notified = [this] { return m_waiter.notified; };
        if (!deadline) {
            m_waiter.wake.wait(lock, notified);
        } else if (!m_waiter.wake.wait_until(lock, *deadline, notified)) {
            return false;
        }
        m_waiter.notified = false;
        return true;
    }

private:
    std::span<Event* const> m_events;
    detail::EventWaiter& m_waiter;
};

Event::Event(bool manualReset, bool initiallySignalled)
    : m_manualReset(manualReset), m_signalled(initiallySignalled) {}

Event::~Event() = default;

void Event::Set() {
    std::lock_guard lock(m_mutex);
    m_signalled = true;
    m_changed.notify_all();
    for (detail::EventWaiter* waiter : m_waiters) {
        std::lock_guard waiterLock(waiter->mutex);
        waiter->notified = true;
        waiter->wake.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
    if (timeout != kInfinite) {
        return WaitUntil(DeadlineAfter(timeout));
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_signalled; });
    return TryConsumeLocked();
}

bool Event::WaitUntil(Clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_until(lock, deadline, [this] { return m_signalled; })) {
        return false;
    }
    return TryConsumeLocked();
}

bool Event::IsSet() const {
    std::lock_guard lock(m_mutex);
    return m_signalled;
}

bool Event::TryConsumeLocked() {
    if (!m_signalled) {
        return false;
    }
    if (!m_manualReset) {
        m_signalled = false;
    }
    return true;
}

namespace {

// Runs `attempt` until it succeeds or the timeout passes, sleeping between attempts
// until one of the events is set.
bool WaitFor(std::span<Event* const> events, std::chrono::milliseconds timeout,
             const std::function<bool(EventWaitList&)>& attempt) {
    detail::EventWaiter waiter;
    EventWaitList list(events, waiter);
    std::optional<Clock::time_point> deadline;
    if (timeout != Event::kInfinite) {
        deadline = DeadlineAfter(timeout);
    }
    while (!attempt(list)) {
        if (!list.Sleep(deadline)) {
            return attempt(list);
        }
    }
    return true;
}

}  // namespace

std::optional<std::size_t> WaitAny(std::span<Event* const> events,
                                   std::chrono::milliseconds timeout) {
    std::optional<std::size_t> fired;
    if (events.empty()) {
        return fired;
    }
    bool signalled = WaitFor(events, timeout, [&fired](EventWaitList& list) {
        fired = list.TryAny();
        return fired.has_value();
    });
    return signalled ? fired : std::nullopt;
}

std::optional<std::size_t> WaitAny(Event& first, Event& second, std::chrono::milliseconds timeout) {
    Event* events[] = {&first, &second};
    return WaitAny(events, timeout);
}

bool WaitAll(std::span<Event* const> events, std::chrono::milliseconds timeout) {
    return WaitFor(events, timeout, [](EventWaitList& list) { return list.TryAll(); });
}

}  // namespace varlok::platform
