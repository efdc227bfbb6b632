#include "lighting/lightingworker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "lighting/effecttables.h"
#include "platform/debugoutput.h"

namespace varlok::lighting {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kUnknownMode = "鼠标灯光线程设定2";
constexpr std::string_view kEnded = "鼠标灯光线程设定退出";

// A worker on a clock of the test's: each wait moves the clock to its moment
// and records it (in ms since the clock's start); Run() is called on the
// test's thread and ends when a hook sets stop.
class Worker : public ::testing::Test {
protected:
    using Clock = LightingWorker::Clock;

    LightingWorker::Hooks ClockedHooks() {
        return {
            [this] { return connected(); }, [this] { pushFrame(); }, [this] { return now; },
            [this](Clock::time_point moment) {
                moments.push_back(
                    std::chrono::duration_cast<milliseconds>(moment - Clock::time_point{}).count());
                now = std::max(now, moment);
                return stopAtWait;
            }};
    }
    void StopAfterPushes(int count) {
        pushFrame = [this, count] {
            if (++pushes == count) {
                stop.Set();
            }
        };
    }

    settings::SettingsRecord record;
    LightingSettings light{record};
    EffectState state;
    LedState leds;
    platform::Event stop{true, false};
    Clock::time_point now{};
    bool stopAtWait = false;
    std::vector<long> moments;
    int pushes = 0;
    std::function<bool()> connected = [] { return true; };
    std::function<void()> pushFrame = [this] { ++pushes; };
    platform::DebugCapture debug;
};

TEST_F(Worker, StopDuringTheStartPauseEndsTheWorkerAndStaysSet) {
    stopAtWait = true;
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_EQ(moments, (std::vector<long>{3000}));
    EXPECT_EQ(pushes, 0);
    EXPECT_EQ(debug.Lines(), (std::vector<std::string>{std::string(kEnded)}));
    stop.Set();
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_TRUE(stop.IsSet()) << "never reset";
}

TEST_F(Worker, StopEndsTheRealStartPauseAtOnce) {
    LightingWorker worker(record, state, leds,
                          {.isConnected = [] { return true; }, .pushFrame = [] {}});
    auto finished = std::async(std::launch::async, [&] { worker.Run(stop); });
    stop.Set();
    // Far less than the 3 s start pause; a worker that sleeps through it
    // (or loses the stop) does not make it.
    EXPECT_EQ(finished.wait_for(LightingWorker::kStartPause / 2), std::future_status::ready);
    EXPECT_TRUE(debug.Contains(kEnded));
}

TEST_F(Worker, KeepsAScheduleOfStopCheckSpeedAndExtraPausesThatThePushDoesNotStretch) {
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Trail));
    light.SetSpeed(0);
    // Each push takes 5 ms; the frame still comes every 1 + 10 + 40 ms.
    pushFrame = [this] {
        now += milliseconds(5);
        if (++pushes == 2) {
            stop.Set();
        }
    };
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    // The last wait is the one the stop ended.
    EXPECT_EQ(moments, (std::vector<long>{3000, 3011, 3051, 3062, 3102, 3113}));
    EXPECT_EQ(state.phaseCounter.Get(), 2);
}

TEST_F(Worker, AWorkerFarBehindStartsAgainFromThePresentInsteadOfCatchingUpInABurst) {
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Spectrum));
    light.SetSpeed(0);
    // The first push waits half a second on the mouse.
    pushFrame = [this] {
        now += milliseconds(++pushes == 1 ? 500 : 0);
        if (pushes == 3) {
            stop.Set();
        }
    };
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_EQ(moments, (std::vector<long>{3000, 3011, 3522, 3533, 3544}));
}

TEST_F(Worker, WhileTheMouseIsAwayItPollsSendsNothingAndThenGoesOnWhereItStopped) {
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Spectrum));
    light.SetBrightness(4);
    light.SetSpeed(1);
    state.phaseCounter.Set(50);
    int polls = 0;
    connected = [&] {
        if (++polls > 3) {
            return true;
        }
        // Nothing moved while away.
        EXPECT_EQ(state.phaseCounter.Get(), 50);
        EXPECT_EQ(leds.Get(0), LedColour{});
        return false;
    };
    StopAfterPushes(2);
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_EQ(moments,
              (std::vector<long>{3000, 3023, 3123, 3146, 3246, 3269, 3369, 3392, 3415, 3438}));
    EXPECT_EQ(pushes, 2);
    EXPECT_EQ(state.phaseCounter.Get(), 48);
    EXPECT_EQ(leds.Get(0), (LedColour{ColourWheel[48], 255}));
}

TEST_F(Worker, EachStepIsPushedOnceAfterItsLedsAreSet) {
    // The mouse gets every step's frame exactly once: no step sent twice,
    // none skipped, none sent before its LEDs are all set.
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Spectrum));
    light.SetBrightness(4);
    state.phaseCounter.Set(50);
    std::vector<int> phases;
    pushFrame = [this, &phases] {
        const int phase = state.phaseCounter.Get();
        phases.push_back(phase);
        EXPECT_EQ(leds.Get(0), (LedColour{ColourWheel[phase], 255}));
        if (++pushes == 3) {
            stop.Set();
        }
    };
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_EQ(phases, (std::vector<int>{49, 48, 47}));
}

TEST_F(Worker, ModeAboveSixSaysSoEveryIterationAndStillAsksForTheFrame) {
    light.SetMode(9);
    leds.Set(4, {{1, 2, 3}, 4});
    StopAfterPushes(3);
    LightingWorker(record, state, leds, ClockedHooks()).Run(stop);
    EXPECT_EQ(pushes, 3);
    EXPECT_EQ(leds.Get(4), (LedColour{{1, 2, 3}, 4}));
    const std::string unknown(kUnknownMode);
    EXPECT_EQ(debug.Lines(),
              (std::vector<std::string>{unknown, unknown, unknown, std::string(kEnded)}));
}

TEST_F(Worker, RunsBesideAThreadThatReadsTheLedsAndResetsTheEffect) {
    // For the thread sanitizer: the page's side reads frames and resets the
    // effect while the worker steps, as the window does.
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Trail));
    std::atomic<int> steps{0};
    LightingWorker worker(record, state, leds,
                          {.isConnected = [] { return true; },
                           .pushFrame = [&steps] { ++steps; },
                           .startPause = milliseconds(0)});
    std::thread thread([&] { worker.Run(stop); });
    while (steps.load() < 3) {
        static_cast<void>(BuildFrame(leds));
        ResetEffectState(state);
        state.reactiveTrigger = true;
        std::this_thread::yield();
    }
    stop.Set();
    thread.join();
    EXPECT_LT(state.phaseCounter.Get(), kStripLeds);
}

}  // namespace
}  // namespace varlok::lighting
