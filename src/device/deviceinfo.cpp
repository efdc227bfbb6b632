#include "device/deviceinfo.h"

namespace varlok::device {

std::uint16_t DeviceInfo::SensorCode() const {
    return static_cast<std::uint16_t>(m_bytes[kSensorCodeIndex] |
                                      (m_bytes[kSensorCodeIndex + 1] << 8));
}

std::uint16_t DeviceInfo::BaseDpi() const {
    return static_cast<std::uint16_t>(m_bytes[kBaseDpiIndex] | (m_bytes[kBaseDpiIndex + 1] << 8));
}

void DeviceInfo::SetBaseDpi(std::uint16_t dpi) {
    m_bytes[kBaseDpiIndex] = static_cast<std::uint8_t>(dpi & 0xFF);
    m_bytes[kBaseDpiIndex + 1] = static_cast<std::uint8_t>(dpi >> 8);
}

}  // namespace varlok::device
