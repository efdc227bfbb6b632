#include "lighting/lightingworker.h"

#include <thread>
#include <utility>

#include "lighting/effects.h"
#include "platform/debugoutput.h"

namespace varlok::lighting {

namespace {

constexpr std::chrono::milliseconds kStopPoll{1};
constexpr std::string_view kUnknownModeText = "鼠标灯光线程设定2";
constexpr std::string_view kEndText = "鼠标灯光线程设定退出";

}  // namespace

LightingWorker::LightingWorker(settings::SettingsRecord& record, EffectState& state, LedState& leds,
                               Hooks hooks)
    : m_record(record), m_state(state), m_leds(leds), m_hooks(std::move(hooks)) {}

bool LightingWorker::Pause(std::chrono::milliseconds duration, platform::Event& stop) {
    if (duration <= std::chrono::milliseconds::zero()) {
        return stop.IsSet();
    }
    if (m_hooks.sleep) {
        m_hooks.sleep(duration);
        return stop.IsSet();
    }
    // Waiting on the stop event rather than sleeping lets shutdown end the
    // worker at once instead of after the rest of a pause.
    return stop.Wait(duration);
}

void LightingWorker::Run(platform::Event& stop) {
    LightingSettings settings(m_record);
    // The start pause ends early when stop is set, and the event is left as
    // it is: a stop that came during the pause must still end the thread.
    if (!Pause(m_hooks.startPause, stop)) {
        while (!stop.Wait(kStopPoll)) {
            if (Pause(SpeedPause(settings.Speed()), stop)) {
                break;
            }
            if (!m_hooks.isConnected()) {
                // The LEDs and the effect state keep their values, so the
                // effect goes on where it stopped when the mouse returns.
                if (Pause(kAwayPause, stop)) {
                    break;
                }
                continue;
            }
            if (Pause(ExtraPause(settings.Mode()), stop)) {
                break;
            }
            if (!RunEffectStep(settings, m_state, m_leds)) {
                // No effect for this mode: the LEDs stay as the last one
                // left them and are still pushed.
                platform::DebugOutput::Write(kUnknownModeText);
            }
            m_leds.CompleteStep();
            m_hooks.requestPush();
        }
    }
    platform::DebugOutput::Write(kEndText);
}

}  // namespace varlok::lighting
