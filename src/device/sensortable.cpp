#include "device/sensortable.h"

#include <algorithm>
#include <array>

namespace varlok::device {
namespace {

constexpr std::array<SensorInfo, 6> kSensors{{
    {0x3325, 200, "200", "5000", 6},
    {0x3327, 200, "200", "6200", 6},
    {0x3050, 250, "250", "4000", 7},
    {0x3330, 200, "50", "7200", 6},
    {0x3360, 100, "100", "12000", 6},
    {0x3310, 50, "50", "5000", 6},
}};

}  // namespace

std::span<const SensorInfo> SensorTable() {
    return kSensors;
}

std::optional<SensorInfo> FindSensor(std::uint16_t code) {
    const auto* found = std::find_if(kSensors.begin(), kSensors.end(),
                                     [code](const SensorInfo& row) { return row.code == code; });
    if (found == kSensors.end()) {
        return std::nullopt;
    }
    return *found;
}

}  // namespace varlok::device
