#pragma once

// The DPI values a stage slider offers and the codes the record stores for
// them, and the report rates the page offers: the one place these tables
// live.

#include <array>
#include <cstdint>
#include <optional>

namespace varlok::settings {

// Slider positions 0-15 store their own number as the code and stand for
// 250, 500, ..., 4000 DPI.
inline constexpr int kDpiPositions = 16;
inline constexpr int kHighestDpiPosition = kDpiPositions - 1;
inline constexpr int kDpiPerPosition = 250;

[[nodiscard]] constexpr std::uint8_t DpiCodeOfPosition(int position) {
    return static_cast<std::uint8_t>(position);
}
[[nodiscard]] constexpr int DpiOfPosition(int position) {
    return kDpiPerPosition * (position + 1);
}
// The first position whose code is `code`, or position 0 when none is.
[[nodiscard]] constexpr int DpiPositionOfCode(std::uint8_t code) {
    for (int position = 0; position < kDpiPositions; ++position) {
        if (DpiCodeOfPosition(position) == code) {
            return position;
        }
    }
    return 0;
}
// The position showing exactly this DPI, or none.
[[nodiscard]] constexpr std::optional<int> DpiPositionOfValue(int dpi) {
    for (int position = 0; position < kDpiPositions; ++position) {
        if (DpiOfPosition(position) == dpi) {
            return position;
        }
    }
    return std::nullopt;
}

// Report rates in Hz by the index the record stores (the order of the
// entries of the page's report-rate list).
inline constexpr std::array<int, 4> kReportRates{125, 250, 500, 1000};

[[nodiscard]] constexpr std::optional<std::uint8_t> ReportRateIndex(int hertz) {
    for (std::size_t index = 0; index < kReportRates.size(); ++index) {
        if (kReportRates[index] == hertz) {
            return static_cast<std::uint8_t>(index);
        }
    }
    return std::nullopt;
}

}  // namespace varlok::settings
