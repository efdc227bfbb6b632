#pragma once

// The mouse's handling of configuration reports: checks each request,
// carries it out on the device memory and builds the answer report.
// Not thread-safe: VirtualMouse guards it with its own lock.

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/reportframe.h"
#include "sim/devicememory.h"

namespace varlok::sim {

class MouseFirmware {
public:
    // Answers one output report of the configuration collection. The answer
    // carries report id 0x04, a checksum over its bytes 3..63, the request's
    // command, length and offset in bytes 3..6 and the status in byte 7.
    // Reads return their data in bytes 8.. (zero after the length); writes and
    // the other commands echo the request's data bytes. A request that fails
    // any check (size, report id, command, checksum, length, address) is
    // answered with status 0xFF and zero data, and changes nothing.
    [[nodiscard]] device::ReportFrame Handle(std::span<const std::uint8_t> request);

    // The answer a request gets without being carried out: its bytes 3..6
    // echoed, the given status, zero data.
    [[nodiscard]] static device::ReportFrame Refuse(std::span<const std::uint8_t> request,
                                                    std::uint8_t status);

    [[nodiscard]] DeviceMemory& Memory() { return m_memory; }
    [[nodiscard]] const DeviceMemory& Memory() const { return m_memory; }

    // Between BeginTransfer and EndTransfer. The firmware accepts every command
    // outside the bracket too; this only lets tests see how hosts bracket.
    [[nodiscard]] bool InTransfer() const { return m_inTransfer; }
    // Lighting frames completed: chunks whose data reached the frame's last byte.
    [[nodiscard]] std::size_t LightingFrameCount() const { return m_lightingFrames; }
    // Requests carried out that changed the stored memory (settings, key
    // blocks, macro and cursor tables, RestoreDefaults); lighting frames
    // never count.
    [[nodiscard]] std::uint64_t StoredChanges() const { return m_storedChanges; }

private:
    DeviceMemory m_memory;
    bool m_inTransfer = false;
    std::size_t m_lightingFrames = 0;
    std::uint64_t m_storedChanges = 0;
};

}  // namespace varlok::sim
