#pragma once

// Helpers shared by the virtual mouse tests: a mouse with its backend,
// request frames built byte by byte, one exchange on a connection, and a
// snapshot of all device memory for "nothing changed" checks.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "device/hidbackend.h"
#include "device/reportframe.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::sim::test {

// Only a guard against hanging: answers of the virtual mouse are immediate.
inline constexpr std::chrono::milliseconds kGuard{10000};

// A request as hosts build it: report id, command, length, offset, data,
// then the checksum over bytes 3..63.
inline device::ReportFrame Request(device::Command command, std::uint8_t length = 0,
                                   std::uint16_t offset = 0,
                                   std::span<const std::uint8_t> data = {}) {
    device::ReportFrame frame(command);
    frame.SetLength(length);
    frame.SetOffset(offset);
    frame.SetData(data);
    frame.Seal();
    return frame;
}

struct MemorySnapshot {
    DeviceInfoBytes info;
    SettingsAreaBytes settings;
    FactoryKeyMapBytes factoryKeyMap;
    KeyMemoryBytes keyMemory;
    std::vector<std::uint8_t> macroTable;
    CursorTableBytes cursorTable;
    LightingFrameBytes lightingFrame;

    explicit MemorySnapshot(const VirtualMouse& mouse)
        : info(mouse.DeviceInfo()),
          settings(mouse.SettingsArea()),
          factoryKeyMap(mouse.FactoryKeyMap()),
          keyMemory(mouse.KeyMemory()),
          macroTable(mouse.MacroTable()),
          cursorTable(mouse.CursorTable()),
          lightingFrame(mouse.LightingFrame()) {}
    friend bool operator==(const MemorySnapshot&, const MemorySnapshot&) = default;
};

class SimTest : public ::testing::Test {
protected:
    std::unique_ptr<device::HidConnection> OpenPath(const std::string& path, bool read = true,
                                                    bool write = true) {
        device::HidOpenError error = device::HidOpenError::Failed;
        auto connection = m_backend->Open(path, {read, write, false}, error);
        EXPECT_NE(connection, nullptr) << path;
        EXPECT_EQ(error, device::HidOpenError::None);
        return connection;
    }
    std::unique_ptr<device::HidConnection> OpenConfig() {
        return OpenPath(m_backend->PathOf(MouseCollection::Configuration));
    }
    std::unique_ptr<device::HidConnection> OpenConsumer() {
        return OpenPath(m_backend->PathOf(MouseCollection::Consumer), true, false);
    }

    // Writes the request and returns the answer read back (empty when none came).
    static std::vector<std::uint8_t> Exchange(device::HidConnection& connection,
                                              std::span<const std::uint8_t> request) {
        const auto written = connection.Write(request, kGuard);
        EXPECT_EQ(written.status, device::TransferStatus::Done);
        std::vector<std::uint8_t> answer(device::ReportFrame::kSize);
        const auto read = connection.Read(answer, kGuard);
        if (read.status != device::TransferStatus::Done) {
            return {};
        }
        answer.resize(read.bytes);
        return answer;
    }
    std::vector<std::uint8_t> Exchange(const device::ReportFrame& request) {
        if (!m_config) {
            m_config = OpenConfig();
        }
        return Exchange(*m_config, request.Raw());
    }

    std::shared_ptr<VirtualMouse> m_mouse = std::make_shared<VirtualMouse>();
    std::shared_ptr<VirtualHidBackend> m_backend = std::make_shared<VirtualHidBackend>(m_mouse);
    std::unique_ptr<device::HidConnection> m_config;
};

}  // namespace varlok::sim::test
