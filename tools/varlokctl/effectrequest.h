#pragma once

// What "varlokctl effect" runs: the lighting settings of one effect and how
// many frames, parsed and checked from the command line before the mouse is
// opened.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lighting/effectchange.h"
#include "lighting/lightingsettings.h"

namespace varlok::tools {

class EffectRequest {
public:
    // By mode byte.
    static constexpr const std::array<std::string_view, lighting::kModeCount>& kModeNames =
        lighting::kModeNames;
    // What SetDirection takes.
    static constexpr std::array<std::string_view, 2> kDirectionNames{"left", "right"};

    // Each of these takes one option's value and returns nothing when it is
    // taken, or the message that refuses it (the request is then unchanged).

    // 0-6 or the mode's name.
    [[nodiscard]] std::optional<std::string> SetMode(std::string_view argument);
    // 0-4 each.
    [[nodiscard]] std::optional<std::string> SetSpeed(std::string_view argument);
    [[nodiscard]] std::optional<std::string> SetBrightness(std::string_view argument);
    // "left" or "right".
    [[nodiscard]] std::optional<std::string> SetDirection(std::string_view argument);
    // RRGGBB, as for the stage colours.
    [[nodiscard]] std::optional<std::string> SetColour(std::string_view argument);
    [[nodiscard]] std::optional<std::string> SetWheelColour(std::string_view argument);
    [[nodiscard]] std::optional<std::string> SetLogoColour(std::string_view argument);
    // A count of at least 1.
    [[nodiscard]] std::optional<std::string> SetFrames(std::string_view argument);
    // Only true counts as given.
    void SetSevenColour(bool seven);
    void SetFast(bool fast) { m_fast = fast; }

    // Writes mode, brightness, speed, direction, seven-colour flag and the
    // three colours; the effect phase byte stays as it is.
    void ApplyTo(lighting::LightingSettings& settings) const;

    [[nodiscard]] std::uint8_t Mode() const { return m_mode; }
    [[nodiscard]] std::string_view ModeName() const { return kModeNames[m_mode]; }
    // Nothing: until interrupted.
    [[nodiscard]] std::optional<std::uint64_t> Frames() const { return m_frames; }
    // No sleeps at all.
    [[nodiscard]] bool Fast() const { return m_fast; }
    // The mode and the options the command line gave, the others unset: for
    // a window that keeps what was not named.
    [[nodiscard]] const lighting::EffectChange& Given() const { return m_given; }

private:
    std::uint8_t m_mode = 0;
    std::uint8_t m_speed = 2;
    std::uint8_t m_brightness = lighting::kBrightnessLevels - 1;
    bool m_left = false;
    bool m_sevenColour = false;
    lighting::Rgb m_colour{255, 0, 0};
    lighting::Rgb m_wheelColour;
    lighting::Rgb m_logoColour;
    std::optional<std::uint64_t> m_frames;
    bool m_fast = false;
    lighting::EffectChange m_given;
};

}  // namespace varlok::tools
