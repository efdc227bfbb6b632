#pragma once

// A configuration collection (usage page 0xFF1C, usage 0x92) with report 4
// both ways (63 data bytes after the id) and an input-only report 5 that is
// no configuration answer, so that a link reading answers must skip it.
// Shared by the device link's tests and its fuzz target.

#include <array>
#include <cstdint>

namespace varlok::device::testing {

inline constexpr std::array<std::uint8_t, 33> kConfigurationWithOtherInputDescriptor{
    0x06, 0x1C, 0xFF,  // Usage Page (0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x85, 0x04,        //   Report ID (4)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x01,        //   Usage (1)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0x85, 0x05,        //   Report ID (5)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0xC0,              // End Collection
};

}  // namespace varlok::device::testing
