#include "lighting/lightingworker.h"

#include <utility>

#include "lighting/effects.h"
#include "platform/debugoutput.h"
#include "platform/workerthread.h"

namespace varlok::lighting {

namespace {

constexpr std::string_view kUnknownModeText = "鼠标灯光线程设定2";
constexpr std::string_view kEndText = "鼠标灯光线程设定退出";

}  // namespace

LightingWorker::LightingWorker(settings::SettingsRecord& record, EffectState& state, LedState& leds,
                               Hooks hooks)
    : m_record(record), m_state(state), m_leds(leds), m_hooks(std::move(hooks)) {}

LightingWorker::Clock::time_point LightingWorker::Now() const {
    return m_hooks.now ? m_hooks.now() : Clock::now();
}

bool LightingWorker::WaitUntil(Clock::time_point moment, platform::Event& stop) const {
    if (m_hooks.waitUntil) {
        return m_hooks.waitUntil(moment) || stop.IsSet();
    }
    // A wait on the stop event rather than a sleep: shutdown ends the worker
    // at once instead of after the rest of a pause.
    return stop.WaitUntil(moment);
}

void LightingWorker::Run(platform::Event& stop) {
    // A frame is a moment of work at a set time: with short slices the
    // thread runs as soon as it wakes, also beside programs that keep every
    // CPU busy (a game), instead of after their longer slices.
    static_cast<void>(platform::RequestShortTimeSlices(kTimeSlice));
    LightingSettings settings(m_record);
    // The start pause ends early when stop is set, and the event is left as
    // it is: a stop that came during the pause must still end the thread.
    Clock::time_point due = Now() + m_hooks.startPause;
    if (!WaitUntil(due, stop)) {
        for (;;) {
            const std::chrono::milliseconds frame = kStopCheck + SpeedPause(settings.Speed());
            due += frame;
            if (WaitUntil(due, stop)) {
                break;
            }
            if (!m_hooks.isConnected()) {
                // The LEDs and the effect state keep their values, so the
                // effect goes on where it stopped when the mouse returns.
                due += kAwayPause;
                if (WaitUntil(due, stop)) {
                    break;
                }
                continue;
            }
            if (const std::chrono::milliseconds extra = ExtraPause(settings.Mode());
                extra.count() > 0) {
                due += extra;
                if (WaitUntil(due, stop)) {
                    break;
                }
            }
            if (!RunEffectStep(settings, m_state, m_leds)) {
                // No effect for this mode: the LEDs stay as the last one
                // left them and are still pushed.
                platform::DebugOutput::Write(kUnknownModeText);
            }
            m_hooks.pushFrame();
            if (const Clock::time_point now = Now(); now - due > frame) {
                due = now;
            }
        }
    }
    platform::DebugOutput::Write(kEndText);
}

}  // namespace varlok::lighting
