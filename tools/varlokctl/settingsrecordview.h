#pragma once

// Read-only decoding of the mouse's settings record (the 56 bytes a settings
// read returns; the record proper is the first 50) for the tool's output.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace varlok::tools {

// Names the fields of one settings record.
class SettingsRecordView {
public:
    static constexpr std::size_t kExchangedSize = 56;
    static constexpr std::size_t kRecordSize = 50;
    static constexpr std::size_t kActiveProfileIndex = 0;
    static constexpr std::size_t kLightingIndex = 1;
    static constexpr std::size_t kLightingSize = 9;
    static constexpr std::size_t kReportRateIndex = 14;
    static constexpr std::size_t kStageCount = 7;
    // Stage 5 sits after the current-stage byte.
    static constexpr std::array<std::size_t, kStageCount> kDpiStageIndices{15, 16, 17, 18,
                                                                           20, 21, 22};
    static constexpr std::size_t kCurrentStageIndex = 19;
    static constexpr std::size_t kStageColoursIndex = 23;  // 3 bytes a stage: red, green, blue
    static constexpr std::size_t kWheelColourIndex = 44;
    static constexpr std::size_t kLogoColourIndex = 47;
    // DPI table: code p stands for 250 x (p + 1) DPI, p = 0 to 15.
    static constexpr unsigned kDpiPerCode = 250;
    static constexpr std::uint8_t kHighestDpiCode = 15;

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
