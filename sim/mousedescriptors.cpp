#include "sim/mousedescriptors.h"

#include <array>
#include <cstddef>

namespace varlok::sim {

namespace {

// Short items as in the USB HID specification 6.2.2.4 to 6.2.2.8; the comment
// beside each item names it.
constexpr auto kPointer = std::to_array<std::uint8_t>({
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Button)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x05,  //     Usage Maximum (5)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x95, 0x05,  //     Report Count (5)
    0x75, 0x01,  //     Report Size (1)
    0x81, 0x02,  //     Input (Data, Variable, Absolute)
    0x95, 0x01,  //     Report Count (1)
    0x75, 0x03,  //     Report Size (3)
    0x81, 0x01,  //     Input (Constant): padding to a byte
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x09, 0x38,  //     Usage (Wheel)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x03,  //     Report Count (3)
    0x81, 0x06,  //     Input (Data, Variable, Relative)
    0xC0,        //   End Collection
    0xC0,        // End Collection
});

constexpr auto kConsumer = std::to_array<std::uint8_t>({
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x02,        //   Report ID (2)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x0F,  //   Usage Maximum (0x0FFF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x0F,  //   Logical Maximum (0x0FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
});

constexpr auto kConfiguration = std::to_array<std::uint8_t>({
    0x06, 0x1C, 0xFF,  // Usage Page (vendor-defined 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x92,        //   Usage (0x92)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x92,        //   Usage (0x92)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
});

template <std::size_t A, std::size_t B>
constexpr std::array<std::uint8_t, A + B> Concatenate(const std::array<std::uint8_t, A>& first,
                                                      const std::array<std::uint8_t, B>& second) {
    std::array<std::uint8_t, A + B> joined{};
    for (std::size_t i = 0; i < A; ++i) {
        joined[i] = first[i];
    }
    for (std::size_t i = 0; i < B; ++i) {
        joined[A + i] = second[i];
    }
    return joined;
}

constexpr auto kConfigInterface = Concatenate(kConsumer, kConfiguration);

}  // namespace

std::span<const std::uint8_t> PointerInterfaceDescriptor() {
    return kPointer;
}

std::span<const std::uint8_t> ConfigInterfaceDescriptor() {
    return kConfigInterface;
}

std::span<const std::uint8_t> DecoyInterfaceDescriptor() {
    return kConfiguration;
}

}  // namespace varlok::sim
