#include "platform/singleinstance.h"

#include "platform/event.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using Result = SingleInstance::AcquireResult;

constexpr auto kGuard = 30s;

std::string UniqueName() {
    static std::atomic<int> counter{0};
    return "VARLOKTEST" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

// Records the wake messages the first instance receives.
struct WakeLog {
    std::mutex mutex;
    std::vector<std::string> messages;
    Event woken{false, false};

    SingleInstance::WakeCallback Callback() {
        return [this](const std::string& message) {
            {
                std::lock_guard lock(mutex);
                messages.push_back(message);
            }
            woken.Set();
        };
    }
    std::vector<std::string> Messages() {
        std::lock_guard lock(mutex);
        return messages;
    }
};

TEST(SingleInstance, SecondStartWakesTheFirst) {
    const std::string name = UniqueName();
    WakeLog log;
    SingleInstance first(name, log.Callback());
    ASSERT_EQ(first.Acquire("TAMBRELL_004"), Result::Acquired);
    EXPECT_EQ(first.Acquire("TAMBRELL_004"), Result::Acquired);

    SingleInstance second(name, [](const std::string&) { FAIL() << "second never listens"; });
    EXPECT_EQ(second.Acquire("TAMBRELL_004"), Result::AlreadyRunning);
    ASSERT_TRUE(log.woken.Wait(kGuard));
    SingleInstance third(name, {});
    EXPECT_EQ(third.Acquire("唤醒"), Result::AlreadyRunning);
    ASSERT_TRUE(log.woken.Wait(kGuard));
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"TAMBRELL_004", "唤醒"}));
}

TEST(SingleInstance, NameIsFreedWhenTheHolderGoes) {
    const std::string name = UniqueName();
    {
        SingleInstance first(name, {});
        ASSERT_EQ(first.Acquire("TAMBRELL_004"), Result::Acquired);
    }
    WakeLog log;
    SingleInstance next(name, log.Callback());
    EXPECT_EQ(next.Acquire("TAMBRELL_004"), Result::Acquired);
    SingleInstance later(name, {});
    EXPECT_EQ(later.Acquire("again"), Result::AlreadyRunning);
    ASSERT_TRUE(log.woken.Wait(kGuard));
    EXPECT_EQ(log.Messages(), std::vector<std::string>{"again"});
}

TEST(SingleInstance, DifferentNamesDoNotMeet) {
    SingleInstance a(UniqueName(), {});
    SingleInstance b(UniqueName(), {});
    EXPECT_EQ(a.Acquire("x"), Result::Acquired);
    EXPECT_EQ(b.Acquire("x"), Result::Acquired);
}

TEST(SingleInstance, OverlongMessageOrNameFails) {
    SingleInstance instance(UniqueName(), {});
    EXPECT_EQ(instance.Acquire(std::string(SingleInstance::kMaxMessageLength + 1, 'm')),
              Result::Failed);
    SingleInstance longName(std::string(200, 'N'), {});
    EXPECT_EQ(longName.Acquire("x"), Result::Failed);
}

// Several later starts at once each wake the first instance once.
TEST(SingleInstance, ConcurrentStartsAllReachTheFirst) {
    const std::string name = UniqueName();
    constexpr int kStarts = 6;
    std::atomic<int> received{0};
    Event all(true, false);
    SingleInstance first(name, [&](const std::string& message) {
        EXPECT_EQ(message, "TAMBRELL_004");
        if (++received == kStarts) {
            all.Set();
        }
    });
    ASSERT_EQ(first.Acquire("TAMBRELL_004"), Result::Acquired);
    std::vector<std::thread> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.emplace_back([&] {
            SingleInstance again(name, {});
            EXPECT_EQ(again.Acquire("TAMBRELL_004"), Result::AlreadyRunning);
        });
    }
    for (auto& start : starts) {
        start.join();
    }
    EXPECT_TRUE(all.Wait(kGuard));
    EXPECT_EQ(received.load(), kStarts);
}

}  // namespace
}  // namespace varlok::platform
