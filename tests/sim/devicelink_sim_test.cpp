#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "simtestsupport.h"

// The host's configuration link against the virtual mouse: both halves of
// the protocol must agree on every command, and each fault of the mouse must
// reach the caller as the result code a real device would cause.
namespace varlok::sim::test {
namespace {

using device::DeviceLink;
using device::LinkResult;

class DeviceLinkSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_link.Init(0x0C45, 0x7643, 0x92, 0xFF1C);
        const auto lock = m_link.LockIo();
        ASSERT_TRUE(m_link.Device().Open(m_backend.PathOf(MouseCollection::Configuration), true,
                                         true, true, false));
        ASSERT_TRUE(m_link.MatchesOpenDevice());
        m_link.SetConnected(true);
    }

    std::shared_ptr<device::HidBus> m_bus = std::make_shared<device::HidBus>();
    std::shared_ptr<VirtualMouse> m_mouse = AttachVirtualMouse(*m_bus);
    VirtualHidBackend m_backend{m_mouse};
    DeviceLink m_link{m_bus};
};

TEST_F(DeviceLinkSimTest, FullReadMatchesTheMousesMemory) {
    KeyMemoryBytes keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = static_cast<std::uint8_t>(i * 13);
    }
    m_mouse->SetKeyMemory(keys);

    ASSERT_EQ(m_link.BeginTransfer(), LinkResult::Success);
    EXPECT_TRUE(m_mouse->InTransfer());
    device::DeviceInfo info;
    ASSERT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    EXPECT_EQ(info.Raw(), m_mouse->DeviceInfo());
    EXPECT_EQ(info.SensorCode(), 0x3360);
    EXPECT_EQ(info.MacroCapacityBytes(), 4096U);

    std::array<std::uint8_t, 512> block{};
    ASSERT_EQ(m_link.ReadActiveBlock(block), LinkResult::Success);
    EXPECT_EQ(block, m_mouse->FactoryKeyMap());
    for (unsigned index = 0; index < 5; ++index) {
        ASSERT_EQ(m_link.ReadStoredBlock(block, index), LinkResult::Success);
        EXPECT_EQ(block, m_mouse->StoredKeyBlock(index));
    }
    ASSERT_EQ(m_link.EndTransfer(), LinkResult::Success);
    EXPECT_FALSE(m_mouse->InTransfer());
}

TEST_F(DeviceLinkSimTest, WritesLandWhereTheCommandsAddressThem) {
    // The switch, then a whole record into the one in force: profile 3's.
    const std::array<std::uint8_t, 1> three{3};
    ASSERT_EQ(m_link.WriteSettings(three, 0), LinkResult::Success);
    std::array<std::uint8_t, 56> record{};
    record[14] = 2;
    ASSERT_EQ(m_link.WriteSettings(record, 0), LinkResult::Success);
    std::array<std::uint8_t, 1> active{};
    ASSERT_EQ(m_link.ReadSettings(active, 0), LinkResult::Success);
    EXPECT_EQ(active[0], 3);
    EXPECT_EQ(m_mouse->SettingsArea()[3 * 64 + 14], 2);

    std::array<std::uint8_t, 512> slot{};
    slot.fill(0x20);
    ASSERT_EQ(m_link.WriteStoredBlock(slot, 2), LinkResult::Success);
    EXPECT_EQ(m_mouse->StoredKeyBlock(2), slot);

    std::array<std::uint8_t, 66> frame{};
    frame[65] = 0x7F;
    ASSERT_EQ(m_link.SendLightingFrame(frame), LinkResult::Success);
    EXPECT_EQ(m_mouse->LightingFrame(), frame);

    ASSERT_EQ(m_link.RestoreDefaults(), LinkResult::Success);
    EXPECT_EQ(m_mouse->SettingsArea(), DeviceMemory::FactorySettingsArea());
    EXPECT_EQ(m_mouse->KeyMemory(), DeviceMemory::FactoryKeyMemory());
}

TEST_F(DeviceLinkSimTest, FaultsReachTheCallerAsResultCodes) {
    std::array<std::uint8_t, 1> byte{};
    VirtualMouse::Faults faults;
    faults.forcedStatus = 0xFF;
    m_mouse->SetFaults(faults);
    EXPECT_EQ(m_link.ReadSettings(byte, 0), LinkResult::DeviceFailed);
    faults.forcedStatus = 0xFE;
    m_mouse->SetFaults(faults);
    EXPECT_EQ(m_link.ReadSettings(byte, 0), LinkResult::DeviceRefused);

    faults = {};
    faults.failWrites = true;
    m_mouse->SetFaults(faults);
    m_mouse->ClearLog();
    EXPECT_EQ(m_link.BeginTransfer(), LinkResult::WriteFailed);
    EXPECT_EQ(m_mouse->Log().size(), 1U);

    faults = {};
    faults.silent = true;
    m_mouse->SetFaults(faults);
    m_mouse->ClearLog();
    EXPECT_EQ(m_link.BeginTransfer(), LinkResult::NoAnswer);
    EXPECT_EQ(m_mouse->Log().size(), 4U);  // four writes, no answer to read

    // The address check of the mouse shows a request outside its memory.
    m_mouse->SetFaults({});
    EXPECT_EQ(m_link.ReadSettings(byte, 320), LinkResult::DeviceFailed);
}

}  // namespace
}  // namespace varlok::sim::test
