#include "device/presencemonitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "countingbackend.h"
#include "device/hidbus.h"
#include "platform/debugoutput.h"
#include "platform/workerthread.h"
#include "recordingmonitorhost.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::device {
namespace {

using testing::CountingBackend;
using testing::kHangGuard;
using testing::RecordingMonitorHost;

const std::string kTimer8 = "StartTimer 8 500";
const std::string kRemoved = "Post 0x0C05";

class PresenceMonitorTest : public ::testing::Test {
protected:
    PresenceMonitorTest() { m_link.Init(0x0C45, 0x7643, 0x92, 0xFF1C); }
    ~PresenceMonitorTest() override {
        m_worker.reset();
        std::filesystem::remove_all(m_folder);
    }

    // An empty folder of this test's own for the profile store.
    static std::filesystem::path MakeFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("varlok-presence-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder;
    }
    void WriteProfileStore(const std::string& text) {
        std::ofstream(ProfileStore(), std::ios::binary) << text;
    }
    std::filesystem::path ProfileStore() const { return m_folder / "msProfile.ini"; }

    void AttachMouse() { m_bus->Attach(m_backend); }

    void StartMonitor() {
        m_worker = std::make_unique<platform::WorkerThread>();
        ASSERT_TRUE(m_worker->Start([this](platform::Event& stop) { m_monitor.Run(stop); }));
    }
    [[nodiscard]] bool StopMonitor() {
        platform::WorkerThread* workers[] = {m_worker.get()};
        return platform::StopWorkers(workers, kHangGuard) == platform::StopOutcome::AllEnded;
    }
    std::string ConfigPath() const {
        return m_simBackend->PathOf(sim::MouseCollection::Configuration);
    }
    std::string LinkPath() {
        const auto lock = m_link.LockIo();
        return m_link.Device().Path();
    }
    // Index of the first call equal to text, or the number of calls.
    static std::size_t IndexOf(const std::vector<std::string>& calls, const std::string& text) {
        return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), text) -
                                        calls.begin());
    }

    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse = std::make_shared<sim::VirtualMouse>();
    std::shared_ptr<sim::VirtualHidBackend> m_simBackend =
        std::make_shared<sim::VirtualHidBackend>(m_mouse);
    std::shared_ptr<CountingBackend> m_backend = std::make_shared<CountingBackend>(m_simBackend);
    DeviceLink m_link{m_bus};
    RecordingMonitorHost m_host;
    std::filesystem::path m_folder = MakeFolder();
    PresenceMonitor m_monitor{m_link, m_host, ProfileStore()};
    std::unique_ptr<platform::WorkerThread> m_worker;
};

TEST_F(PresenceMonitorTest, MousePresentAtStartConnectsAndAsksForTheWindowAfterTheFirstPass) {
    WriteProfileStore("[PROFILEDEVICESELECT]\r\nselect=3\r\n");
    AttachMouse();
    StartMonitor();

    ASSERT_TRUE(m_host.WaitFor("PostActivate"));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_EQ(LinkPath(), ConfigPath());
    // The control changes are queued before timer 8, and the registered
    // message goes out once the pass is over.
    const std::vector<std::string> expected = {"SelectDeviceProfile 3", "ShowMouseTab",
                                               "ShowMouseTabPanel", kTimer8, "PostActivate"};
    const std::vector<std::string> calls = m_host.Calls();
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 5), expected);

    // The connected link is usable at once.
    DeviceInfo info;
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    EXPECT_EQ(info.Raw(), m_mouse->DeviceInfo());

    // Later cycles only probe: the same-mode option is hidden, nothing else.
    ASSERT_TRUE(m_host.WaitFor("HideSameModeOption"));
    EXPECT_EQ(m_host.CountOf(kTimer8), 1u);
    EXPECT_EQ(m_host.CountOf("PostActivate"), 1u);
    EXPECT_TRUE(StopMonitor());
    // It holds the link's lock while it calls the host, so it never uses
    // the one call that waits for the UI thread.
    for (const std::string& call : m_host.Calls()) {
        EXPECT_NE(call.rfind("Send", 0), 0u) << call;
    }
}

TEST_F(PresenceMonitorTest, UnplugDisconnectsAndPlugAgainReconnectsWithoutRestart) {
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor(kTimer8));
    const std::string firstPath = ConfigPath();

    m_mouse->Unplug();
    ASSERT_TRUE(m_host.WaitFor(kRemoved));
    EXPECT_FALSE(m_link.IsConnected());
    EXPECT_FALSE(m_link.IsSyncActive());
    std::vector<std::string> calls = m_host.Calls();
    const std::size_t removed = IndexOf(calls, kRemoved);
    ASSERT_GT(removed, 0u);
    EXPECT_EQ(calls[removed - 1], "HideMouseTab");
    // The dead node is no longer held.
    EXPECT_EQ(m_backend->LiveConnections(firstPath), 0);
    DeviceInfo info;
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::NoAnswer);

    m_mouse->Plug();
    ASSERT_TRUE(m_host.WaitFor(kTimer8, 2));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_NE(ConfigPath(), firstPath);
    EXPECT_EQ(LinkPath(), ConfigPath());
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    // Only the first pass of the run asks for the window.
    EXPECT_EQ(m_host.CountOf("PostActivate"), 1u);
    // A profile store that does not exist selects entry 0.
    EXPECT_EQ(m_host.CountOf("SelectDeviceProfile 0"), 2u);
    EXPECT_TRUE(StopMonitor());
}

TEST_F(PresenceMonitorTest, OtherCollectionsOfTheVendorAreOpenedRejectedAndClosed) {
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor("PostActivate"));

    const std::vector<CountingBackend::OpenRecord> opens = m_backend->Opens();
    std::vector<std::string> opened;
    for (const auto& open : opens) {
        opened.push_back(open.path);
        // Read and write, shared.
        EXPECT_TRUE(open.request.read) << open.path;
        EXPECT_TRUE(open.request.write) << open.path;
        EXPECT_FALSE(open.request.exclusive) << open.path;
    }
    const std::string decoy = sim::VirtualHidBackend::DecoyPath();
    const std::string consumer = m_simBackend->PathOf(sim::MouseCollection::Consumer);
    // The decoy (same vendor, product 0x7644) and the consumer collection
    // are opened, rejected on attributes and caps, and closed again.
    ASSERT_NE(std::find(opened.begin(), opened.end(), decoy), opened.end());
    ASSERT_NE(std::find(opened.begin(), opened.end(), consumer), opened.end());
    EXPECT_EQ(m_backend->LiveConnections(decoy), 0);
    EXPECT_EQ(m_backend->LiveConnections(consumer), 0);
    // The configuration collection is the last one opened and stays open.
    EXPECT_EQ(opened.back(), ConfigPath());
    EXPECT_EQ(m_backend->LiveConnections(ConfigPath()), 1);
    EXPECT_TRUE(StopMonitor());
}

TEST_F(PresenceMonitorTest, MouseArrivingLaterConnectsWithoutAskingForTheWindow) {
    m_mouse->Unplug();
    AttachMouse();
    platform::DebugCapture capture;
    StartMonitor();
    // Nothing but the decoy: the first pass finds nothing, then keeps looking.
    ASSERT_TRUE(m_backend->WaitForOpen(sim::VirtualHidBackend::DecoyPath()));
    m_mouse->Plug();
    ASSERT_TRUE(m_host.WaitFor(kTimer8));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_TRUE(StopMonitor());
    EXPECT_EQ(m_host.CountOf("PostActivate"), 0u);
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));
}

TEST_F(PresenceMonitorTest, FailedEnumerationIsRetriedOnTheNextCycle) {
    auto failing = std::make_shared<CountingBackend>(m_simBackend);
    failing->FailEnumeration();
    m_bus->Attach(failing);
    platform::DebugCapture capture;
    StartMonitor();
    ASSERT_TRUE(failing->WaitForEnumeration());
    // Replacing the backend makes enumeration work again; the monitor, which
    // kept running, then finds the mouse.
    AttachMouse();
    ASSERT_TRUE(m_host.WaitFor(kTimer8));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_TRUE(StopMonitor());
    EXPECT_TRUE(capture.Contains("mouse presence: HID enumeration failed"));
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));
}

TEST_F(PresenceMonitorTest, StopEndsTheMonitorDuringItsPauseAndBeforeItsFirstCycle) {
    platform::DebugCapture capture;
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor(kTimer8));
    // In its one-second pause now; the stop event ends that wait.
    EXPECT_TRUE(StopMonitor());
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));

    // A stop requested right after the start is not lost.
    platform::WorkerThread second;
    PresenceMonitor monitor(m_link, m_host, ProfileStore());
    ASSERT_TRUE(second.Start([&](platform::Event& stop) { monitor.Run(stop); }));
    platform::WorkerThread* workers[] = {&second};
    EXPECT_EQ(platform::StopWorkers(workers, kHangGuard), platform::StopOutcome::AllEnded);
}

}  // namespace
}  // namespace varlok::device
