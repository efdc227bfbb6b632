#include "varlokctl/settingsrecordview.h"

#include <cstdio>
#include <string>

#include "settings/dpitable.h"
#include "varlokctl/hexformat.h"

namespace varlok::tools {
namespace {

constexpr std::size_t kColourSize = 3;

std::span<const std::uint8_t, kColourSize> ColourAt(std::span<const std::uint8_t> bytes,
                                                    std::size_t index) {
    return bytes.subspan(index).first<kColourSize>();
}

}  // namespace

std::span<const std::uint8_t, 3> SettingsRecordView::StageColour(std::size_t stage) const {
    return ColourAt(m_bytes, kStageColoursIndex + kColourSize * (stage % kStageCount));
}

std::span<const std::uint8_t, 3> SettingsRecordView::WheelColour() const {
    return ColourAt(m_bytes, kWheelColourIndex);
}

std::span<const std::uint8_t, 3> SettingsRecordView::LogoColour() const {
    return ColourAt(m_bytes, kLogoColourIndex);
}

std::optional<unsigned> SettingsRecordView::DpiOfCode(std::uint8_t code) {
    // A code no slider position stores is shown as such, not as the DPI the
    // page would fall back to.
    if (code > settings::kHighestDpiPosition) {
        return std::nullopt;
    }
    return static_cast<unsigned>(settings::DpiOfPosition(settings::DpiPositionOfCode(code)));
}

std::string SettingsRecordView::Describe() const {
    std::string text = LabelledLine("active profile", std::to_string(ActiveProfile())) +
                       LabelledLine("lighting bytes", HexBytes(Lighting())) +
                       LabelledLine("report rate index", std::to_string(ReportRateIndex()));
    char value[96];
    for (std::size_t stage = 0; stage < kStageCount; ++stage) {
        const std::uint8_t code = DpiStageCode(stage);
        const std::string colour = HexColour(StageColour(stage));
        if (const std::optional<unsigned> dpi = DpiOfCode(code)) {
            std::snprintf(value, sizeof value, "code %2u = %u DPI, colour %s", code, *dpi,
                          colour.c_str());
        } else {
            std::snprintf(value, sizeof value, "code %2u (not in the DPI table), colour %s", code,
                          colour.c_str());
        }
        text += LabelledLine("DPI stage " + std::to_string(stage + 1), value);
    }
    const std::uint8_t current = CurrentStage();
    if (current < kStageCount) {
        std::snprintf(value, sizeof value, "%u (stage %u)", current, current + 1U);
    } else {
        std::snprintf(value, sizeof value, "%u (out of range)", current);
    }
    return text + LabelledLine("current stage", value) +
           LabelledLine("wheel colour", HexColour(WheelColour())) +
           LabelledLine("logo colour", HexColour(LogoColour()));
}

}  // namespace varlok::tools
