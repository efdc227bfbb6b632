#include "varlokctl/settingschange.h"

#include <algorithm>
#include <charconv>

#include "lighting/rgbtext.h"
#include "settings/dpitable.h"

namespace varlok::tools {
namespace {

using settings::SettingsRecord;

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<SettingsChange::Colour> ParseColour(std::string_view text) {
    const std::optional<lighting::Rgb> colour = lighting::ParseRgbText(text);
    if (!colour) {
        return std::nullopt;
    }
    return SettingsChange::Colour{colour->red, colour->green, colour->blue};
}

namespace {

std::string Refusal(std::string_view option, std::string_view argument, std::string_view reason) {
    return std::string(option) + " '" + std::string(argument) + "': " + std::string(reason);
}

// "STAGE=VALUE" split into the stage (1-7) and the value, or the refusal.
struct StageArgument {
    unsigned stage = 0;
    std::string_view value;
    std::optional<std::string> refusal;
};

StageArgument SplitStage(std::string_view option, std::string_view argument,
                         std::string_view valueName) {
    StageArgument split;
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos) {
        split.refusal = Refusal(option, argument, "expected STAGE=" + std::string(valueName));
        return split;
    }
    const std::optional<int> stage = ParseNumber(argument.substr(0, equals));
    if (!stage || *stage < 1 || *stage > static_cast<int>(SettingsChange::kStageCount)) {
        split.refusal = Refusal(
            option, argument,
            "the stage must be a number from 1 to " + std::to_string(SettingsChange::kStageCount));
        return split;
    }
    split.stage = static_cast<unsigned>(*stage);
    split.value = argument.substr(equals + 1);
    return split;
}

std::string AllowedReportRates() {
    std::string text;
    for (std::size_t i = 0; i < settings::kReportRates.size(); ++i) {
        if (i > 0) {
            text += i + 1 == settings::kReportRates.size() ? " or " : ", ";
        }
        text += std::to_string(settings::kReportRates[i]);
    }
    return text;
}

}  // namespace

std::optional<std::string> SettingsChange::AddDpi(std::string_view argument) {
    constexpr std::string_view kOption = "--dpi";
    const StageArgument split = SplitStage(kOption, argument, "DPI");
    if (split.refusal) {
        return split.refusal;
    }
    const std::optional<int> dpi = ParseNumber(split.value);
    const std::optional<int> position = dpi ? settings::DpiPositionOfValue(*dpi) : std::nullopt;
    if (!position) {
        return Refusal(kOption, argument,
                       std::string(split.value) +
                           " is not a DPI the mouse takes; allowed are the multiples of " +
                           std::to_string(settings::kDpiPerPosition) + " from " +
                           std::to_string(settings::DpiOfPosition(0)) + " to " +
                           std::to_string(settings::DpiOfPosition(settings::kHighestDpiPosition)));
    }
    m_dpiCodes[split.stage - 1] = settings::DpiCodeOfPosition(*position);
    return std::nullopt;
}

std::optional<std::string> SettingsChange::AddStageColour(std::string_view argument) {
    constexpr std::string_view kOption = "--stage-colour";
    const StageArgument split = SplitStage(kOption, argument, "RRGGBB");
    if (split.refusal) {
        return split.refusal;
    }
    const std::optional<Colour> colour = ParseColour(split.value);
    if (!colour) {
        return Refusal(kOption, argument,
                       std::string(split.value) +
                           " is not a colour; give six hex digits RRGGBB (a leading '#' is fine)");
    }
    m_colours[split.stage - 1] = *colour;
    return std::nullopt;
}

std::optional<std::string> SettingsChange::SetReportRate(std::string_view argument) {
    const std::optional<int> hertz = ParseNumber(argument);
    const std::optional<std::uint8_t> index =
        hertz ? settings::ReportRateIndex(*hertz) : std::nullopt;
    if (!index) {
        return Refusal("--report-rate", argument,
                       std::string(argument) +
                           " Hz is not a report rate of the mouse; allowed are " +
                           AllowedReportRates());
    }
    m_reportRateIndex = *index;
    return std::nullopt;
}

bool SettingsChange::Empty() const {
    const auto unset = [](const auto& value) { return !value.has_value(); };
    return !m_reportRateIndex && std::ranges::all_of(m_dpiCodes, unset) &&
           std::ranges::all_of(m_colours, unset);
}

void SettingsChange::ApplyTo(std::span<std::uint8_t, device::kExchangedRecordSize> record) const {
    for (unsigned stage = 1; stage <= kStageCount; ++stage) {
        if (const auto& code = m_dpiCodes[stage - 1]) {
            record[SettingsRecord::DpiStageOffset(stage)] = *code;
        }
        if (const auto& colour = m_colours[stage - 1]) {
            std::ranges::copy(*colour, record.begin() + SettingsRecord::DpiColourOffset(stage));
        }
    }
    if (m_reportRateIndex) {
        record[SettingsRecord::kReportRate] = *m_reportRateIndex;
    }
}

}  // namespace varlok::tools
