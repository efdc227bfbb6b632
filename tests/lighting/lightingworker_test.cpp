#include "lighting/lightingworker.h"

#include <gtest/gtest.h>

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

// A worker whose sleeps are recorded instead of slept; Run() is called on
// the test's thread and ends when a hook sets stop.
class Worker : public ::testing::Test {
protected:
    LightingWorker::Hooks RecordingHooks() {
        return {[this] { return connected(); }, [this] { requestPush(); },
                [this](milliseconds pause) { sleeps.push_back(pause.count()); }};
    }
    void StopAfterPushes(int count) {
        requestPush = [this, count] {
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
    std::vector<long> sleeps;
    int pushes = 0;
    std::function<bool()> connected = [] { return true; };
    std::function<void()> requestPush = [this] { ++pushes; };
    platform::DebugCapture debug;
};

TEST_F(Worker, StopDuringTheStartPauseEndsTheWorkerAndStaysSet) {
    LightingWorker worker(record, state, leds,
                          {[] { return true; }, [this] { ++pushes; },
                           [this](milliseconds pause) {
                               sleeps.push_back(pause.count());
                               stop.Set();
                           }});
    worker.Run(stop);
    EXPECT_EQ(sleeps, (std::vector<long>{3000}));
    EXPECT_EQ(pushes, 0);
    EXPECT_TRUE(stop.IsSet());
    EXPECT_EQ(debug.Lines(), (std::vector<std::string>{std::string(kEnded)}));
}

TEST_F(Worker, StopEndsTheRealStartPauseAtOnce) {
    LightingWorker worker(record, state, leds, {[] { return true; }, [] {}, {}});
    auto finished = std::async(std::launch::async, [&] { worker.Run(stop); });
    stop.Set();
    // Far less than the 3 s start pause; a worker that sleeps through it
    // (or loses the stop) does not make it.
    EXPECT_EQ(finished.wait_for(LightingWorker::kStartPause / 2), std::future_status::ready);
    EXPECT_TRUE(debug.Contains(kEnded));
}

TEST_F(Worker, SleepsTheSpeedAndExtraPausesBeforeEachStep) {
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Trail));
    light.SetSpeed(0);
    StopAfterPushes(2);
    LightingWorker(record, state, leds, RecordingHooks()).Run(stop);
    EXPECT_EQ(sleeps, (std::vector<long>{3000, 10, 40, 10, 40}));
    EXPECT_EQ(state.phaseCounter.Get(), 2);
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
    LightingWorker(record, state, leds, RecordingHooks()).Run(stop);
    EXPECT_EQ(sleeps, (std::vector<long>{3000, 22, 100, 22, 100, 22, 100, 22, 22}));
    EXPECT_EQ(pushes, 2);
    EXPECT_EQ(state.phaseCounter.Get(), 48);
    EXPECT_EQ(leds.Get(0), (LedColour{ColourWheel[48], 255}));
}

TEST_F(Worker, EachPushRequestCarriesOneNewStepThatAPushTakesOnce) {
    light.SetMode(static_cast<std::uint8_t>(LightingMode::Spectrum));
    std::vector<bool> taken;
    requestPush = [this, &taken] {
        // The frame timer firing twice for the step: the second finds nothing new.
        taken.push_back(leds.TakeNewStep());
        taken.push_back(leds.TakeNewStep());
        if (++pushes == 3) {
            stop.Set();
        }
    };
    EXPECT_FALSE(leds.TakeNewStep());
    LightingWorker(record, state, leds, RecordingHooks()).Run(stop);
    EXPECT_EQ(taken, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST_F(Worker, ModeAboveSixSaysSoEveryIterationAndStillAsksForTheFrame) {
    light.SetMode(9);
    leds.Set(4, {{1, 2, 3}, 4});
    StopAfterPushes(3);
    LightingWorker(record, state, leds, RecordingHooks()).Run(stop);
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
                          {[] { return true; }, [&steps] { ++steps; }, {}, milliseconds(0)});
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
