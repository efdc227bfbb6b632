#include "service/devicereads.h"

#include <array>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"

namespace varlok::service {

namespace {

using device::LinkResult;

std::optional<ReadFailure> Failed(std::string_view command, LinkResult result) {
    if (result == LinkResult::Success) {
        return std::nullopt;
    }
    return ReadFailure{std::string(command), result};
}

std::uint16_t RecordOffset(unsigned profile) {
    return static_cast<std::uint16_t>(profile * device::kRecordStride);
}

}  // namespace

std::optional<ReadFailure> ReadInfoBlock(device::DeviceLink& link,
                                         std::vector<std::uint8_t>& info) {
    device::DeviceInfo block;
    if (auto failure = Failed("ReadDeviceInfo", link.ReadDeviceInfo(block))) {
        return failure;
    }
    info.assign(block.Raw().begin(), block.Raw().end());
    return std::nullopt;
}

std::optional<ReadFailure> ReadProfileRecord(device::DeviceLink& link, unsigned profile,
                                             std::vector<std::uint8_t>& record) {
    std::array<std::uint8_t, device::kExchangedRecordSize> bytes{};
    if (auto failure = Failed("ReadSettings", link.ReadSettings(bytes, RecordOffset(profile)))) {
        return failure;
    }
    record.assign(bytes.begin(), bytes.end());
    return std::nullopt;
}

std::optional<ReadFailure> ReadDump(device::DeviceLink& link, DeviceDump& dump) {
    const auto lock = link.LockIo();
    std::optional<ReadFailure> failure = Failed("BeginTransfer", link.BeginTransfer());
    if (!failure) {
        failure = ReadInfoBlock(link, dump.info);
    }
    if (!failure) {
        dump.factoryKeyMap.assign(link.BlockSize(), 0);
        failure = Failed("ReadActiveBlock", link.ReadActiveBlock(dump.factoryKeyMap));
    }
    for (unsigned index = 0; !failure && index < device::kOnboardProfileCount; ++index) {
        std::vector<std::uint8_t>& block = dump.keyBlocks.emplace_back(link.BlockSize(), 0);
        failure = Failed("ReadStoredBlock", link.ReadStoredBlock(block, index));
    }
    for (unsigned index = 0; !failure && index < device::kOnboardProfileCount; ++index) {
        failure = ReadProfileRecord(link, index, dump.settingsRecords.emplace_back());
    }
    const LinkResult ended = link.EndTransfer();
    return failure ? failure : Failed("EndTransfer", ended);
}

std::string DescribeFailure(const ReadFailure& failure) {
    switch (failure.result) {
        case LinkResult::NoAnswer:
            return "the mouse did not answer " + failure.command;
        case LinkResult::DeviceFailed:
        case LinkResult::DeviceRefused:
            return "the mouse answered " + failure.command + " with a failure status (" +
                   std::string(device::Describe(failure.result)) + ")";
        default:
            return failure.command + " failed: " + std::string(device::Describe(failure.result));
    }
}

}  // namespace varlok::service
