#pragma once

// Report descriptors of the simulated interfaces, as bytes a device would
// return; the items are those of the USB HID specification (6.2.2).

#include <cstddef>
#include <cstdint>
#include <span>

namespace varlok::sim {

// Report id of the consumer-control collection's input report: the id, then
// one 16-bit usage (0 when no key is down).
inline constexpr std::uint8_t kConsumerReportId = 0x02;
inline constexpr std::size_t kConsumerReportSize = 3;

// Interface 0: a boot-like mouse, no report ids: 5 buttons, X, Y, wheel.
[[nodiscard]] std::span<const std::uint8_t> PointerInterfaceDescriptor();
// Interface 1: consumer control (report id 2, one 16-bit array field of
// usages 0..0x0FFF) followed by the configuration collection 0xFF1C/0x92
// (report id 4, 63-byte input and output reports).
[[nodiscard]] std::span<const std::uint8_t> ConfigInterfaceDescriptor();
// The decoy's only interface: the configuration collection alone.
[[nodiscard]] std::span<const std::uint8_t> DecoyInterfaceDescriptor();

}  // namespace varlok::sim
