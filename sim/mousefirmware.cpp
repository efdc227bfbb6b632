#include "sim/mousefirmware.h"

#include <algorithm>
#include <array>
#include <optional>

namespace varlok::sim {

using device::Command;
using device::ReportFrame;

namespace {

enum class Access { None, Read, Write };

struct CommandRule {
    Command command = Command::BeginTransfer;
    Access access = Access::None;
    std::optional<MemoryRegion> region;  // none: length and offset must be 0
};

// What each command addresses and in which direction; the one table of the
// commands the firmware knows.
constexpr std::array<CommandRule, 12> kCommandRules = {{
    {Command::BeginTransfer, Access::None, std::nullopt},
    {Command::EndTransfer, Access::None, std::nullopt},
    {Command::ReadDeviceInfo, Access::Read, MemoryRegion::DeviceInfo},
    {Command::ReadSettings, Access::Read, MemoryRegion::Settings},
    {Command::WriteSettings, Access::Write, MemoryRegion::Settings},
    {Command::ReadActiveBlock, Access::Read, MemoryRegion::FactoryKeyMap},
    {Command::ReadStoredBlock, Access::Read, MemoryRegion::KeyBlocks},
    {Command::WriteStoredBlock, Access::Write, MemoryRegion::KeyBlocks},
    {Command::RestoreDefaults, Access::None, std::nullopt},
    {Command::SendLightingFrame, Access::Write, MemoryRegion::LightingFrame},
    {Command::WriteMacroData, Access::Write, MemoryRegion::MacroTable},
    {Command::WriteCursorData, Access::Write, MemoryRegion::CursorTable},
}};

const CommandRule* FindRule(std::uint8_t code) {
    const auto* rule = std::find_if(
        kCommandRules.begin(), kCommandRules.end(),
        [code](const CommandRule& r) { return static_cast<std::uint8_t>(r.command) == code; });
    return rule == kCommandRules.end() ? nullptr : rule;
}

bool ChecksumValid(const ReportFrame& request) {
    // RestoreDefaults travels with both checksum bytes 0, whatever its sum.
    if (request.CommandCode() == static_cast<std::uint8_t>(Command::RestoreDefaults)) {
        return request.StoredChecksum() == 0;
    }
    return request.StoredChecksum() == request.ComputeChecksum();
}

bool LengthValid(const ReportFrame& request, Command command) {
    if (command == Command::ReadDeviceInfo) {
        return request.Length() == ReportFrame::kDeviceInfoLength;
    }
    return request.Length() <= ReportFrame::kDataCapacity;
}

}  // namespace

ReportFrame MouseFirmware::Refuse(std::span<const std::uint8_t> request, std::uint8_t status) {
    ReportFrame answer;
    auto& bytes = answer.Raw();
    bytes[ReportFrame::kReportIdIndex] = ReportFrame::kReportId;
    for (std::size_t i = ReportFrame::kCommandIndex;
         i < ReportFrame::kStatusIndex && i < request.size(); ++i) {
        bytes[i] = request[i];
    }
    bytes[ReportFrame::kStatusIndex] = status;
    answer.Seal();
    return answer;
}

ReportFrame MouseFirmware::Handle(std::span<const std::uint8_t> input) {
    if (input.size() != ReportFrame::kSize) {
        return Refuse(input, ReportFrame::kStatusFailed);
    }
    const ReportFrame request = ReportFrame::FromBytes(input);
    const CommandRule* rule = FindRule(request.CommandCode());
    if (request.ReportId() != ReportFrame::kReportId || rule == nullptr ||
        !ChecksumValid(request) || !LengthValid(request, rule->command)) {
        return Refuse(input, ReportFrame::kStatusFailed);
    }
    const std::size_t length = request.Length();
    const std::size_t offset = request.Offset();
    std::span<std::uint8_t> target;
    if (rule->region) {
        const std::span<std::uint8_t> region = m_memory.Region(*rule->region);
        if (offset + length > region.size()) {
            return Refuse(input, ReportFrame::kStatusFailed);
        }
        target = region.subspan(offset, length);
    } else if (length != 0 || offset != 0) {
        return Refuse(input, ReportFrame::kStatusFailed);
    }

    // The settings area does not map offsets one to one: its first bytes are
    // the record in force.
    const bool settings = rule->region == MemoryRegion::Settings;
    ReportFrame answer = request;
    answer.Raw()[ReportFrame::kStatusIndex] = 0x00;
    switch (rule->access) {
        case Access::Read:
            std::ranges::fill(answer.Data(), 0);
            if (settings) {
                if (!m_memory.ReadSettings(offset, answer.Data().first(length))) {
                    return Refuse(input, ReportFrame::kStatusFailed);
                }
            } else {
                std::ranges::copy(target, answer.Data().begin());
            }
            break;
        case Access::Write:
            if (settings) {
                if (!m_memory.WriteSettings(offset, request.Data().first(length))) {
                    return Refuse(input, ReportFrame::kStatusFailed);
                }
            } else {
                std::copy_n(request.Data().begin(), length, target.begin());
            }
            if (rule->command == Command::SendLightingFrame) {
                if (length > 0 && offset + length == kLightingFrameSize) {
                    ++m_lightingFrames;
                }
            } else {
                ++m_storedChanges;
            }
            break;
        case Access::None:
            if (rule->command == Command::BeginTransfer) {
                m_inTransfer = true;
            } else if (rule->command == Command::EndTransfer) {
                m_inTransfer = false;
            } else if (rule->command == Command::RestoreDefaults) {
                m_memory.RestoreFactorySettings();
                ++m_storedChanges;
            }
            break;
    }
    answer.Seal();
    return answer;
}

}  // namespace varlok::sim
