#include "service/effectoptions.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "lighting/rgbtext.h"
#include "service/messagetext.h"

namespace varlok::service {

namespace {

using platform::BusValue;

// The options of SetLightingEffect: each takes its variant's value into the
// change, or returns why not.
struct EffectOption {
    std::string_view name;
    std::optional<std::string> (*take)(const BusValue& value, lighting::EffectChange& change);
};

std::optional<std::string> Level(const BusValue& value, std::uint8_t levels,
                                 std::optional<std::uint8_t>& level) {
    const std::optional<std::int64_t> number = value.AsInteger();
    if (!number || *number < 0 || *number >= levels) {
        return "a number from 0 to " + std::to_string(levels - 1);
    }
    level = static_cast<std::uint8_t>(*number);
    return std::nullopt;
}

std::optional<std::string> ColourOption(const BusValue& value, std::optional<lighting::Rgb>& rgb) {
    rgb = lighting::ParseRgbText(value.AsString().value_or(std::string()));
    return rgb ? std::nullopt : std::optional<std::string>("a colour as six hex digits rrggbb");
}

constexpr std::array<EffectOption, 7> kEffectOptions{{
    {"speed",
     [](const BusValue& value, lighting::EffectChange& change) {
         return Level(value, lighting::kSpeedLevels, change.speed);
     }},
    {"brightness",
     [](const BusValue& value, lighting::EffectChange& change) {
         return Level(value, lighting::kBrightnessLevels, change.brightness);
     }},
    {"direction",
     [](const BusValue& value, lighting::EffectChange& change) -> std::optional<std::string> {
         const std::string direction = value.AsString().value_or(std::string());
         if (direction != "left" && direction != "right") {
             return "\"left\" or \"right\"";
         }
         change.left = direction == "left";
         return std::nullopt;
     }},
    {"seven",
     [](const BusValue& value, lighting::EffectChange& change) -> std::optional<std::string> {
         change.sevenColour = value.AsBoolean();
         return change.sevenColour ? std::nullopt : std::optional<std::string>("a boolean");
     }},
    {"colour", [](const BusValue& value,
                  lighting::EffectChange& change) { return ColourOption(value, change.colour); }},
    {"wheel", [](const BusValue& value,
                 lighting::EffectChange& change) { return ColourOption(value, change.wheel); }},
    {"logo", [](const BusValue& value,
                lighting::EffectChange& change) { return ColourOption(value, change.logo); }},
}};

}  // namespace

std::optional<std::string> TakeEffectOptions(const BusValue& options,
                                             lighting::EffectChange& change) {
    for (const BusValue& entry : options.Items()) {
        const std::string name = entry.Items().at(0).AsString().value_or(std::string());
        const BusValue& variant = entry.Items().at(1);
        const BusValue value = variant.Items().empty() ? variant : variant.Items().front();
        const auto option = std::ranges::find(kEffectOptions, name, &EffectOption::name);
        if (option == kEffectOptions.end()) {
            std::vector<std::string_view> names;
            for (const EffectOption& known : kEffectOptions) {
                names.push_back(known.name);
            }
            return "unknown option " + Quoted(name) + "; the options are " + JoinNames(names);
        }
        if (const std::optional<std::string> wanted = option->take(value, change)) {
            return "the option " + Quoted(name) + " needs " + *wanted;
        }
    }
    return std::nullopt;
}

}  // namespace varlok::service
