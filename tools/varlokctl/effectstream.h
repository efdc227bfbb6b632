#pragma once

// Streams one effect to the mouse frame by frame, as the lighting worker and
// the frame push of the program do, on one thread: each frame is one effect
// step followed, about 10 ms later, by the 66-byte frame in two lighting
// reports; the next step comes the worker's pauses after the previous one.

#include <atomic>
#include <cstdint>

#include "device/devicelink.h"
#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingsettings.h"
#include "settings/settingsrecord.h"
#include "varlokctl/effectrequest.h"

namespace varlok::tools {

class EffectStream {
public:
    // The effect state starts as at program start. link must outlive this.
    EffectStream(device::DeviceLink& link, const EffectRequest& request);

    // Sends frames until the request's count is reached, interrupted (when
    // given) becomes true, or a send fails; a frame is never cut short.
    // Returns the failing send's result, or Success.
    [[nodiscard]] device::LinkResult Run(const std::atomic<bool>* interrupted);

    [[nodiscard]] std::uint64_t FramesSent() const { return m_framesSent; }

private:
    device::DeviceLink& m_link;
    const EffectRequest& m_request;
    settings::SettingsRecord m_record;
    lighting::LightingSettings m_settings{m_record};
    lighting::EffectState m_state;
    lighting::LedState m_leds;
    std::uint64_t m_framesSent = 0;
};

}  // namespace varlok::tools
