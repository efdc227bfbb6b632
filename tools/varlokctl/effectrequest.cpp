#include "varlokctl/effectrequest.h"

#include <algorithm>
#include <charconv>

#include "varlokctl/settingschange.h"

namespace varlok::tools {

namespace {

template <typename Number>
std::optional<Number> ParseDecimal(std::string_view text) {
    Number value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ParseLevel(std::string_view option, std::string_view argument,
                                      std::uint8_t levels, std::uint8_t& level) {
    const std::optional<unsigned> value = ParseDecimal<unsigned>(argument);
    if (!value || *value >= levels) {
        return std::string(option) + " needs a number from 0 to " + std::to_string(levels - 1) +
               ", not '" + std::string(argument) + "'";
    }
    level = static_cast<std::uint8_t>(*value);
    return std::nullopt;
}

std::optional<std::string> ParseRgb(std::string_view option, std::string_view argument,
                                    lighting::Rgb& colour, std::optional<lighting::Rgb>& given) {
    const std::optional<SettingsChange::Colour> parsed = ParseColour(argument);
    if (!parsed) {
        return std::string(option) + " needs a colour as six hex digits RRGGBB, not '" +
               std::string(argument) + "'";
    }
    colour = lighting::Rgb{(*parsed)[0], (*parsed)[1], (*parsed)[2]};
    given = colour;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> EffectRequest::SetMode(std::string_view argument) {
    const auto named = std::ranges::find(kModeNames, argument);
    if (named != kModeNames.end()) {
        m_mode = static_cast<std::uint8_t>(named - kModeNames.begin());
        m_given.mode = m_mode;
        return std::nullopt;
    }
    const std::optional<unsigned> number = ParseDecimal<unsigned>(argument);
    if (!number || *number >= lighting::kModeCount) {
        std::string names;
        for (const std::string_view name : kModeNames) {
            names += names.empty() ? "" : ", ";
            names += name;
        }
        return "effect needs a mode from 0 to 6 or one of " + names + ", not '" +
               std::string(argument) + "'";
    }
    m_mode = static_cast<std::uint8_t>(*number);
    m_given.mode = m_mode;
    return std::nullopt;
}

std::optional<std::string> EffectRequest::SetSpeed(std::string_view argument) {
    std::optional<std::string> refusal =
        ParseLevel("--speed", argument, lighting::kSpeedLevels, m_speed);
    if (!refusal) {
        m_given.speed = m_speed;
    }
    return refusal;
}

std::optional<std::string> EffectRequest::SetBrightness(std::string_view argument) {
    std::optional<std::string> refusal =
        ParseLevel("--brightness", argument, lighting::kBrightnessLevels, m_brightness);
    if (!refusal) {
        m_given.brightness = m_brightness;
    }
    return refusal;
}

std::optional<std::string> EffectRequest::SetDirection(std::string_view argument) {
    if (std::ranges::find(kDirectionNames, argument) == kDirectionNames.end()) {
        return "--direction needs left or right, not '" + std::string(argument) + "'";
    }
    m_left = argument == kDirectionNames[0];
    m_given.left = m_left;
    return std::nullopt;
}

std::optional<std::string> EffectRequest::SetColour(std::string_view argument) {
    return ParseRgb("--colour", argument, m_colour, m_given.colour);
}

std::optional<std::string> EffectRequest::SetWheelColour(std::string_view argument) {
    return ParseRgb("--wheel", argument, m_wheelColour, m_given.wheel);
}

std::optional<std::string> EffectRequest::SetLogoColour(std::string_view argument) {
    return ParseRgb("--logo", argument, m_logoColour, m_given.logo);
}

void EffectRequest::SetSevenColour(bool seven) {
    m_sevenColour = seven;
    if (seven) {
        m_given.sevenColour = true;
    }
}

std::optional<std::string> EffectRequest::SetFrames(std::string_view argument) {
    const std::optional<std::uint64_t> count = ParseDecimal<std::uint64_t>(argument);
    if (!count || *count == 0) {
        return "--frames needs a count of at least 1, not '" + std::string(argument) + "'";
    }
    m_frames = count;
    return std::nullopt;
}

void EffectRequest::ApplyTo(lighting::LightingSettings& settings) const {
    settings.SetMode(m_mode);
    settings.SetBrightness(m_brightness);
    settings.SetSpeed(m_speed);
    settings.SetDirectionLeft(m_left);
    settings.SetSevenColour(m_sevenColour ? 1 : 0);
    settings.SetColour(m_colour);
    settings.SetWheelColour(m_wheelColour);
    settings.SetLogoColour(m_logoColour);
}

}  // namespace varlok::tools
