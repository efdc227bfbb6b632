#include "lighting/ledstate.h"

namespace varlok::lighting {

namespace {
enum Byte : std::size_t { kRed, kGreen, kBlue, kLevel };
}  // namespace

LedColour LedState::Get(std::size_t led) const {
    const auto& bytes = m_leds.at(led);
    return LedColour{Rgb{bytes[kRed].Get(), bytes[kGreen].Get(), bytes[kBlue].Get()},
                     bytes[kLevel].Get()};
}

void LedState::Set(std::size_t led, LedColour value) {
    auto& bytes = m_leds.at(led);
    bytes[kRed].Set(value.colour.red);
    bytes[kGreen].Set(value.colour.green);
    bytes[kBlue].Set(value.colour.blue);
    bytes[kLevel].Set(value.level);
}

bool LedState::TakePreviewClear() {
    if (m_previewClear.Get() == 0) {
        return false;
    }
    m_previewClear.Set(0);
    return true;
}

bool LedState::TakeNewStep() {
    const std::uint32_t steps = m_steps.load(std::memory_order_acquire);
    if (steps == m_stepsTaken) {
        return false;
    }
    m_stepsTaken = steps;
    return true;
}

LightingFrame BuildFrame(const LedState& leds) {
    LightingFrame frame{};
    for (std::size_t i = 0; i < kFrameLeds; ++i) {
        const LedColour led = leds.Get(i);
        frame[3 * i] = ScaledChannel(led.colour.red, led.level);
        frame[3 * i + 1] = ScaledChannel(led.colour.green, led.level);
        frame[3 * i + 2] = ScaledChannel(led.colour.blue, led.level);
    }
    return frame;
}

}  // namespace varlok::lighting
