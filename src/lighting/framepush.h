#pragma once

#include <cstdint>

#include "device/devicelink.h"
#include "lighting/ledstate.h"

namespace varlok::lighting {

// Where the frame push shows the LEDs: the 24 preview controls of the mouse
// picture. The page implements it with ui controls; tests record. UI thread.
class PreviewSink {
public:
    virtual ~PreviewSink() = default;
    [[nodiscard]] virtual bool IsPreviewVisible(std::size_t led) const = 0;
    // colour as the preview takes it: R | B << 8 | G << 16; alpha = level.
    virtual void SetPreviewTint(std::size_t led, std::uint32_t packedColour,
                                std::uint8_t alpha) = 0;
};

// R | B << 8 | G << 16, the packing of a preview tint.
[[nodiscard]] constexpr std::uint32_t PackPreviewTint(Rgb colour) {
    return static_cast<std::uint32_t>(colour.red) | (static_cast<std::uint32_t>(colour.blue) << 8) |
           (static_cast<std::uint32_t>(colour.green) << 16);
}

// PushMouseFrame: builds the frame from the LEDs and, while the link is
// connected, sends it (two 0x12 reports). A failed send pauses 5 ms and is
// not repeated. Returns the send's result, or std::nullopt when nothing was
// sent. Allocates nothing. Any thread: the lighting worker pushes its frames
// itself.
std::optional<device::LinkResult> PushMouseFrame(const LedState& leds, device::DeviceLink& link);

// ShowMouseFrame: the LEDs on their previews. Clears all 24 when the
// Reactive effect asked for it, then tints the visible previews of LEDs
// 0-21 (a hidden preview keeps its tint). UI thread.
void ShowMouseFrame(LedState& leds, PreviewSink& previews);

}  // namespace varlok::lighting
