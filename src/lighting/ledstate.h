#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "lighting/lightingsettings.h"
#include "settings/sharedbyte.h"

namespace varlok::lighting {

inline constexpr std::size_t kLedCount = 24;      // 18 strip, 3 logo, 1 wheel, 2 preview-only
inline constexpr std::size_t kStripLeds = 18;     // LEDs 0-17
inline constexpr std::size_t kFirstLogoLed = 18;  // LEDs 18-20
inline constexpr std::size_t kWheelLed = 21;
inline constexpr std::size_t kFrameLeds = 22;  // the frame carries LEDs 0-21
inline constexpr std::size_t kFrameSize = kFrameLeds * 3;
using LightingFrame = std::array<std::uint8_t, kFrameSize>;

// One LED as the effects leave it: its colour and the level the frame scales
// it by.
struct LedColour {
    Rgb colour;
    std::uint8_t level = 0;
    friend constexpr bool operator==(const LedColour&, const LedColour&) = default;
};

// The 24 LEDs the effects fill. The lighting worker writes them and the UI
// thread reads them for the frame and the preview, without a lock: every
// byte is a relaxed atomic, so a frame read during a step may mix two steps,
// but never a torn byte. Any thread.
class LedState {
public:
    [[nodiscard]] LedColour Get(std::size_t led) const;
    void Set(std::size_t led, LedColour value);

    // The Reactive effect clears the previews of every LED (22 and 23 too,
    // which the frame push never tints) while no flash is active. The worker
    // cannot touch controls, so it raises this request and the next push on
    // the UI thread carries it out.
    void RequestPreviewClear() { m_previewClear.Set(1); }
    // True once per request. UI thread.
    [[nodiscard]] bool TakePreviewClear();

    // The worker counts the steps it completes, and a push takes each step
    // once: the frame timer can fire twice for one step (the step's arming
    // came while the timer of the step before was still due), and the mouse
    // must not get the same frame twice. CompleteStep: the worker's thread,
    // after the step's LEDs are set. TakeNewStep: true when a step was
    // completed since its last call; UI thread.
    void CompleteStep() { m_steps.fetch_add(1, std::memory_order_release); }
    [[nodiscard]] bool TakeNewStep();

private:
    std::array<std::array<settings::SharedByte, 4>, kLedCount> m_leds;
    settings::SharedByte m_previewClear;
    std::atomic<std::uint32_t> m_steps{0};
    std::uint32_t m_stepsTaken = 0;
};

// The frame value of one channel: the high byte of channel x level.
[[nodiscard]] constexpr std::uint8_t ScaledChannel(std::uint8_t channel, std::uint8_t level) {
    return static_cast<std::uint8_t>((channel * level) >> 8);
}

// The 66-byte lighting frame of LEDs 0-21 (R, G, B each, scaled by level).
[[nodiscard]] LightingFrame BuildFrame(const LedState& leds);

}  // namespace varlok::lighting
