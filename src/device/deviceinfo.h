#pragma once

// The mouse's 33-byte information block as ReadDeviceInfo returns it. The
// host interprets a few bytes (macro capacity, sensor, DPI capability) and
// keeps the others verbatim.

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/deviceidentity.h"

namespace varlok::device {

// Named access to the interpreted bytes of the information block.
class DeviceInfo {
public:
    static constexpr std::size_t kSize = kDeviceInfoSize;
    static constexpr std::size_t kMacroUnitsIndex = 6;
    static constexpr std::size_t kSensorCodeIndex = 9;  // 16-bit little-endian, bytes 9-10
    static constexpr std::size_t kDpiStepIndex = 11;
    static constexpr std::size_t kHighestDpiPositionIndex = 12;
    static constexpr std::size_t kBaseDpiIndex = 13;  // 16-bit little-endian, bytes 13-14
    // Macro memory is counted in units of this many bytes.
    static constexpr std::size_t kMacroUnitBytes = 128;

    using Bytes = std::array<std::uint8_t, kSize>;

    DeviceInfo() = default;
    explicit DeviceInfo(const Bytes& bytes) : m_bytes(bytes) {}

    [[nodiscard]] std::uint8_t MacroUnits() const { return m_bytes[kMacroUnitsIndex]; }
    [[nodiscard]] std::size_t MacroCapacityBytes() const { return MacroUnits() * kMacroUnitBytes; }
    [[nodiscard]] std::uint16_t SensorCode() const;
    // DPI added per step of a stage slider.
    [[nodiscard]] std::uint8_t DpiStep() const { return m_bytes[kDpiStepIndex]; }
    [[nodiscard]] std::uint8_t HighestDpiPosition() const {
        return m_bytes[kHighestDpiPositionIndex];
    }
    [[nodiscard]] std::uint16_t BaseDpi() const;
    // The host replaces the device's value with the one its sensor table gives.
    void SetBaseDpi(std::uint16_t dpi);

    [[nodiscard]] Bytes& Raw() { return m_bytes; }
    [[nodiscard]] const Bytes& Raw() const { return m_bytes; }

    friend bool operator==(const DeviceInfo&, const DeviceInfo&) = default;

private:
    Bytes m_bytes{};
};

static_assert(DeviceInfo::kBaseDpiIndex + 2 <= DeviceInfo::kSize);

}  // namespace varlok::device
