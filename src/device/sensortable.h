#pragma once

// The mouse sensors the host knows, selected by the sensor code of the
// information block: the base DPI written back into the block and the texts
// of the DPI stages' range labels. The one place this table lives.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace varlok::device {

// One row of the sensor table.
struct SensorInfo {
    std::uint16_t code = 0;
    std::uint16_t baseDpi = 0;
    std::string_view minLabel;
    std::string_view maxLabel;
    // Stages 1 to this number get the range labels; later stages keep theirs.
    int stagesLabelled = 0;

    friend bool operator==(const SensorInfo&, const SensorInfo&) = default;
};

// Every row, in table order.
[[nodiscard]] std::span<const SensorInfo> SensorTable();
// The row of that sensor code; none for a sensor the table does not list.
[[nodiscard]] std::optional<SensorInfo> FindSensor(std::uint16_t code);

}  // namespace varlok::device
