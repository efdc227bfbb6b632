#pragma once

#include <chrono>
#include <functional>

#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingsettings.h"
#include "platform/event.h"

namespace varlok::lighting {

// The mouse lighting worker: after a 3 s start pause it loops until stopped,
// sleeping the speed's pause, idling (100 ms) while the mouse is away, and
// otherwise sleeping the mode's extra pause, running one effect step and
// asking for a frame push (the window arms timer 14, which sends it on the
// UI thread). Runs on its own thread.
class LightingWorker {
public:
    static constexpr std::chrono::milliseconds kStartPause{3000};
    static constexpr std::chrono::milliseconds kAwayPause{100};

    struct Hooks {
        std::function<bool()> isConnected;  // the mouse link is connected
        std::function<void()> requestPush;  // arm timer 14 (10 ms, replacing a pending one)
        // Sleeps; tests pass their own clock. Default (empty): the thread
        // waits on the stop event for the pause, so that a stop ends it early.
        std::function<void(std::chrono::milliseconds)> sleep;
        // Before the first step; benchmarks that start many workers shorten it.
        std::chrono::milliseconds startPause = kStartPause;
    };

    // Every reference must outlive the worker.
    LightingWorker(settings::SettingsRecord& record, EffectState& state, LedState& leds,
                   Hooks hooks);

    // The thread's body: returns once stop is set (checked with a 1 ms wait
    // between steps and after every pause; without a sleep hook a pause also
    // ends as soon as stop is set). Never resets stop.
    void Run(platform::Event& stop);

private:
    // Sleeps the pause; true when stop is set by its end.
    [[nodiscard]] bool Pause(std::chrono::milliseconds duration, platform::Event& stop);

    settings::SettingsRecord& m_record;
    EffectState& m_state;
    LedState& m_leds;
    Hooks m_hooks;
};

}  // namespace varlok::lighting
