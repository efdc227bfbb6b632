#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;

// Long enough never to expire on a loaded machine; only guards against a hang.
constexpr auto kGuard = 30s;

TEST(Event, ManualResetStaysSignalledUntilReset) {
    Event event(true, false);
    EXPECT_FALSE(event.Wait(0ms));
    event.Set();
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.Wait(1ms));
}

TEST(Event, AutoResetIsConsumedByTheWaitThatSeesIt) {
    Event event(false, true);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0ms));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_FALSE(event.Wait(0ms));
}

TEST(Event, NegativeTimeoutPollsOnce) {
    Event event(true, false);
    EXPECT_FALSE(event.Wait(-5ms));
    EXPECT_EQ(WaitAny(event, event, -5ms), std::nullopt);
}

TEST(Event, DeadlineWaitEndsAtItsMomentOrWithTheSignal) {
    Event event(false, false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.WaitUntil(start - 1s));
    EXPECT_FALSE(event.WaitUntil(start + 2ms));
    EXPECT_GE(std::chrono::steady_clock::now(), start + 2ms);
    std::thread setter([&event] { event.Set(); });
    EXPECT_TRUE(event.WaitUntil(std::chrono::steady_clock::now() + kGuard));
    setter.join();
    // Consumed by the wait that saw it.
    EXPECT_FALSE(event.WaitUntil(std::chrono::steady_clock::now()));
}

TEST(Event, SetFromAnotherThreadWakesAnInfiniteWait) {
    Event ready(true, false);
    Event go(false, false);
    std::thread setter([&] {
        ASSERT_TRUE(ready.Wait(kGuard));
        go.Set();
    });
    ready.Set();
    EXPECT_TRUE(go.Wait(Event::kInfinite));
    setter.join();
}

TEST(Event, ManualResetReleasesEveryWaiter) {
    Event gate(true, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (gate.Wait(kGuard)) {
                ++released;
            }
        });
    }
    gate.Set();
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released.load(), 4);
}

// Single waits and multi-event waits compete for one auto-reset event: each Set
// releases exactly one of them, so N sets release exactly N waiters.
TEST(Event, AutoResetReleasesExactlyOneWaiterPerSet) {
    Event event(false, false);
    Event stop(true, false);
    std::atomic<int> released{0};
    Event releasedOne(false, false);
    std::atomic<int> exited{0};
    Event exitedOne(false, false);
    std::vector<std::thread> waiters;
    for (int i = 0; i < 6; ++i) {
        waiters.emplace_back([&, i] {
            bool fired = false;
            if (i % 3 == 0) {
                fired = event.Wait(kGuard) && !stop.IsSet();
            } else if (i % 3 == 1) {
                fired = WaitAny(stop, event, kGuard) == 1u && !stop.IsSet();
            } else {
                Event* events[] = {&event, &stop};
                fired = WaitAny(events, kGuard) == 0u && !stop.IsSet();
            }
            if (fired) {
                ++released;
                releasedOne.Set();
            }
            ++exited;
            exitedOne.Set();
        });
    }
    for (int round = 1; round <= 4; ++round) {
        event.Set();
        ASSERT_TRUE(releasedOne.Wait(kGuard));
        EXPECT_EQ(released.load(), round);
    }
    // The plain waiters do not see `stop`; wake them one by one.
    stop.Set();
    while (exited.load() < 6) {
        event.Set();
        ASSERT_TRUE(exitedOne.Wait(kGuard));
    }
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released.load(), 4);
}

TEST(Event, WaitAnyTellsWhichFiredLowestFirst) {
    Event first(true, false);
    Event second(false, false);
    EXPECT_EQ(WaitAny(first, second, 1ms), std::nullopt);
    second.Set();
    EXPECT_EQ(WaitAny(first, second, 0ms), 1u);
    EXPECT_FALSE(second.IsSet()) << "auto-reset event consumed by WaitAny";
    first.Set();
    second.Set();
    EXPECT_EQ(WaitAny(first, second, 0ms), 0u);
    EXPECT_TRUE(second.IsSet()) << "the event that did not win keeps its signal";
    EXPECT_TRUE(first.IsSet());
}

TEST(Event, WaitAnyWakesWhenTheSecondEventIsSetLater) {
    Event stop(true, false);
    Event data(false, false);
    std::optional<std::size_t> result;
    std::thread waiter([&] { result = WaitAny(stop, data, Event::kInfinite); });
    data.Set();
    waiter.join();
    EXPECT_EQ(result, 1u);
}

TEST(Event, WaitAnyOfNothingTimesOut) {
    EXPECT_EQ(WaitAny({}, Event::kInfinite), std::nullopt);
}

TEST(Event, WaitAllNeedsEveryEventAndConsumesOnlyThen) {
    Event manual(true, false);
    Event automatic(false, false);
    Event* events[] = {&manual, &automatic};
    automatic.Set();
    EXPECT_FALSE(WaitAll(events, 1ms));
    EXPECT_TRUE(automatic.IsSet()) << "a failed WaitAll must not consume";
    manual.Set();
    EXPECT_TRUE(WaitAll(events, 0ms));
    EXPECT_FALSE(automatic.IsSet());
    EXPECT_TRUE(manual.IsSet());
    EXPECT_TRUE(WaitAll({}, 0ms));
}

// The shutdown pattern of the main window: workers signal their own "ended" event,
// the main thread waits for all of them with a deadline.
TEST(Event, WaitAllSeesWorkersEndOneByOne) {
    constexpr int kWorkers = 5;
    Event stop(true, false);
    std::vector<std::unique_ptr<Event>> ended;
    std::vector<Event*> endedList;
    for (int i = 0; i < kWorkers; ++i) {
        ended.push_back(std::make_unique<Event>(true, false));
        endedList.push_back(ended.back().get());
    }
    std::vector<std::thread> workers;
    for (int i = 0; i < kWorkers; ++i) {
        workers.emplace_back([&, i] {
            EXPECT_TRUE(stop.Wait(kGuard));
            ended[i]->Set();
        });
    }
    EXPECT_FALSE(WaitAll(endedList, 1ms));
    stop.Set();
    EXPECT_TRUE(WaitAll(endedList, kGuard));
    for (auto& worker : workers) {
        worker.join();
    }
}

TEST(Event, WaitAllTimesOutWhenOneWorkerHangs) {
    Event done(true, true);
    Event hung(true, false);
    Event* events[] = {&done, &hung, &done};
    EXPECT_FALSE(WaitAll(events, 20ms));
    hung.Set();
    EXPECT_TRUE(WaitAll(events, 0ms));
}

}  // namespace
}  // namespace varlok::platform
