#pragma once

// The colour tables the mouse effects walk: written once here as constexpr
// data, the colour wheel and the tables derived from others generated at
// compile time.

#include <array>
#include <cstddef>
#include <cstdint>

#include "lighting/lightingsettings.h"

namespace varlok::lighting {

namespace detail {

// The two ramps each wheel segment is built from: one rising to 255, one
// falling to 0.
inline constexpr std::array<std::uint8_t, 32> kRisingRamp{
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<std::uint8_t, 32> kFallingRamp{
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

// The rising half of the fade curve; the falling half mirrors it.
inline constexpr std::array<std::uint8_t, 64> kFadeRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

inline constexpr std::size_t kSegmentLength = kRisingRamp.size();
inline constexpr std::size_t kWheelTurn = 6 * kSegmentLength;

constexpr std::array<Rgb, 256> MakeColourWheel() {
    std::array<Rgb, 256> wheel{};
    for (std::size_t segment = 0; segment < 6; ++segment) {
        for (std::size_t k = 0; k < kSegmentLength; ++k) {
            const std::uint8_t up = kRisingRamp[k];
            const std::uint8_t down = kFallingRamp[k];
            const std::array<Rgb, 6> bySegment{Rgb{255, up, 0}, Rgb{down, 255, 0},
                                               Rgb{0, 255, up}, Rgb{0, down, 255},
                                               Rgb{up, 0, 255}, Rgb{255, 0, down}};
            wheel[segment * kSegmentLength + k] = bySegment[segment];
        }
    }
    // Past one turn the wheel starts again, so that any byte indexes it.
    for (std::size_t i = kWheelTurn; i < wheel.size(); ++i) {
        wheel[i] = wheel[i - kWheelTurn];
    }
    return wheel;
}

constexpr std::array<std::uint8_t, 128> MakeFadeCurve() {
    std::array<std::uint8_t, 128> curve{};
    for (std::size_t i = 0; i < kFadeRise.size(); ++i) {
        curve[i] = kFadeRise[i];
        curve[curve.size() - 1 - i] = kFadeRise[i];
    }
    return curve;
}

}  // namespace detail

// One turn of colour in 192 entries (six segments of 32), then entries 0-63
// again so that a byte index never runs off the end.
inline constexpr std::size_t kColourWheelTurn = detail::kWheelTurn;
inline constexpr std::array<Rgb, 256> ColourWheel = detail::MakeColourWheel();

// Rises from 0 to 255 over 64 entries and falls back over the next 64.
inline constexpr std::array<std::uint8_t, 128> FadeCurve = detail::MakeFadeCurve();

// The middle of the fade curve (entries 16-111): 22 up to 255 and back to 22.
inline constexpr std::size_t kWaveTableStart = 16;
inline constexpr std::array<std::uint8_t, 96> WaveTable = [] {
    std::array<std::uint8_t, 96> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = FadeCurve[kWaveTableStart + i];
    }
    return table;
}();

// Gradient flow: one turn of the wheel followed by black, 400 entries.
inline constexpr std::array<Rgb, 400> GradientTable = [] {
    std::array<Rgb, 400> table{};
    for (std::size_t i = 0; i < kColourWheelTurn; ++i) {
        table[i] = ColourWheel[i];
    }
    return table;
}();

// Breathing's seven colours.
inline constexpr std::array<Rgb, 7> MouseSevenColours{
    Rgb{255, 0, 0},   Rgb{0, 255, 0},   Rgb{0, 0, 255},    Rgb{255, 255, 0},
    Rgb{255, 0, 255}, Rgb{0, 255, 255}, Rgb{255, 255, 255}};

// Trail's seven colours; blue comes twice (entries 3 and 5), as the mouse
// has always shown it.
inline constexpr std::array<Rgb, 7> TrailColours{
    Rgb{255, 0, 0},   Rgb{255, 128, 0}, Rgb{255, 255, 0}, Rgb{0, 0, 255},
    Rgb{0, 255, 255}, Rgb{0, 0, 255},   Rgb{255, 0, 255}};

}  // namespace varlok::lighting
