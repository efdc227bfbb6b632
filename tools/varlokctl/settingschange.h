#pragma once

// The changes "varlokctl set" makes to a settings record: parsed and checked
// from the command line before the mouse is opened, then applied to the
// record read back from the mouse, so that everything not named keeps the
// value the mouse holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/deviceidentity.h"
#include "settings/settingsrecord.h"

namespace varlok::tools {

class SettingsChange {
public:
    using Colour = std::array<std::uint8_t, settings::SettingsRecord::kColourSize>;
    static constexpr std::size_t kStageCount = settings::SettingsRecord::kDpiStageCount;

    // Each of these takes one option's value and returns nothing when it is
    // taken, or the message that refuses it (the change is then unchanged).
    // A stage named twice keeps the value named last.

    // "STAGE=DPI": stage 1-7, a DPI of the slider table.
    [[nodiscard]] std::optional<std::string> AddDpi(std::string_view argument);
    // "STAGE=RRGGBB": six hex digits in either case, optionally led by '#'.
    [[nodiscard]] std::optional<std::string> AddStageColour(std::string_view argument);
    // "HZ": one of the report rates the record can store.
    [[nodiscard]] std::optional<std::string> SetReportRate(std::string_view argument);
    // "STAGE": the current DPI stage, 1-7.
    [[nodiscard]] std::optional<std::string> SetCurrentStage(std::string_view argument);

    [[nodiscard]] bool Empty() const;

    // What was named, for a way to the mouse that changes field by field.
    // stage: 1-7.
    [[nodiscard]] std::optional<int> Dpi(unsigned stage) const { return m_dpis.at(stage - 1); }
    [[nodiscard]] std::optional<Colour> StageColour(unsigned stage) const {
        return m_colours.at(stage - 1);
    }
    [[nodiscard]] std::optional<int> ReportRate() const;
    [[nodiscard]] std::optional<unsigned> CurrentStage() const { return m_currentStage; }

    // Writes the named fields into record (the 56 bytes a settings read
    // returns) and leaves every other byte as it is.
    void ApplyTo(std::span<std::uint8_t, device::kExchangedRecordSize> record) const;

private:
    // Indexed by stage - 1.
    std::array<std::optional<int>, kStageCount> m_dpis{};
    std::array<std::optional<Colour>, kStageCount> m_colours{};
    std::optional<std::uint8_t> m_reportRateIndex;
    std::optional<unsigned> m_currentStage;
};

// Six hex digits RRGGBB in either case, optionally led by '#'; nothing when
// the text is no such colour.
[[nodiscard]] std::optional<SettingsChange::Colour> ParseColour(std::string_view text);

}  // namespace varlok::tools
