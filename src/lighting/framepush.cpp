#include "lighting/framepush.h"

#include <chrono>
#include <thread>

namespace varlok::lighting {

namespace {
constexpr std::chrono::milliseconds kPauseAfterFailedSend{5};
}  // namespace

std::optional<device::LinkResult> PushMouseFrame(const LedState& leds, device::DeviceLink& link) {
    const LightingFrame frame = BuildFrame(leds);
    if (!link.IsConnected()) {
        return std::nullopt;
    }
    const device::LinkResult result = link.SendLightingFrame(frame);
    if (result != device::LinkResult::Success) {
        std::this_thread::sleep_for(kPauseAfterFailedSend);
    }
    return result;
}

void ShowMouseFrame(LedState& leds, PreviewSink& previews) {
    if (leds.TakePreviewClear()) {
        for (std::size_t i = 0; i < kLedCount; ++i) {
            previews.SetPreviewTint(i, 0, 0);
        }
    }
    for (std::size_t i = 0; i < kFrameLeds; ++i) {
        if (previews.IsPreviewVisible(i)) {
            const LedColour led = leds.Get(i);
            previews.SetPreviewTint(i, PackPreviewTint(led.colour), led.level);
        }
    }
}

}  // namespace varlok::lighting
