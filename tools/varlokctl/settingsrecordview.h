#pragma once

// Read-only decoding of the mouse's settings record (the 56 bytes a settings
// read returns; the record proper is the first 50) for the tool's output.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "settings/settingsrecord.h"

namespace varlok::tools {

// Names the fields of one settings record.
class SettingsRecordView {
public:
    // The byte layout is the one the mirror keeps; the tool only reads it.
    using Layout = settings::SettingsRecord;
    static constexpr std::size_t kExchangedSize = device::kExchangedRecordSize;
    static constexpr std::size_t kRecordSize = Layout::kSize;
    static constexpr std::size_t kActiveProfileIndex = Layout::kActiveProfile;
    static constexpr std::size_t kLightingIndex = Layout::kLightingBlock;
    static constexpr std::size_t kLightingSize = Layout::kLightingBlockSize;
    static constexpr std::size_t kReportRateIndex = Layout::kReportRate;
    static constexpr std::size_t kStageCount = Layout::kDpiStageCount;
    static constexpr auto kDpiStageIndices = Layout::kDpiStageOffsets;
    static constexpr std::size_t kCurrentStageIndex = Layout::kCurrentDpiStage;
    static constexpr std::size_t kStageColoursIndex = Layout::kDpiColours;
    static constexpr std::size_t kWheelColourIndex = Layout::kWheelColour;
    static constexpr std::size_t kLogoColourIndex = Layout::kLogoColour;

    explicit SettingsRecordView(std::span<const std::uint8_t, kExchangedSize> bytes)
        : m_bytes(bytes) {}

    [[nodiscard]] std::uint8_t ActiveProfile() const { return m_bytes[kActiveProfileIndex]; }
    [[nodiscard]] std::span<const std::uint8_t> Lighting() const {
        return m_bytes.subspan(kLightingIndex, kLightingSize);
    }
    [[nodiscard]] std::uint8_t ReportRateIndex() const { return m_bytes[kReportRateIndex]; }
    // stage 0-6 (stage 1-7 to the user).
    [[nodiscard]] std::uint8_t DpiStageCode(std::size_t stage) const {
        return m_bytes[kDpiStageIndices.at(stage)];
    }
    // 0-6 when the mouse reports a valid stage.
    [[nodiscard]] std::uint8_t CurrentStage() const { return m_bytes[kCurrentStageIndex]; }
    [[nodiscard]] std::span<const std::uint8_t, 3> StageColour(std::size_t stage) const;
    [[nodiscard]] std::span<const std::uint8_t, 3> WheelColour() const;
    [[nodiscard]] std::span<const std::uint8_t, 3> LogoColour() const;

    // The DPI a stage code stands for; none for a code outside the table.
    [[nodiscard]] static std::optional<unsigned> DpiOfCode(std::uint8_t code);

    // The decoded record, one field a line.
    [[nodiscard]] std::string Describe() const;

private:
    std::span<const std::uint8_t, kExchangedSize> m_bytes;
};

}  // namespace varlok::tools
