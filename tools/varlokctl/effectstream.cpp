#include "varlokctl/effectstream.h"

#include <chrono>
#include <thread>

#include "lighting/effects.h"

namespace varlok::tools {

namespace {

using Clock = std::chrono::steady_clock;

// The worker's wait on its stop event before every iteration, and the
// period of the timer that sends the frame after a step.
constexpr std::chrono::milliseconds kStopPoll{1};
constexpr std::chrono::milliseconds kPushDelay{10};

bool Interrupted(const std::atomic<bool>* interrupted) {
    return interrupted != nullptr && interrupted->load(std::memory_order_relaxed);
}

}  // namespace

EffectStream::EffectStream(device::DeviceLink& link, const EffectRequest& request)
    : m_link(link), m_request(request) {
    m_request.ApplyTo(m_settings);
}

device::LinkResult EffectStream::Run(const std::atomic<bool>* interrupted) {
    const bool fast = m_request.Fast();
    Clock::time_point lastStep = Clock::now();
    while (!Interrupted(interrupted) &&
           (!m_request.Frames() || m_framesSent < *m_request.Frames())) {
        if (!fast) {
            // The worker's pauses run from its previous step, while the push
            // of that step's frame happens meanwhile.
            std::this_thread::sleep_until(lastStep + kStopPoll +
                                          lighting::SpeedPause(m_settings.Speed()) +
                                          lighting::ExtraPause(m_settings.Mode()));
            lastStep = Clock::now();
        }
        static_cast<void>(lighting::RunEffectStep(m_settings, m_state, m_leds));
        if (!fast) {
            std::this_thread::sleep_until(lastStep + kPushDelay);
        }
        const device::LinkResult sent = m_link.SendLightingFrame(lighting::BuildFrame(m_leds));
        if (sent != device::LinkResult::Success) {
            return sent;
        }
        ++m_framesSent;
    }
    return device::LinkResult::Success;
}

}  // namespace varlok::tools
