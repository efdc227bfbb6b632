#include "device/hidrawbackend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>

#include "device/filedescriptor.h"
#include "device/hiddevice.h"
#include "fakesysfs.h"
#include "hidtestdata.h"
#include "platform/tempfolder.h"

namespace varlok::device {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempFolder;
using testing::Bytes;
using testing::FakeSysfs;
using testing::LoadDescriptor;

constexpr auto kHangGuard = std::chrono::seconds(30);

// Stands in for the hidraw nodes: each node is one end of a SOCK_SEQPACKET
// pair (which keeps report boundaries); the test plays the device on the
// other end. Records the flags of every open.
class SocketNodes {
public:
    ~SocketNodes() {
        for (auto& [node, ends] : m_ends) {
            ::close(ends.first);
            ::close(ends.second);
        }
    }
    // The device's end of the node's socket pair.
    int DeviceEnd(const std::string& node) {
        std::lock_guard lock(m_mutex);
        auto found = m_ends.find(node);
        if (found == m_ends.end()) {
            int pair[2] = {-1, -1};
            EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
            found = m_ends.emplace(node, std::make_pair(pair[0], pair[1])).first;
        }
        return found->second.second;
    }
    HidrawBackend::NodeOpener Opener() {
        return [this](const std::string& node, int flags) {
            const int hostEnd = [&] {
                DeviceEnd(node);
                std::lock_guard lock(m_mutex);
                m_flags.push_back(flags);
                return m_ends[node].first;
            }();
            std::lock_guard lock(m_mutex);
            if (m_failure != 0) {
                return -m_failure;
            }
            const int fd = ::fcntl(hostEnd, F_DUPFD_CLOEXEC, 0);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            return fd;
        };
    }
    void FailWith(int error) {
        std::lock_guard lock(m_mutex);
        m_failure = error;
    }
    std::vector<int> Flags() {
        std::lock_guard lock(m_mutex);
        return m_flags;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::pair<int, int>> m_ends;  // host end, device end
    std::vector<int> m_flags;
    int m_failure = 0;
};

std::vector<std::uint8_t> Receive(int fd) {
    std::vector<std::uint8_t> buffer(256);
    const ssize_t received = ::recv(fd, buffer.data(), buffer.size(), 0);
    buffer.resize(received > 0 ? static_cast<std::size_t>(received) : 0);
    return buffer;
}

void Send(int fd, const std::vector<std::uint8_t>& report) {
    ASSERT_EQ(::send(fd, report.data(), report.size(), 0), static_cast<ssize_t>(report.size()));
}

std::vector<std::uint8_t> VendorReport(std::uint8_t first) {
    std::vector<std::uint8_t> report(64, 0);
    report[0] = 0x04;
    report[1] = first;
    return report;
}

class HidrawBackendTest : public ::testing::Test {
protected:
    HidrawBackendTest() {
        m_sysfs.AddDevice(0, 0x0C45, 0x7643, 0, LoadDescriptor("mouse-3button-wheel.hex"));
        m_sysfs.AddDevice(1, 0x0C45, 0x7643, 1, LoadDescriptor("vendor-consumer.hex"));
        m_bus->Attach(m_backend);
    }

    std::string PathOf(int node, const std::string& markers) const {
        return "hidraw:" + m_sysfs.Node(node) + "#" + markers;
    }

    FakeSysfs m_sysfs;
    SocketNodes m_nodes;
    std::shared_ptr<HidrawBackend> m_backend =
        std::make_shared<HidrawBackend>(m_sysfs.Sys(), m_sysfs.Dev(), m_nodes.Opener());
    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
};

TEST_F(HidrawBackendTest, EnumeratesOnePathPerTopLevelCollection) {
    m_sysfs.AddDevice(2, 0x046D, 0xB342, std::nullopt, LoadDescriptor("keyboard-consumer.hex"));
    for (int node = 3; node <= 10; ++node) {
        m_sysfs.AddDevice(node, 0x1A2B, static_cast<std::uint16_t>(0x1000 + node), 2,
                          LoadDescriptor("mouse-3button-wheel.hex"));
    }
    // Not hidraw nodes, or a node whose device has no uevent: skipped.
    fs::create_directories(m_sysfs.ClassEntry(0).parent_path() / "hidrawx");
    fs::create_directories(m_sysfs.ClassEntry(0).parent_path() / "foo");
    m_sysfs.AddDevice(11, 0x0001, 0x0002, 0, LoadDescriptor("mouse-3button-wheel.hex"));
    fs::remove(fs::canonical(m_sysfs.ClassEntry(11) / "device") / "uevent");

    std::vector<std::string> paths;
    ASSERT_TRUE(m_backend->Enumerate(paths));
    std::vector<std::string> expected = {
        PathOf(0, "vid_0c45&pid_7643&mi_00"),       PathOf(1, "vid_0c45&pid_7643&mi_01&col01"),
        PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), PathOf(2, "vid_046d&pid_b342&col01"),
        PathOf(2, "vid_046d&pid_b342&col02"),
    };
    for (int node = 3; node <= 10; ++node) {
        char markers[64];
        std::snprintf(markers, sizeof markers, "vid_1a2b&pid_%04x&mi_02", 0x1000 + node);
        expected.push_back(PathOf(node, markers));
    }
    EXPECT_EQ(paths, expected);

    HidDevice device(m_bus);
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.PathCount(), expected.size());
}

TEST(HidrawBackendEmptyTest, MachineWithoutHidrawHasNoPaths) {
    FakeSysfs sysfs;
    auto bus = std::make_shared<HidBus>();
    bus->Attach(std::make_shared<HidrawBackend>(sysfs.Sys(), sysfs.Dev()));
    HidDevice device(bus);
    ASSERT_TRUE(device.FindPaths());
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_FALSE(device.NextPath());

    // The system bus carries the hidraw backend.
    EXPECT_NE(HidBus::System()->BackendFor("hidraw:/dev/hidraw0#vid_0c45&pid_7643"), nullptr);
}

TEST_F(HidrawBackendTest, OpenAsksForTheRequestedAccessAndMapsErrors) {
    const std::string path = PathOf(1, "vid_0c45&pid_7643&mi_01&col02");
    HidOpenError error = HidOpenError::None;
    ASSERT_NE(m_backend->Open(path, {true, false, false}, error), nullptr);
    ASSERT_NE(m_backend->Open(path, {true, true, true}, error), nullptr);
    ASSERT_NE(m_backend->Open(path, {false, true, false}, error), nullptr);
    auto flags = m_nodes.Flags();
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0] & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(flags[1] & O_ACCMODE, O_RDWR);
    EXPECT_EQ(flags[2] & O_ACCMODE, O_WRONLY);
    for (const int flag : flags) {
        EXPECT_EQ(flag & (O_NONBLOCK | O_CLOEXEC), O_NONBLOCK | O_CLOEXEC);
    }

    const std::pair<int, HidOpenError> mapping[] = {
        {EACCES, HidOpenError::PermissionDenied},
        {EPERM, HidOpenError::PermissionDenied},
        {ENOENT, HidOpenError::NotFound},
        {ENODEV, HidOpenError::NotFound},
        {EBUSY, HidOpenError::Busy},
        {EIO, HidOpenError::Failed},
    };
    HidDevice device(m_bus);
    for (const auto& [errnoValue, expected] : mapping) {
        m_nodes.FailWith(errnoValue);
        EXPECT_EQ(m_backend->Open(path, {true, true, false}, error), nullptr);
        EXPECT_EQ(error, expected) << errnoValue;
        EXPECT_FALSE(device.Open(path, true, true, true, false));
        EXPECT_EQ(device.LastOpenError(), expected);
    }
    m_nodes.FailWith(0);

    // Paths that do not name a node under the dev root, or name a node that
    // another device holds, are never opened.
    const std::size_t opens = m_nodes.Flags().size();
    for (const std::string& wrong :
         {std::string("hidraw:/etc/hidraw1#vid_0c45&pid_7643"),
          "hidraw:" + m_sysfs.Dev() + "/../hidraw1#vid_0c45&pid_7643",
          "hidraw:" + m_sysfs.Dev() + "/hidraw1x#vid_0c45&pid_7643",
          "hidraw:" + m_sysfs.Dev() + "/hidraw9#vid_0c45&pid_7643",
          "sim:" + m_sysfs.Dev() + "/hidraw1#vid_0c45&pid_7643", PathOf(1, "vid_0c45&pid_7644")}) {
        EXPECT_EQ(m_backend->Open(wrong, {true, true, false}, error), nullptr) << wrong;
        EXPECT_EQ(error, HidOpenError::NotFound) << wrong;
    }
    EXPECT_EQ(m_nodes.Flags().size(), opens);
}

TEST_F(HidrawBackendTest, OpenWithoutAccessReadsOnlySysfs) {
    m_nodes.FailWith(EACCES);
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), false, false, true, false));
    EXPECT_TRUE(m_nodes.Flags().empty());
    EXPECT_EQ(device.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(device.Attributes().vendorId, 0x0C45);
    EXPECT_EQ(device.Attributes().productId, 0x7643);
    EXPECT_EQ(device.Attributes().versionNumber, 0x0102);  // bcdDevice
    std::vector<std::uint8_t> frame(64);
    EXPECT_FALSE(device.ReadReport(frame, nullptr, std::chrono::milliseconds(0)));
    EXPECT_FALSE(device.WriteReport(frame, nullptr, std::chrono::milliseconds(0)));

    m_sysfs.AddDevice(2, 0x046D, 0xB342, std::nullopt, LoadDescriptor("keyboard-consumer.hex"));
    ASSERT_TRUE(device.Open(PathOf(2, "vid_046d&pid_b342&col02"), false, false, true, false));
    EXPECT_EQ(device.Attributes().versionNumber, 0);  // no USB device folder
    EXPECT_EQ(device.Caps().usagePage, 0x0C);
}

TEST_F(HidrawBackendTest, ReadsDeliverTheOpenedCollectionsReports) {
    const int deviceEnd = m_nodes.DeviceEnd(m_sysfs.Node(1));
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col01"), true, false, true, false));
    Send(deviceEnd, VendorReport(0x11));
    Send(deviceEnd, Bytes({0x03, 0x01, 0x04}));
    std::vector<std::uint8_t> buffer(device.Caps().inputReportByteLength);
    std::size_t transferred = 0;
    ASSERT_TRUE(device.ReadReport(buffer, &transferred, std::chrono::milliseconds(5000)));
    EXPECT_EQ(transferred, 3u);
    EXPECT_EQ(buffer, Bytes({0x03, 0x01, 0x04}));
    ASSERT_TRUE(device.UnpackReport(std::span(buffer).first(transferred), ReportKind::Input));
    EXPECT_EQ(device.Items(ReportKind::Input)[0].usages[0], 0x0401);

    ASSERT_TRUE(device.Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), true, true, true, false));
    Send(deviceEnd, Bytes({0x03, 0x02, 0x04}));
    Send(deviceEnd, VendorReport(0x22));
    std::vector<std::uint8_t> frame(64);
    ASSERT_TRUE(device.ReadReport(frame, &transferred, std::chrono::milliseconds(5000)));
    EXPECT_EQ(transferred, 64u);
    EXPECT_EQ(frame, VendorReport(0x22));

    // Nothing more arrives: the read times out with nothing transferred.
    transferred = 99;
    EXPECT_FALSE(device.ReadReport(frame, &transferred, std::chrono::milliseconds(20)));
    EXPECT_EQ(transferred, 0u);
}

TEST_F(HidrawBackendTest, WritesArriveByteExact) {
    const int deviceEnd = m_nodes.DeviceEnd(m_sysfs.Node(1));
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), true, true, true, false));
    std::vector<std::uint8_t> frame(64);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<std::uint8_t>(0xFF - i * 3);
    }
    frame[0] = 0x04;
    std::size_t transferred = 0;
    ASSERT_TRUE(device.WriteReport(frame, &transferred, std::chrono::milliseconds(1000)));
    EXPECT_EQ(transferred, 64u);
    EXPECT_EQ(Receive(deviceEnd), frame);
}

TEST_F(HidrawBackendTest, UnnumberedReportsGetAZeroIdInFront) {
    const int deviceEnd = m_nodes.DeviceEnd(m_sysfs.Node(0));
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(PathOf(0, "vid_0c45&pid_7643&mi_00"), true, true, true, false));
    ASSERT_EQ(device.Caps().inputReportByteLength, 5);
    Send(deviceEnd, Bytes({0x01, 0x05, 0xFB, 0x01}));
    std::vector<std::uint8_t> buffer(5);
    std::size_t transferred = 0;
    ASSERT_TRUE(device.ReadReport(buffer, &transferred, std::chrono::milliseconds(5000)));
    EXPECT_EQ(transferred, 5u);
    EXPECT_EQ(buffer, Bytes({0x00, 0x01, 0x05, 0xFB, 0x01}));
    ASSERT_TRUE(device.UnpackReport(buffer, ReportKind::Input));
    EXPECT_EQ(device.Items(ReportKind::Input)[0].usages[0], 1);
    EXPECT_EQ(device.Items(ReportKind::Input)[1].value, 5u);

    // Report id 0 goes to the kernel as it is (the kernel strips it).
    ASSERT_TRUE(device.WriteReport(Bytes({0x00, 0xAA}), nullptr, std::chrono::milliseconds(1000)));
    EXPECT_EQ(Receive(deviceEnd), Bytes({0x00, 0xAA}));
}

TEST_F(HidrawBackendTest, AbortStaysSignalledAndAGoneDeviceFailsTransfers) {
    HidOpenError error = HidOpenError::None;
    auto connection =
        m_backend->Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), {true, true, false}, error);
    ASSERT_NE(connection, nullptr);
    connection->Abort();
    std::vector<std::uint8_t> frame(64);
    EXPECT_EQ(connection->Read(frame, kWaitForever).status, TransferStatus::Aborted);
    EXPECT_EQ(connection->Read(frame, kWaitForever).status, TransferStatus::Aborted);
    EXPECT_EQ(connection->Write(frame, kWaitForever).status, TransferStatus::Aborted);

    const int deviceEnd = m_nodes.DeviceEnd(m_sysfs.Node(1));
    HidDevice device(m_bus);
    ASSERT_TRUE(device.Open(PathOf(1, "vid_0c45&pid_7643&mi_01&col02"), true, true, true, false));
    // A real node answers ENODEV; the socket standing in for it would raise
    // SIGPIPE instead.
    std::signal(SIGPIPE, SIG_IGN);
    ::shutdown(deviceEnd, SHUT_RDWR);  // unplugged
    EXPECT_FALSE(device.ReadReport(frame, nullptr, kWaitForever));
    EXPECT_FALSE(device.WriteReport(frame, nullptr, std::chrono::milliseconds(1000)));
}

// Threads: Close on another thread ends a read that waits without a limit,
// whichever of the two gets there first.
TEST_F(HidrawBackendTest, CloseFromAnotherThreadEndsAnEndlessRead) {
    const std::string path = PathOf(1, "vid_0c45&pid_7643&mi_01&col02");
    for (int round = 0; round < 25; ++round) {
        HidDevice device(m_bus);
        ASSERT_TRUE(device.Open(path, true, true, true, false));
        std::promise<void> started;
        auto reader = std::async(std::launch::async, [&] {
            std::vector<std::uint8_t> frame(64);
            std::size_t transferred = 99;
            started.set_value();
            const bool result = device.ReadReport(frame, &transferred, kWaitForever);
            return result || transferred != 0;
        });
        started.get_future().wait();
        device.Close();
        ASSERT_EQ(reader.wait_for(kHangGuard), std::future_status::ready);
        EXPECT_FALSE(reader.get());
    }
}

TEST_F(HidrawBackendTest, ProbeIsNotFooledByANodeAnotherDeviceTookOver) {
    std::vector<std::string> paths;
    ASSERT_TRUE(m_backend->Enumerate(paths));
    const std::string path = PathOf(1, "vid_0c45&pid_7643&mi_01&col02");
    EXPECT_TRUE(m_backend->Probe(path));

    m_sysfs.RemoveDevice(1);
    EXPECT_FALSE(m_backend->Probe(path));

    // Another product takes hidraw1.
    m_sysfs.AddDevice(1, 0x1234, 0x0001, 1, LoadDescriptor("vendor-consumer.hex"));
    EXPECT_FALSE(m_backend->Probe(path));
    m_sysfs.RemoveDevice(1);

    // A unit with the same ids takes it: a different kernel device instance.
    m_sysfs.AddDevice(1, 0x0C45, 0x7643, 1, LoadDescriptor("vendor-consumer.hex"), 2);
    EXPECT_FALSE(m_backend->Probe(path));
    // Once enumerated again, the path names that unit.
    paths.clear();
    ASSERT_TRUE(m_backend->Enumerate(paths));
    EXPECT_TRUE(m_backend->Probe(path));

    // A backend that never enumerated checks the ids the path carries.
    HidrawBackend fresh(m_sysfs.Sys(), m_sysfs.Dev(), m_nodes.Opener());
    EXPECT_TRUE(fresh.Probe(path));
    EXPECT_FALSE(fresh.Probe(PathOf(1, "vid_0c45&pid_7643&mi_02&col02")));
    EXPECT_FALSE(fresh.Probe(PathOf(1, "vid_0c45&pid_7644&mi_01&col02")));
    EXPECT_FALSE(fresh.Probe("hidraw:/etc/passwd#vid_0c45&pid_7643"));
}

TEST_F(HidrawBackendTest, OwnerKeyNamesThePhysicalDeviceWhateverItsNode) {
    // Nodes 0 and 1 are two mice (ports 1-0 and 1-1); nodes 2 and 3 the two
    // interfaces of a third one on port 1-7.
    m_sysfs.AddDevice(2, 0x0C45, 0x7643, 0, LoadDescriptor("mouse-3button-wheel.hex"), 1, 0x0102,
                      7);
    m_sysfs.AddDevice(3, 0x0C45, 0x7643, 1, LoadDescriptor("vendor-consumer.hex"), 1, 0x0102, 7);
    const std::string pointer = m_backend->OwnerKey(PathOf(2, "vid_0c45&pid_7643&mi_00"));
    const std::string config = m_backend->OwnerKey(PathOf(3, "vid_0c45&pid_7643&mi_01&col02"));
    EXPECT_EQ(pointer, config);
    EXPECT_EQ(m_backend->OwnerKey(PathOf(3, "vid_0c45&pid_7643&mi_01&col01")), config);
    EXPECT_EQ(config.rfind("hidraw-0c45-7643-", 0), 0u) << config;
    EXPECT_EQ(config.size(), std::string("hidraw-0c45-7643-").size() + 16);
    const std::string first = m_backend->OwnerKey(PathOf(0, "vid_0c45&pid_7643&mi_00"));
    EXPECT_NE(first, m_backend->OwnerKey(PathOf(1, "vid_0c45&pid_7643&mi_01&col02")));
    EXPECT_NE(first, config);

    // Replugged, the same mouse comes back under other node numbers.
    m_sysfs.RemoveDevice(3);
    m_sysfs.AddDevice(9, 0x0C45, 0x7643, 1, LoadDescriptor("vendor-consumer.hex"), 2, 0x0102, 7);
    EXPECT_EQ(m_backend->OwnerKey(PathOf(9, "vid_0c45&pid_7643&mi_01&col02")), config);
    EXPECT_EQ(m_backend->OwnerKey(PathOf(3, "vid_0c45&pid_7643&mi_01&col02")), "");
}

TEST_F(HidrawBackendTest, WritersTakeTheOwnerLockAndReadersDoNot) {
    const TempFolder locks;
    m_bus->SetOwnerLocks(OwnerLocks{locks.Path(), "varlok"});
    const std::string config = PathOf(1, "vid_0c45&pid_7643&mi_01&col02");
    const std::string consumer = PathOf(1, "vid_0c45&pid_7643&mi_01&col01");
    HidDevice window(m_bus);
    ASSERT_TRUE(window.Open(config, true, true, true, false));
    const std::size_t opens = m_nodes.Flags().size();

    // Another opener that would write never reaches the node, whichever of
    // the mouse's collections it asks for, and learns who has the mouse.
    HidDevice tool(m_bus);
    for (const std::string& path : {config, consumer}) {
        EXPECT_FALSE(tool.Open(path, true, true, true, false)) << path;
        EXPECT_EQ(tool.LastOpenError(), HidOpenError::InUse);
        EXPECT_EQ(tool.LastOpenOwner().holder, (platform::LockHolder{::getpid(), "varlok"}));
        EXPECT_EQ(tool.LastOpenOwner().lockFile.parent_path(), locks.Path());
    }
    EXPECT_EQ(m_nodes.Flags().size(), opens);
    // The notification monitors only read.
    EXPECT_TRUE(tool.Open(consumer, true, false, true, false));

    window.Close();
    EXPECT_TRUE(tool.Open(config, true, true, true, false));
    EXPECT_FALSE(window.Open(config, true, true, true, false));
}

}  // namespace
}  // namespace varlok::device
