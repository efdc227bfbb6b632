#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "device/hidbus.h"
#include "device/hiddevice.h"
#include "simtestsupport.h"

// The virtual mouse as the program meets it: through a bus and HidDevice,
// walking paths, checking attributes and caps, and unpacking reports.
namespace varlok::sim::test {
namespace {

using device::HidBus;
using device::HidDevice;
using device::ReportKind;

class HidDeviceSimTest : public ::testing::Test {
protected:
    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<VirtualMouse> m_mouse = AttachVirtualMouse(*m_bus);
    HidDevice m_device{m_bus};

    // Walks the paths as the presence and notification monitors do and keeps
    // the first one of the mouse with the given top-level usage.
    std::string FindCollection(std::uint16_t usagePage, std::uint16_t usage, bool write) {
        EXPECT_TRUE(m_device.FindPaths());
        std::string accepted;
        while (const auto path = m_device.NextPath()) {
            if (HidDevice::ParseVendorId(*path) != 0x0C45) {
                continue;
            }
            if (!m_device.Open(*path, true, write, true, false)) {
                continue;
            }
            if (m_device.Attributes().productId == 0x7643 &&
                m_device.Caps().usagePage == usagePage && m_device.Caps().usage == usage) {
                accepted = *path;
                break;
            }
            m_device.Close();
        }
        m_device.FreePaths();
        return accepted;
    }
};

TEST_F(HidDeviceSimTest, PathWalkAcceptsOnlyTheMousesConfigurationCollection) {
    ASSERT_TRUE(m_device.FindPaths());
    EXPECT_EQ(m_device.PathCount(), 4U);
    m_device.FreePaths();

    const std::string path = FindCollection(0xFF1C, 0x92, true);
    EXPECT_EQ(path, "sim:mouse-1-if1#vid_0c45&pid_7643&mi_01&col02");
    EXPECT_EQ(m_device.InterfaceNumber(), 1U);
    EXPECT_EQ(m_device.CollectionNumber(), 2U);
    EXPECT_EQ(m_device.Caps().inputReportByteLength, 64);
    EXPECT_EQ(m_device.Caps().outputReportByteLength, 64);

    const auto request = Request(device::Command::ReadDeviceInfo, 0x21);
    ASSERT_TRUE(m_device.WriteReport(request.Raw(), nullptr, kGuard));
    m_mouse->PressEvent(0x402);  // a consumer report in between is not the answer
    std::vector<std::uint8_t> answer(64);
    std::size_t received = 0;
    ASSERT_TRUE(m_device.ReadReport(answer, &received, kGuard));
    EXPECT_EQ(received, 64U);
    EXPECT_EQ(answer[0], 0x04);
    EXPECT_EQ(answer[3], 0x03);
    EXPECT_EQ(answer[7], 0x00);
    const DeviceInfoBytes info = m_mouse->DeviceInfo();
    EXPECT_TRUE(std::equal(info.begin(), info.end(), answer.begin() + 8));
}

TEST_F(HidDeviceSimTest, ConsumerReportsUnpackToTheEventCode) {
    ASSERT_FALSE(FindCollection(0x000C, 0x0001, false).empty());
    EXPECT_EQ(m_device.CollectionNumber(), 1U);
    ASSERT_FALSE(m_device.Items(ReportKind::Input).empty());

    for (const std::uint16_t code : {0x401, 0x402, 0x403}) {
        SCOPED_TRACE(code);
        m_mouse->PressEvent(code);
        auto buffer = m_device.ReportBuffer(ReportKind::Input);
        std::size_t received = 0;
        ASSERT_TRUE(m_device.ReadReport(buffer, &received, kGuard));
        ASSERT_TRUE(m_device.UnpackReport(buffer.first(received), ReportKind::Input));
        EXPECT_EQ(m_device.Items(ReportKind::Input)[0].usages.at(0), code);

        ASSERT_TRUE(m_device.ReadReport(buffer, &received, kGuard));
        ASSERT_TRUE(m_device.UnpackReport(buffer.first(received), ReportKind::Input));
        EXPECT_EQ(m_device.Items(ReportKind::Input)[0].usages.at(0), 0);
    }
}

TEST_F(HidDeviceSimTest, CloseAndUnplugEndAWaitingRead) {
    ASSERT_FALSE(FindCollection(0x000C, 0x0001, false).empty());
    auto closed = std::async(std::launch::async, [this] {
        std::vector<std::uint8_t> buffer(3);
        return m_device.ReadReport(buffer, nullptr, device::kWaitForever);
    });
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, kGuard));
    m_device.Close();
    ASSERT_EQ(closed.wait_for(kGuard), std::future_status::ready);
    EXPECT_FALSE(closed.get());

    const std::string path = FindCollection(0x000C, 0x0001, false);
    ASSERT_FALSE(path.empty());
    auto unplugged = std::async(std::launch::async, [this] {
        std::vector<std::uint8_t> buffer(3);
        return m_device.ReadReport(buffer, nullptr, device::kWaitForever);
    });
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, kGuard));
    m_mouse->Unplug();
    ASSERT_EQ(unplugged.wait_for(kGuard), std::future_status::ready);
    EXPECT_FALSE(unplugged.get());
    EXPECT_FALSE(m_device.ProbePath(path));

    m_mouse->Plug();
    EXPECT_FALSE(m_device.ProbePath(path));
    EXPECT_FALSE(FindCollection(0x000C, 0x0001, false).empty());
}

}  // namespace
}  // namespace varlok::sim::test
