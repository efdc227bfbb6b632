#pragma once

// The reads the bus service makes of the mouse for its callers: straight from
// the device, into buffers of their own, leaving the mirror alone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/devicelink.h"

namespace varlok::service {

// A read that did not succeed: the command and what it returned.
struct ReadFailure {
    std::string command;
    device::LinkResult result = device::LinkResult::NoAnswer;
};

// Everything the mouse holds that the host reads: the information block, the
// factory key map, the key blocks of onboard profiles 0-4 and their settings
// records (56 bytes each).
struct DeviceDump {
    std::vector<std::uint8_t> info;
    std::vector<std::uint8_t> factoryKeyMap;
    std::vector<std::vector<std::uint8_t>> keyBlocks;
    std::vector<std::vector<std::uint8_t>> settingsRecords;
};

// Each read runs under the link's I/O lock, so no other command lands in it.
// Any thread; a failure names the command that failed.

[[nodiscard]] std::optional<ReadFailure> ReadInfoBlock(device::DeviceLink& link,
                                                       std::vector<std::uint8_t>& info);
// The record of onboard profile (0-4).
[[nodiscard]] std::optional<ReadFailure> ReadProfileRecord(device::DeviceLink& link,
                                                           unsigned profile,
                                                           std::vector<std::uint8_t>& record);
// The whole dump in one BeginTransfer ... EndTransfer bracket; it stops at the
// first failure (the bracket is closed all the same).
[[nodiscard]] std::optional<ReadFailure> ReadDump(device::DeviceLink& link, DeviceDump& dump);

// "the mouse did not answer ReadSettings" and the like.
[[nodiscard]] std::string DescribeFailure(const ReadFailure& failure);

}  // namespace varlok::service
