#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "settings/mousemirror.h"
#include "settings/settingsrecord.h"

namespace varlok::lighting {

// Red, green and blue bytes as the device and the files keep them.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The effects, by the mode byte's value.
enum class LightingMode : std::uint8_t {
    Wave = 0,
    Trail = 1,
    Spectrum = 2,
    GradientFlow = 3,
    Breathing = 4,
    StaticZones = 5,
    Reactive = 6,
};
inline constexpr std::uint8_t kModeCount = 7;
// The effects' names as the command-line tool and the bus service take them,
// by mode byte.
inline constexpr std::array<std::string_view, kModeCount> kModeNames{
    "wave", "trail", "spectrum", "gradient", "breathing", "static", "reactive"};

// The zone the colour picker edits in the static-zones mode (MouseZoneSlot).
enum class MouseZone : std::uint8_t { Wheel = 0, Logo = 1, Bottom = 2 };

// Levels 0-4 of the brightness setting pick the first five entries; the
// other ten are in the table and produced by no setting.
inline constexpr std::array<std::uint8_t, 15> kBrightnessTable{
    45, 97, 149, 201, 255, 120, 135, 150, 165, 180, 195, 210, 225, 240, 255};
inline constexpr std::uint8_t kBrightnessLevels = 5;
inline constexpr std::uint8_t kSpeedLevels = 5;

// The 8-bit scale factor of a brightness level. Only a damaged file or
// device record holds a level past the table; it scales like the last entry.
[[nodiscard]] constexpr std::uint8_t BrightnessScale(std::uint8_t level) {
    return kBrightnessTable[level < kBrightnessTable.size() ? level : kBrightnessTable.size() - 1];
}

// The lighting bytes of the mouse's settings record, by name. A view: it
// reads and writes the record it was given, whose bytes other threads may
// use at the same time (each access is one whole byte). Any thread.
class LightingSettings {
public:
    static constexpr std::size_t kMode = settings::SettingsRecord::kLightingBlock;
    static constexpr std::size_t kBrightness = kMode + 1;
    static constexpr std::size_t kSpeed = kMode + 2;
    static constexpr std::size_t kDirection = kMode + 3;
    static constexpr std::size_t kSevenColour = kMode + 4;
    static constexpr std::size_t kColour = kMode + 5;
    static constexpr std::size_t kPhase = kMode + 8;
    static constexpr std::size_t kWheelColour = settings::SettingsRecord::kWheelColour;
    static constexpr std::size_t kLogoColour = settings::SettingsRecord::kLogoColour;
    // The value the seven-colour byte takes when a mode is chosen from the
    // first mode list; any value but 0 means seven colours.
    static constexpr std::uint8_t kSevenColourFromModeList = 0xFF;

    explicit LightingSettings(settings::SettingsRecord& record) : m_record(record) {}

    [[nodiscard]] std::uint8_t Mode() const { return m_record.Get(kMode); }
    void SetMode(std::uint8_t mode) { m_record.Set(kMode, mode); }
    [[nodiscard]] std::uint8_t Brightness() const { return m_record.Get(kBrightness); }
    void SetBrightness(std::uint8_t level) { m_record.Set(kBrightness, level); }
    // 0 is the fastest.
    [[nodiscard]] std::uint8_t Speed() const { return m_record.Get(kSpeed); }
    void SetSpeed(std::uint8_t level) { m_record.Set(kSpeed, level); }
    // True for left (1), false for right (0).
    [[nodiscard]] bool DirectionLeft() const { return m_record.Get(kDirection) != 0; }
    void SetDirectionLeft(bool left) { m_record.Set(kDirection, left ? 1 : 0); }
    [[nodiscard]] bool SevenColour() const { return m_record.Get(kSevenColour) != 0; }
    void SetSevenColour(std::uint8_t flag) { m_record.Set(kSevenColour, flag); }
    // The single colour, also the bottom zone's.
    [[nodiscard]] Rgb Colour() const { return ColourAt(kColour); }
    void SetColour(Rgb colour) { SetColourAt(kColour, colour); }
    [[nodiscard]] Rgb WheelColour() const { return ColourAt(kWheelColour); }
    void SetWheelColour(Rgb colour) { SetColourAt(kWheelColour, colour); }
    [[nodiscard]] Rgb LogoColour() const { return ColourAt(kLogoColour); }
    void SetLogoColour(Rgb colour) { SetColourAt(kLogoColour, colour); }
    [[nodiscard]] std::uint8_t Phase() const { return m_record.Get(kPhase); }
    void SetPhase(std::uint8_t phase) { m_record.Set(kPhase, phase); }

private:
    [[nodiscard]] Rgb ColourAt(std::size_t offset) const;
    void SetColourAt(std::size_t offset, Rgb colour);

    settings::SettingsRecord& m_record;
};

// The body of a lighting profile (.led): the settings record, the pointer
// speed, the wheel lines and twelve bytes carried as the staging area holds
// them.
inline constexpr std::size_t kLightingBodySize = settings::kRecordSize;
inline constexpr std::size_t kLightingPointerSpeedByte = settings::SettingsRecord::kSize;
inline constexpr std::size_t kLightingWheelLinesByte = kLightingPointerSpeedByte + 1;
using LightingBody = std::array<std::uint8_t, kLightingBodySize>;

// Stages the live lighting settings in record table entry 0 (record, pointer
// speed, wheel lines; the rest as carried) and returns the entry. UI thread.
[[nodiscard]] LightingBody StageLightingBody(settings::MouseMirror& mirror);
// Takes a loaded body into the live settings: entry 0 becomes the body, the
// record its first 50 bytes, and the pointer speed and wheel lines its bytes
// 50 and 51 (0 read as 1). UI thread.
void TakeLightingBody(std::span<const std::uint8_t, kLightingBodySize> body,
                      settings::MouseMirror& mirror);

}  // namespace varlok::lighting
