#pragma once

#include <chrono>
#include <functional>

#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingsettings.h"
#include "platform/event.h"

namespace varlok::lighting {

// The mouse lighting worker: after a 3 s start pause it loops until stopped,
// waiting the 1 ms stop check and the speed's pause, idling (100 ms) while
// the mouse is away, and otherwise waiting the mode's extra pause, running
// one effect step and pushing the frame. Runs on its own thread, which also
// carries the push: the frames stream while the window sleeps.
//
// The waits keep a schedule on the steady clock: each ends at a moment
// counted from the one before, not from when the thread woke or the push
// returned, so that the frame period holds its nominal length on a busy
// machine instead of growing by every late wake-up. A worker that falls more
// than a frame behind (a push that waited on a mouse that stopped answering,
// a suspended machine) starts its schedule again from the present rather
// than catching up with frames in a burst. No step allocates.
class LightingWorker {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kStartPause{3000};
    static constexpr std::chrono::milliseconds kAwayPause{100};
    // The check for a stop between two steps: part of every frame's period.
    static constexpr std::chrono::milliseconds kStopCheck{1};
    // The thread's time slices: longer than a frame's work, far shorter
    // than the scheduler's usual ones.
    static constexpr std::chrono::microseconds kTimeSlice{500};

    struct Hooks {
        std::function<bool()> isConnected{};  // the mouse link is connected
        // Sends the frame of the step just run (and has it shown where it
        // is shown); called on the worker's thread after each step.
        std::function<void()> pushFrame{};
        // The clock and the wait of the schedule; tests pass their own. The
        // wait returns true once stop is set, else at the moment given.
        // Defaults (empty): the steady clock, and a wait on the stop event,
        // which a stop ends at once.
        std::function<Clock::time_point()> now{};
        std::function<bool(Clock::time_point)> waitUntil{};
        // Before the first step; benchmarks that start many workers shorten it.
        std::chrono::milliseconds startPause = kStartPause;
    };

    // Every reference must outlive the worker.
    LightingWorker(settings::SettingsRecord& record, EffectState& state, LedState& leds,
                   Hooks hooks);

    // The thread's body: returns once stop is set (the waits end with it).
    // Never resets stop.
    void Run(platform::Event& stop);

private:
    [[nodiscard]] Clock::time_point Now() const;
    // Waits until the moment; true when stop is set by then.
    [[nodiscard]] bool WaitUntil(Clock::time_point moment, platform::Event& stop) const;

    settings::SettingsRecord& m_record;
    EffectState& m_state;
    LedState& m_leds;
    Hooks m_hooks;
};

}  // namespace varlok::lighting
