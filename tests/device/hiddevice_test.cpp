#include "device/hiddevice.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "device/hidusages.h"
#include "hidfakebackend.h"
#include "hidtestdata.h"

namespace varlok::device {
namespace {

using testing::Bytes;
using testing::FakeBackend;
using testing::FakeNode;
using testing::LoadDescriptor;

constexpr auto kHangGuard = std::chrono::seconds(30);
constexpr HidAttributes kMouse{0x0C45, 0x7643, 0x0102};

const std::string kConsumerPath = "fake:if1#vid_0c45&pid_7643&mi_01&col01";
const std::string kVendorPath = "fake:if1#vid_0c45&pid_7643&mi_01&col02";
const std::string kPointerPath = "fake:if0#vid_0c45&pid_7643&mi_00";

class HidDeviceTest : public ::testing::Test {
protected:
    HidDeviceTest() {
        m_bus->Attach(m_backend);
        m_interface1 = m_backend->AddNode("if1", LoadDescriptor("vendor-consumer.hex"), kMouse);
        m_interface0 = m_backend->AddNode("if0", LoadDescriptor("mouse-8button-pan.hex"), kMouse);
    }

    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<FakeBackend> m_backend = std::make_shared<FakeBackend>();
    std::shared_ptr<FakeNode> m_interface1;
    std::shared_ptr<FakeNode> m_interface0;
};

std::vector<std::uint8_t> VendorReport(std::uint8_t first) {
    std::vector<std::uint8_t> report(64, 0);
    report[0] = 0x04;
    report[1] = first;
    return report;
}

TEST_F(HidDeviceTest, PathListKeepsEveryPathAndSkipsEmptyEntries) {
    auto second = std::make_shared<FakeBackend>("other");
    m_bus->Attach(second);
    for (int i = 0; i < 19; ++i) {
        m_backend->AddPath("fake:n" + std::to_string(i) + "#vid_0c45&pid_" + std::to_string(i));
        if (i == 7) {
            m_backend->AddPath("");
        }
    }
    second->AddPath("other:x#vid_1234&pid_0001");

    HidDevice device(m_bus);
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.PathCount(), 20u);
    std::vector<std::string> walked;
    while (const auto path = device.NextPath()) {
        walked.push_back(*path);
    }
    ASSERT_EQ(walked.size(), 20u);
    EXPECT_EQ(walked[0], "fake:n0#vid_0c45&pid_0");
    EXPECT_EQ(walked[8], "fake:n8#vid_0c45&pid_8");
    EXPECT_EQ(walked[19], "other:x#vid_1234&pid_0001");
    EXPECT_FALSE(device.NextPath());

    // A new enumeration starts over; freeing leaves nothing to walk.
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.NextPath(), "fake:n0#vid_0c45&pid_0");
    device.FreePaths();
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_FALSE(device.NextPath());
}

TEST_F(HidDeviceTest, EnumerationFailsOnlyWhenEveryBackendFails) {
    HidDevice empty(std::make_shared<HidBus>());
    EXPECT_TRUE(empty.FindPaths());
    EXPECT_EQ(empty.PathCount(), 0u);
    EXPECT_FALSE(empty.NextPath());

    m_backend->AddPath(kPointerPath);
    m_backend->FailEnumeration(true);
    HidDevice device(m_bus);
    EXPECT_FALSE(device.FindPaths());
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_FALSE(device.NextPath());

    auto healthy = std::make_shared<FakeBackend>("other");
    healthy->AddPath("other:a#vid_0001&pid_0002");
    m_bus->Attach(healthy);
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.NextPath(), "other:a#vid_0001&pid_0002");
}

TEST_F(HidDeviceTest, OpenPassesTheAccessFlagsAndMapsFailures) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kConsumerPath, true, false, true, false));
    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, true));
    const auto requests = m_backend->OpenRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].read);
    EXPECT_FALSE(requests[0].write);
    EXPECT_FALSE(requests[0].exclusive);
    EXPECT_TRUE(requests[1].read && requests[1].write && requests[1].exclusive);
    EXPECT_EQ(m_interface1->LiveConnections(), 1);  // reopening closed the first

    m_backend->FailOpen(HidOpenError::PermissionDenied);
    EXPECT_FALSE(device.Open(kVendorPath, true, true, true, false));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::PermissionDenied);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.Caps().usagePage, 0);
    EXPECT_TRUE(device.Items(ReportKind::Input).empty());
    EXPECT_TRUE(device.ReportBuffer(ReportKind::Input).empty());
    EXPECT_EQ(m_interface1->LiveConnections(), 0);

    m_backend->FailOpen(HidOpenError::None);
    EXPECT_FALSE(device.Open("nobody:x#vid_0c45", true, true, true, false));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(device.Open("fake:if1#vid_0c45&pid_7643&mi_01&col03", true, true, true, false));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::NotFound);

    m_backend->AddNode("broken", Bytes({0xA1, 0x01}), kMouse);
    EXPECT_FALSE(device.Open("fake:broken#vid_0c45&pid_7643", true, true, true, false));
    EXPECT_EQ(device.LastOpenError(), HidOpenError::Failed);
    EXPECT_EQ(m_backend->OpenRequests().size(), 5u);
}

TEST_F(HidDeviceTest, OpenBindsToTheCollectionNamedInThePath) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
    EXPECT_EQ(device.Path(), kVendorPath);
    EXPECT_EQ(device.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(device.Caps().usage, 0x92);
    EXPECT_EQ(device.Caps().inputReportByteLength, 64);
    EXPECT_EQ(device.Caps().outputReportByteLength, 64);
    EXPECT_EQ(device.Attributes().vendorId, 0x0C45);
    EXPECT_EQ(device.Attributes().productId, 0x7643);
    EXPECT_EQ(device.Attributes().versionNumber, 0x0102);
    EXPECT_EQ(device.InterfaceNumber(), 1u);
    EXPECT_EQ(device.CollectionNumber(), 2u);
    EXPECT_EQ(device.ReportBuffer(ReportKind::Input).size(), 64u);
    EXPECT_EQ(device.ReportBuffer(ReportKind::Feature).size(), 0u);
    ASSERT_EQ(device.Items(ReportKind::Input).size(), 1u);
    EXPECT_FALSE(device.Items(ReportKind::Input)[0].isButton);
    EXPECT_EQ(device.Items(ReportKind::Input)[0].reportId, 4);

    ASSERT_TRUE(device.Open(kConsumerPath, true, false, true, false));
    EXPECT_EQ(device.Caps().usagePage, 0x000C);
    EXPECT_EQ(device.Caps().usage, 0x0001);
    EXPECT_EQ(device.CollectionNumber(), 1u);
    ASSERT_EQ(device.ButtonCaps(ReportKind::Input).size(), 1u);
    EXPECT_TRUE(device.ValueCaps(ReportKind::Input).empty());

    ASSERT_TRUE(device.Open(kPointerPath, true, false, true, false));
    EXPECT_EQ(device.Caps().usage, 0x02);
    EXPECT_EQ(device.InterfaceNumber(), 0u);
    EXPECT_EQ(device.CollectionNumber(), 0u);  // no "&col": the only collection
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(m_interface0->LiveConnections(), 0);
}

TEST_F(HidDeviceTest, ItemsListButtonCapsFirstThenOneItemPerValueUsage) {
    m_backend->AddNode("ranged", Bytes({0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,  //
                                        0x19, 0x10, 0x29, 0x12, 0x15, 0x00, 0x25, 0x7F, 0x75,
                                        0x08, 0x95, 0x03, 0x81, 0x02,  // values 0x10..0x12
                                        0x05, 0x09, 0x19, 0x01, 0x29, 0x04, 0x25, 0x01,  //
                                        0x75, 0x01, 0x95, 0x04, 0x81, 0x02,  // buttons 1..4
                                        0x95, 0x04, 0x81, 0x03, 0xC0}),
                       kMouse);
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open("fake:ranged#vid_0c45&pid_7643", true, false, true, false));
    const auto items = device.Items(ReportKind::Input);
    ASSERT_EQ(items.size(), 1u + 3u);
    EXPECT_TRUE(items[0].isButton);
    EXPECT_EQ(items[0].usagePage, 0x09);
    EXPECT_EQ(items[0].usageMin, 1);
    EXPECT_EQ(items[0].usageMax, 4);
    EXPECT_EQ(items[0].maxUsageCount, 4u);
    EXPECT_EQ(items[0].usages, std::vector<std::uint16_t>(4, 0));
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_FALSE(items[i].isButton);
        EXPECT_EQ(items[i].usagePage, 0xFF00);
        EXPECT_EQ(items[i].usage, 0x10 + i - 1);
        EXPECT_EQ(items[i].reportId, 2);
        EXPECT_EQ(items[i].status, 0);
        EXPECT_FALSE(items[i].isSet);
    }

    ASSERT_TRUE(device.UnpackReport(Bytes({0x02, 0x11, 0x22, 0x33, 0x05}), ReportKind::Input));
    EXPECT_EQ(items[0].usages, (std::vector<std::uint16_t>{1, 3, 0, 0}));
    EXPECT_EQ(items[2].value, 0x22u);
    EXPECT_EQ(items[3].value, 0x33u);
    // No physical range: the raw value is read, the scaled one is refused.
    EXPECT_EQ(items[3].status, static_cast<std::int32_t>(HidStatus::BadLogPhyValues));
    EXPECT_TRUE(items[3].isSet);
}

TEST_F(HidDeviceTest, UnpackKeepsEachButtonItemToItsOwnRange) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kPointerPath, true, false, true, false));
    auto items = device.Items(ReportKind::Input);
    ASSERT_EQ(items.size(), 2u + 4u);
    ASSERT_EQ(items[0].maxUsageCount, 8u);  // both caps share the Button page

    // Buttons 2, 5 and 7 pressed, X -2, Y 300, wheel -1, pan +1.
    ASSERT_TRUE(device.UnpackReport(Bytes({0x01, 0x52, 0xFE, 0xFF, 0x2C, 0x01, 0xFF, 0x01}),
                                    ReportKind::Input));
    EXPECT_EQ(items[0].usages, (std::vector<std::uint16_t>{2, 5, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(items[1].usages, (std::vector<std::uint16_t>{7, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(items[2].usage, 0x30);
    EXPECT_EQ(items[2].value, 0xFFFEu);
    EXPECT_EQ(items[3].value, 300u);
    EXPECT_EQ(items[5].usagePage, 0x0C);
    EXPECT_EQ(items[5].value, 1u);
    for (const HidReportItem& item : items) {
        EXPECT_TRUE(item.isSet);
    }

    // All five low buttons: a list exactly as long as the range has no room
    // for stale entries of the previous report.
    ASSERT_TRUE(device.UnpackReport(Bytes({0x01, 0x1F, 0, 0, 0, 0, 0, 0}), ReportKind::Input));
    EXPECT_EQ(items[0].usages, (std::vector<std::uint16_t>{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(items[1].usages[0], 0);
}

TEST_F(HidDeviceTest, UnpackStopsAtTheFirstUnreadableValue) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kPointerPath, true, false, true, false));
    auto items = device.Items(ReportKind::Input);
    // Ends inside Y: buttons and X are read, Y is not, wheel and pan untouched.
    EXPECT_FALSE(device.UnpackReport(Bytes({0x01, 0x01, 0x05, 0x00, 0x07}), ReportKind::Input));
    EXPECT_EQ(items[0].usages[0], 1);
    EXPECT_TRUE(items[2].isSet);
    EXPECT_EQ(items[2].value, 5u);
    EXPECT_FALSE(items[3].isSet);
    EXPECT_EQ(items[3].status, static_cast<std::int32_t>(HidStatus::InvalidReportLength));
    EXPECT_FALSE(items[4].isSet);

    // Another report id leaves every item alone.
    ASSERT_TRUE(device.UnpackReport(Bytes({0x02, 0xFF}), ReportKind::Input));
    EXPECT_EQ(items[2].value, 5u);
    EXPECT_FALSE(device.UnpackReport({}, ReportKind::Input));
}

TEST_F(HidDeviceTest, ConsumerReportGivesTheEventCodeAsFirstUsage) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kConsumerPath, true, false, true, false));
    auto items = device.Items(ReportKind::Input);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(items[0].isButton);
    ASSERT_EQ(items[0].usages.size(), 1u);

    for (const std::uint16_t code : {0x0401, 0x0402, 0x0403}) {
        ASSERT_TRUE(device.UnpackReport(Bytes({0x03, code & 0xFF, code >> 8}), ReportKind::Input));
        EXPECT_EQ(items[0].usages[0], code);
        EXPECT_EQ(items[0].status, 0);
    }
    ASSERT_TRUE(device.UnpackReport(Bytes({0x03, 0x00, 0x00}), ReportKind::Input));
    EXPECT_EQ(items[0].usages[0], 0);
}

TEST_F(HidDeviceTest, ReadDeliversOnlyTheOpenedCollectionsReports) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kConsumerPath, true, false, true, false));
    m_interface1->Send(VendorReport(0xAA));
    m_interface1->Send(Bytes({0x03, 0x01, 0x04}));
    m_interface1->Send(VendorReport(0xBB));

    std::vector<std::uint8_t> buffer(device.Caps().inputReportByteLength);
    std::size_t transferred = 99;
    ASSERT_TRUE(device.ReadReport(buffer, &transferred, std::chrono::milliseconds(0)));
    EXPECT_EQ(transferred, 3u);
    EXPECT_EQ(buffer, Bytes({0x03, 0x01, 0x04}));
    // Only a foreign report is left: a zero timeout drains it and fails.
    EXPECT_FALSE(device.ReadReport(buffer, &transferred, std::chrono::milliseconds(0)));
    EXPECT_EQ(transferred, 0u);
    EXPECT_EQ(buffer, Bytes({0, 0, 0}));

    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
    m_interface1->Send(Bytes({0x03, 0x02, 0x04}));
    m_interface1->Send(VendorReport(0xCC));
    std::vector<std::uint8_t> frame(64);
    ASSERT_TRUE(device.ReadReport(frame, &transferred, std::chrono::milliseconds(1000)));
    EXPECT_EQ(transferred, 64u);
    EXPECT_EQ(frame, VendorReport(0xCC));
}

TEST_F(HidDeviceTest, ReadThatGetsNothingTimesOutWithNothingTransferred) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
    std::vector<std::uint8_t> frame(64, 0x5A);
    std::size_t transferred = 99;
    EXPECT_FALSE(device.ReadReport(frame, &transferred, std::chrono::milliseconds(20)));
    EXPECT_EQ(transferred, 0u);

    HidDevice closed(m_bus);
    EXPECT_FALSE(closed.ReadReport(frame, &transferred, std::chrono::milliseconds(0)));
    EXPECT_FALSE(closed.WriteReport(frame, &transferred, std::chrono::milliseconds(0)));
    EXPECT_EQ(transferred, 0u);
}

TEST_F(HidDeviceTest, WriteSendsTheBytesUnchanged) {
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
    std::vector<std::uint8_t> frame(64);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<std::uint8_t>(i * 7 + 4);
    }
    std::size_t transferred = 0;
    ASSERT_TRUE(device.WriteReport(frame, &transferred, std::chrono::milliseconds(1000)));
    EXPECT_EQ(transferred, 64u);
    ASSERT_EQ(m_interface1->Written().size(), 1u);
    EXPECT_EQ(m_interface1->Written()[0], frame);
}

// Threads: another thread's Close or Open ends a read that waits without a
// limit; the connection stays alive until the read has left it.
TEST_F(HidDeviceTest, CloseOrOpenFromAnotherThreadEndsAWaitingRead) {
    for (const bool reopen : {false, true}) {
        SCOPED_TRACE(reopen ? "Open" : "Close");
        HidDevice device(m_bus);
        ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
        auto reader = std::async(std::launch::async, [&] {
            std::vector<std::uint8_t> frame(64);
            std::size_t transferred = 99;
            const bool result = device.ReadReport(frame, &transferred, kWaitForever);
            return std::make_pair(result, transferred);
        });
        ASSERT_TRUE(m_interface1->WaitForWaitingReader(kHangGuard));
        if (reopen) {
            ASSERT_TRUE(device.Open(kConsumerPath, true, false, true, false));
        } else {
            device.Close();
        }
        ASSERT_EQ(reader.wait_for(kHangGuard), std::future_status::ready);
        const auto [result, transferred] = reader.get();
        EXPECT_FALSE(result);
        EXPECT_EQ(transferred, 0u);
        EXPECT_EQ(m_interface1->LiveConnections(), reopen ? 1 : 0);
    }
}

TEST_F(HidDeviceTest, ProbeAsksTheBackendForTheOpenedPath) {
    HidDevice device(m_bus);
    EXPECT_FALSE(device.ProbePath());  // nothing opened yet
    ASSERT_TRUE(device.Open(kVendorPath, true, true, true, false));
    EXPECT_TRUE(device.ProbePath());
    EXPECT_TRUE(device.ProbePath(kPointerPath));
    m_backend->Unplug("if1");
    EXPECT_FALSE(device.ProbePath());
    EXPECT_TRUE(device.ProbePath(kPointerPath));
    EXPECT_FALSE(device.ProbePath("nobody:if1#vid_0c45"));
}

TEST(HidDevicePathTest, IdsAndNumbersAreReadAsHexAfterTheirMarkers) {
    EXPECT_EQ(HidDevice::ParseVendorId(R"(\\?\HID#VID_0C45&PID_7643&MI_01&Col02#8&1b2)"), 0x0C45);
    EXPECT_EQ(HidDevice::ParseProductId(R"(\\?\HID#VID_0C45&PID_7643&MI_01&Col02#8&1b2)"), 0x7643);
    EXPECT_EQ(HidDevice::ParseVendorId("hidraw:/dev/hidraw3#vid_0c45&pid_7643"), 0x0C45);
    EXPECT_EQ(HidDevice::ParseProductId("hidraw:/dev/hidraw3#vid_0c45"), 0);
    EXPECT_EQ(HidDevice::ParseVendorId("no markers here"), 0);
    EXPECT_EQ(HidDevice::ParseVendorId("vid_"), 0);
    EXPECT_EQ(HidDevice::ParseVendorId("vid_10c45"), 0x0C45);  // low 16 bits

    auto bus = std::make_shared<HidBus>();
    auto backend = std::make_shared<FakeBackend>();
    bus->Attach(backend);
    backend->AddNode("n", LoadDescriptor("vendor-consumer.hex"), kMouse);
    HidDevice device(bus);
    ASSERT_TRUE(device.Open("fake:n#VID_0C45&PID_7643&MI_01&COL02", true, true, true, false));
    EXPECT_EQ(device.InterfaceNumber(), 1u);
    EXPECT_EQ(device.CollectionNumber(), 2u);
    EXPECT_EQ(device.Caps().usagePage, 0xFF1C);
}

TEST(HidDevicePathTest, LongPathsAreKeptWhole) {
    auto bus = std::make_shared<HidBus>();
    auto backend = std::make_shared<FakeBackend>();
    bus->Attach(backend);
    const std::string node(400, 'n');
    backend->AddNode(node, LoadDescriptor("mouse-3button-wheel.hex"), kMouse);
    const std::string path = "fake:" + node + "#vid_0c45&pid_7643&mi_04";
    backend->AddPath(path);
    HidDevice device(bus);
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.NextPath(), path);
    ASSERT_TRUE(device.Open(path, true, false, true, false));
    EXPECT_EQ(device.Path(), path);
    EXPECT_EQ(device.InterfaceNumber(), 4u);
}

TEST(HidBusTest, BackendsAreFoundByTheirScheme) {
    HidBus bus;
    auto first = std::make_shared<FakeBackend>("sim");
    auto replacement = std::make_shared<FakeBackend>("sim");
    auto other = std::make_shared<FakeBackend>("hidraw");
    bus.Attach(first);
    bus.Attach(other);
    bus.Attach(nullptr);
    EXPECT_EQ(bus.BackendFor("sim:mouse#vid_0c45"), first);
    EXPECT_EQ(bus.BackendFor("hidraw:/dev/hidraw0#vid_0c45"), other);
    EXPECT_EQ(bus.BackendFor("simx:mouse"), nullptr);
    EXPECT_EQ(bus.BackendFor("no scheme"), nullptr);
    bus.Attach(replacement);
    EXPECT_EQ(bus.Backends().size(), 2u);
    EXPECT_EQ(bus.BackendFor("sim:mouse"), replacement);
    bus.Detach("sim");
    EXPECT_EQ(bus.BackendFor("sim:mouse"), nullptr);
    ASSERT_EQ(bus.Backends().size(), 1u);
    EXPECT_EQ(bus.Backends()[0], other);
}

}  // namespace
}  // namespace varlok::device
