#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <QTimer>

#include "recordingtarget.h"
#include "support/uidriver.h"
#include "ui/messagetarget.h"
#include "ui/modalloop.h"
#include "ui/qt/messagehub.h"
#include "ui/windowhandle.h"
#include "ui/windowmessages.h"

namespace varlok::ui {
namespace {

using namespace std::chrono_literals;
using qt::MessageHub;

constexpr MessageId kTestMessage = WM_USER + 100;
constexpr MessageId kDoneMessage = WM_USER + 101;

using test::Received;
using test::RecordingTarget;
using test::RunGuarded;

class WindowHandleThreads : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureApplication(); }
};

TEST_F(WindowHandleThreads, PostsFromSeveralWorkersArriveOnTheUiThreadInOrder) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    RecordingTarget target;
    ModalLoop loop;
    int testMessages = 0;
    target.onMessage = [&](MessageId message, WParam, LParam) -> LResult {
        if (message == kTestMessage && ++testMessages == kThreads * kPerThread) {
            loop.End(1);
        }
        return 0;
    };
    std::vector<std::thread> workers;
    std::atomic<int> refused = 0;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                if (!target.Handle().Post(kTestMessage, static_cast<WParam>(i), t)) {
                    ++refused;
                }
            }
        });
    }
    EXPECT_EQ(RunGuarded(loop), 1);
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(refused, 0);
    std::vector<WParam> next(kThreads, 0);
    for (const Received& r : target.received) {
        EXPECT_EQ(r.thread, std::this_thread::get_id());
        ASSERT_EQ(r.message, kTestMessage);
        EXPECT_EQ(r.wParam, next[static_cast<std::size_t>(r.lParam)]++);
    }
    for (const WParam count : next) {
        EXPECT_EQ(count, static_cast<WParam>(kPerThread));
    }
}

TEST_F(WindowHandleThreads, SendFromWorkersWaitsForTheHandlersResult) {
    constexpr int kThreads = 3;
    constexpr int kPerThread = 50;
    RecordingTarget target;
    ModalLoop loop;
    int done = 0;
    target.onMessage = [&](MessageId message, WParam wParam, LParam lParam) -> LResult {
        if (message == kDoneMessage && ++done == kThreads) {
            loop.End(1);
        }
        return static_cast<LResult>(wParam) * 1000 + lParam;
    };
    std::vector<std::thread> workers;
    std::atomic<int> wrong = 0;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                if (target.Handle().Send(kTestMessage, static_cast<WParam>(i), t) != i * 1000 + t) {
                    ++wrong;
                }
            }
            target.Handle().Post(kDoneMessage);
        });
    }
    EXPECT_EQ(RunGuarded(loop), 1);
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(target.received.size(), static_cast<std::size_t>(kThreads * (kPerThread + 1)));
    for (const Received& r : target.received) {
        EXPECT_EQ(r.thread, std::this_thread::get_id());
    }
}

TEST_F(WindowHandleThreads, SendIsDeliveredWhileAHandlerRunsAModalLoop) {
    // A posted message opens a "message box" (a nested modal loop) in its
    // handler, as the main window does for a device notice; a worker's send
    // must still be answered, and here it closes the box with its own code.
    // Once the send arrives while the box is up, once it already waits in the
    // queue behind the message that opens the box.
    for (const bool queuedBehind : {false, true}) {
        SCOPED_TRACE(queuedBehind ? "send queued behind" : "send while the box is up");
        RecordingTarget target;
        ModalLoop outer;
        ModalLoop messageBox;
        int boxResult = -1;
        std::atomic<LResult> sendResult = 0;
        std::thread worker;
        const auto sendFromWorker = [&] {
            worker = std::thread([&] { sendResult = target.Handle().Send(kDoneMessage, 7); });
        };
        target.onMessage = [&](MessageId message, WParam wParam, LParam) -> LResult {
            if (message == kTestMessage) {
                if (!queuedBehind) {
                    sendFromWorker();
                }
                boxResult = RunGuarded(messageBox);
                outer.End(1);
                return 0;
            }
            EXPECT_TRUE(messageBox.IsRunning());
            messageBox.End(static_cast<int>(wParam));
            return 42;
        };
        ASSERT_TRUE(target.Handle().Post(kTestMessage));
        if (queuedBehind) {
            sendFromWorker();
            ASSERT_TRUE(MessageHub::WaitForQueued(2, 20s));
        }
        EXPECT_EQ(RunGuarded(outer), 1);
        worker.join();
        EXPECT_EQ(boxResult, 7);
        EXPECT_EQ(sendResult, 42);
    }
}

TEST_F(WindowHandleThreads, WaitingSendReturnsZeroWhenTheTargetUnregisters) {
    auto target = std::make_unique<RecordingTarget>();
    const WindowHandle handle = target->Handle();
    ModalLoop loop;
    std::atomic<LResult> sendResult = -1;
    std::thread worker;
    target->onMessage = [&](MessageId message, WParam, LParam) -> LResult {
        if (message == kTestMessage) {
            // The UI thread is busy here, so the worker's send waits in the
            // queue; the window then goes away without ever draining it.
            worker = std::thread([&] { sendResult = handle.Send(kDoneMessage, 0, 0); });
            EXPECT_TRUE(MessageHub::WaitForQueued(1, 20s));
            loop.End(1);
            // Destroys this handler too: nothing captured is used after it.
            target.reset();
        }
        return 5;
    };
    ASSERT_TRUE(handle.Post(kTestMessage));
    EXPECT_EQ(RunGuarded(loop), 1);
    worker.join();
    EXPECT_EQ(sendResult, 0);
    EXPECT_FALSE(handle.IsValid());
    EXPECT_FALSE(handle.Post(kTestMessage));
    EXPECT_EQ(handle.Send(kTestMessage), 0);
    EXPECT_FALSE(handle.SetTimer(1, 10));
    std::thread late([&] { sendResult = handle.Send(kTestMessage); });
    late.join();
    EXPECT_EQ(sendResult, 0);
}

TEST_F(WindowHandleThreads, TimersStartAndStopFromWorkers) {
    RecordingTarget target;
    ModalLoop loop;
    std::mutex mutex;
    std::condition_variable ticked;
    bool threeTicks = false;
    int ticksOfFive = 0;
    int ticksAfterStop = 0;
    bool stopped = false;
    int probeTicks = 0;
    target.onMessage = [&](MessageId message, WParam wParam, LParam) -> LResult {
        if (message == WM_TIMER && wParam == 5) {
            ++ticksOfFive;
            if (stopped) {
                ++ticksAfterStop;
            }
            if (ticksOfFive == 3) {
                const std::lock_guard lock(mutex);
                threeTicks = true;
                ticked.notify_one();
            }
        } else if (message == kDoneMessage) {
            // Queued after the worker's KillTimer, so the stop has been applied.
            stopped = true;
            EXPECT_FALSE(MessageHub::HasTimer(target.Handle().Id(), 5));
            target.Handle().SetTimer(6, 20);
        } else if (message == WM_TIMER && wParam == 6 && ++probeTicks == 5) {
            target.Handle().KillTimer(6);
            loop.End(1);
        }
        return 0;
    };
    std::thread worker([&] {
        EXPECT_TRUE(target.Handle().SetTimer(5, 10));
        std::unique_lock lock(mutex);
        ticked.wait(lock, [&] { return threeTicks; });
        lock.unlock();
        EXPECT_TRUE(target.Handle().KillTimer(5));
        target.Handle().Post(kDoneMessage);
    });
    EXPECT_EQ(RunGuarded(loop), 1);
    worker.join();
    EXPECT_GE(ticksOfFive, 3);
    EXPECT_EQ(ticksAfterStop, 0);
    for (const Received& r : target.received) {
        EXPECT_EQ(r.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(MessageHub::TimerCount(), 0U);
}

TEST_F(WindowHandleThreads, RestartingARunningTimerReplacesItsPeriod) {
    RecordingTarget target;
    ModalLoop loop;
    target.onMessage = [&](MessageId message, WParam wParam, LParam) -> LResult {
        if (message == WM_TIMER && wParam == 7) {
            EXPECT_TRUE(target.Handle().KillTimer(7));
            EXPECT_FALSE(target.Handle().KillTimer(7));
            loop.End(1);
        }
        return 0;
    };
    std::thread worker([&] {
        // An hour-long first period: only the restart can make it tick.
        target.Handle().SetTimer(7, 3'600'000);
        target.Handle().SetTimer(7, 10);
    });
    worker.join();
    EXPECT_EQ(RunGuarded(loop), 1);
    EXPECT_EQ(MessageHub::TimerCount(), 0U);
}

TEST_F(WindowHandleThreads, UnregisteringStopsTheWindowsTimers) {
    auto target = std::make_unique<RecordingTarget>();
    const std::uint64_t id = target->Handle().Id();
    ASSERT_TRUE(target->Handle().SetTimer(1, 100));
    ASSERT_TRUE(target->Handle().SetTimer(2, 100));
    EXPECT_TRUE(MessageHub::HasTimer(id, 1));
    target.reset();
    EXPECT_FALSE(MessageHub::HasTimer(id, 1));
    EXPECT_FALSE(MessageHub::HasTimer(id, 2));
    EXPECT_EQ(MessageHub::TimerCount(), 0U);
}

TEST_F(WindowHandleThreads, SendOnTheUiThreadIsADirectCallAndPostIsQueued) {
    RecordingTarget target;
    target.onMessage = [](MessageId, WParam wParam, LParam) -> LResult {
        return static_cast<LResult>(wParam) + 1;
    };
    EXPECT_EQ(target.Handle().Send(kTestMessage, 41), 42);
    ASSERT_EQ(target.received.size(), 1U);
    EXPECT_TRUE(target.Handle().Post(kTestMessage, 1));
    EXPECT_EQ(target.received.size(), 1U);
    ModalLoop loop;
    target.onMessage = [&](MessageId, WParam, LParam) -> LResult {
        loop.End(1);
        return 0;
    };
    EXPECT_EQ(RunGuarded(loop), 1);
    EXPECT_EQ(target.received.size(), 2U);
    EXPECT_TRUE(IsUiThread());
    bool workerIsUi = true;
    std::thread([&] { workerIsUi = IsUiThread(); }).join();
    EXPECT_FALSE(workerIsUi);
}

TEST_F(WindowHandleThreads, RegisteredMessageIdsAreSharedByName) {
    constexpr int kThreads = 4;
    std::vector<MessageId> ids(kThreads * 2);
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            ids[static_cast<std::size_t>(t) * 2] = RegisterWindowMessage("TAMBRELL_004");
            ids[static_cast<std::size_t>(t) * 2 + 1] = RegisterWindowMessage("varlok.other");
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(ids[static_cast<std::size_t>(t) * 2], ids[0]);
        EXPECT_EQ(ids[static_cast<std::size_t>(t) * 2 + 1], ids[1]);
    }
    EXPECT_NE(ids[0], ids[1]);
    for (const MessageId id : ids) {
        EXPECT_GE(id, kFirstRegisteredMessage);
        EXPECT_LE(id, kLastRegisteredMessage);
    }
    // Names compare without regard to case, as Windows atoms do.
    EXPECT_EQ(RegisterWindowMessage("tambrell_004"), ids[0]);
    EXPECT_EQ(RegisterWindowMessage(""), 0U);
}

TEST_F(WindowHandleThreads, MessageLoopEndsWithTheQuitCodeFromAnyThread) {
    // A quit requested before the loop runs ends the next loop at once.
    PostQuitMessage(3);
    EXPECT_EQ(RunMessageLoop(), 3);

    RecordingTarget target;
    target.onMessage = [](MessageId message, WParam wParam, LParam) -> LResult {
        if (message == kTestMessage) {
            PostQuitMessage(static_cast<int>(wParam));
        }
        return 0;
    };
    std::thread poster([&] { target.Handle().Post(kTestMessage, 5); });
    EXPECT_EQ(RunMessageLoop(), 5);
    poster.join();

    std::thread quitter;
    target.onMessage = [&](MessageId message, WParam, LParam) -> LResult {
        if (message == kTestMessage) {
            quitter = std::thread([] { PostQuitMessage(9); });
        }
        return 0;
    };
    ASSERT_TRUE(target.Handle().Post(kTestMessage));
    EXPECT_EQ(RunMessageLoop(), 9);
    quitter.join();
}

TEST_F(WindowHandleThreads, QuitEndsARunningModalLoopFirst) {
    RecordingTarget target;
    int modalResult = -1;
    std::thread quitter;
    target.onMessage = [&](MessageId message, WParam, LParam) -> LResult {
        if (message == kTestMessage) {
            ModalLoop box;
            quitter = std::thread([] { PostQuitMessage(4); });
            modalResult = RunGuarded(box);
        }
        return 0;
    };
    ASSERT_TRUE(target.Handle().Post(kTestMessage));
    EXPECT_EQ(RunMessageLoop(), 4);
    quitter.join();
    EXPECT_EQ(modalResult, 0);
    // A later modal loop runs normally again.
    ModalLoop after;
    QTimer::singleShot(0, [&] { after.End(8); });
    EXPECT_EQ(RunGuarded(after), 8);
}

TEST_F(WindowHandleThreads, ModalLoopEndedBeforeRunOrDestroyedWhileRunning) {
    ModalLoop early;
    early.End(6);
    early.End(7);
    EXPECT_EQ(early.Run(), 6);

    auto owned = std::make_unique<ModalLoop>();
    ModalLoop* raw = owned.get();
    QTimer::singleShot(0, [&] { owned.reset(); });
    EXPECT_EQ(raw->Run(), 0);
}

}  // namespace
}  // namespace varlok::ui
