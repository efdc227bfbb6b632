#include "platform/workerthread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace varlok::platform {
namespace {

// Only a guard against hanging.
constexpr std::chrono::seconds kGuard{20};

TEST(WorkerThread, BodyRunsUntilStopIsRequested) {
    Event running(true, false);
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([&](Event& stop) {
        running.Set();
        EXPECT_TRUE(stop.Wait(kGuard));
    }));
    ASSERT_TRUE(running.Wait(kGuard));
    EXPECT_FALSE(worker.HasEnded());
    EXPECT_FALSE(worker.JoinIfEnded());
    worker.RequestStop();
    EXPECT_TRUE(worker.Ended().Wait(kGuard));
    EXPECT_TRUE(worker.JoinIfEnded());
}

TEST(WorkerThread, StopRequestedRightAfterStartIsNotLost) {
    // The stop event is cleared by Start, not by the new thread, so this
    // body always sees the stop however late it begins.
    for (int i = 0; i < 50; ++i) {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start([](Event& stop) { EXPECT_TRUE(stop.Wait(kGuard)); }));
        worker.RequestStop();
        WorkerThread* workers[] = {&worker};
        ASSERT_EQ(StopWorkers(workers, kGuard), StopOutcome::AllEnded);
    }
}

TEST(WorkerThread, WakeRunsAfterTheStopEventIsSignalled) {
    Event released(true, false);
    Event* stopEvent = nullptr;
    Event started(true, false);
    std::atomic<bool> stopSeenByWake{false};
    // Last: its destructor may still call the wake function.
    WorkerThread worker;
    ASSERT_TRUE(worker.Start(
        [&](Event& stop) {
            stopEvent = &stop;
            started.Set();
            // Blocked where the stop event cannot reach it.
            EXPECT_TRUE(released.Wait(kGuard));
        },
        [&] {
            stopSeenByWake = stopEvent != nullptr && stopEvent->IsSet();
            released.Set();
        }));
    ASSERT_TRUE(started.Wait(kGuard));
    WorkerThread* workers[] = {&worker};
    EXPECT_EQ(StopWorkers(workers, kGuard), StopOutcome::AllEnded);
    EXPECT_TRUE(stopSeenByWake);
}

TEST(WorkerThread, StopWorkersReportsAWorkerThatDidNotEnd) {
    Event released(true, false);
    WorkerThread quick;
    WorkerThread stubborn;
    ASSERT_TRUE(quick.Start([](Event& stop) { EXPECT_TRUE(stop.Wait(kGuard)); }));
    // Ignores its stop event until the test lets it go.
    ASSERT_TRUE(stubborn.Start([&](Event&) { EXPECT_TRUE(released.Wait(kGuard)); }));
    WorkerThread* workers[] = {&quick, &stubborn};
    EXPECT_EQ(StopWorkers(workers, std::chrono::milliseconds{50}), StopOutcome::TimedOut);
    EXPECT_TRUE(quick.Ended().Wait(kGuard));
    EXPECT_FALSE(stubborn.HasEnded());
    released.Set();
    // The destructor joins what is left.
}

TEST(WorkerThread, AWorkerNeverStartedCountsAsEndedAndStartsOnlyOnce) {
    WorkerThread idle;
    EXPECT_TRUE(idle.HasEnded());
    WorkerThread* workers[] = {&idle};
    EXPECT_EQ(StopWorkers(workers, std::chrono::milliseconds{0}), StopOutcome::AllEnded);

    WorkerThread worker;
    ASSERT_TRUE(worker.Start([](Event& stop) { EXPECT_TRUE(stop.Wait(kGuard)); }));
    EXPECT_FALSE(worker.Start([](Event&) {}));
    EXPECT_FALSE(WorkerThread().Start({}));
}

}  // namespace
}  // namespace varlok::platform
