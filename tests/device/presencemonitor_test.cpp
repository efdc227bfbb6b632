#include "device/presencemonitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "countingbackend.h"
#include "device/hidbus.h"
#include "platform/debugoutput.h"
#include "platform/ownerlock.h"
#include "platform/tempfolder.h"
#include "platform/workerthread.h"
#include "recordingdeviceevents.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::device {
namespace {

using testing::CountingBackend;
using testing::kHangGuard;
using testing::RecordingDeviceEvents;

const std::string kArrived = "MouseArrived";
const std::string kRemoved = "MouseRemoved";

class PresenceMonitorTest : public ::testing::Test {
protected:
    PresenceMonitorTest() { m_link.Init(DeviceType::Mouse); }
    ~PresenceMonitorTest() override { m_worker.reset(); }

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

    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse = std::make_shared<sim::VirtualMouse>();
    std::shared_ptr<sim::VirtualHidBackend> m_simBackend =
        std::make_shared<sim::VirtualHidBackend>(m_mouse);
    std::shared_ptr<CountingBackend> m_backend = std::make_shared<CountingBackend>(m_simBackend);
    DeviceLink m_link{m_bus};
    RecordingDeviceEvents m_host;
    PresenceMonitor m_monitor{m_link, m_host};
    std::unique_ptr<platform::WorkerThread> m_worker;
};

TEST_F(PresenceMonitorTest, MousePresentAtStartConnectsAndAsksForTheWindowAfterTheFirstPass) {
    AttachMouse();
    StartMonitor();

    ASSERT_TRUE(m_host.WaitFor("MouseFoundAtStart"));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_EQ(LinkPath(), ConfigPath());
    // The arrival is reported with the link connected, and the start-up
    // find once the pass is over.
    const std::vector<std::string> expected = {kArrived, "MouseFoundAtStart"};
    const std::vector<std::string> calls = m_host.Calls();
    ASSERT_GE(calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 2), expected);

    // The connected link is usable at once.
    DeviceInfo info;
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    EXPECT_EQ(info.Raw(), m_mouse->DeviceInfo());

    // Later cycles only probe and find it still there.
    ASSERT_TRUE(m_host.WaitFor("MouseStillPresent"));
    EXPECT_EQ(m_host.CountOf(kArrived), 1u);
    EXPECT_EQ(m_host.CountOf("MouseFoundAtStart"), 1u);
    EXPECT_TRUE(StopMonitor());
    // It holds the link's lock while it reports, so it never reports the
    // device events, which may wait for the UI thread.
    for (const std::string& call : m_host.Calls()) {
        EXPECT_NE(call.rfind("Event", 0), 0u) << call;
    }
}

TEST_F(PresenceMonitorTest, UnplugDisconnectsAndPlugAgainReconnectsWithoutRestart) {
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor(kArrived));
    const std::string firstPath = ConfigPath();

    m_mouse->Unplug();
    ASSERT_TRUE(m_host.WaitFor(kRemoved));
    EXPECT_FALSE(m_link.IsConnected());
    EXPECT_FALSE(m_link.IsSyncActive());
    // The dead node is no longer held.
    EXPECT_EQ(m_backend->LiveConnections(firstPath), 0);
    DeviceInfo info;
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::NoAnswer);

    m_mouse->Plug();
    ASSERT_TRUE(m_host.WaitFor(kArrived, 2));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_NE(ConfigPath(), firstPath);
    EXPECT_EQ(LinkPath(), ConfigPath());
    EXPECT_EQ(m_link.ReadDeviceInfo(info), LinkResult::Success);
    // Only the first pass of the run reports a find at the start.
    EXPECT_EQ(m_host.CountOf("MouseFoundAtStart"), 1u);
    EXPECT_TRUE(StopMonitor());
}

TEST_F(PresenceMonitorTest, OtherCollectionsOfTheVendorAreOpenedRejectedAndClosed) {
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor("MouseFoundAtStart"));

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
    ASSERT_TRUE(m_host.WaitFor(kArrived));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_TRUE(StopMonitor());
    EXPECT_EQ(m_host.CountOf("MouseFoundAtStart"), 0u);
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));
}

TEST_F(PresenceMonitorTest, RefusedNodeIsToldOnceAndClearedWhenTheMouseOpens) {
    sim::VirtualMouse::Faults faults;
    faults.refuseOpen = true;
    m_mouse->SetFaults(faults);
    AttachMouse();
    platform::DebugCapture capture;
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor("MousePermissionDenied"));
    // Told on change only: later searches that are refused as well say nothing.
    // The enumeration after next begins once the next search is over.
    ASSERT_TRUE(m_backend->WaitForEnumeration(m_backend->Enumerations() + 2));
    EXPECT_EQ(m_host.CountOf("MousePermissionDenied"), 1u);
    EXPECT_FALSE(m_link.IsConnected());
    // The first of the mouse's refused collections is named.
    EXPECT_TRUE(capture.Contains("mouse presence: permission denied opening " +
                                 m_simBackend->PathOf(sim::MouseCollection::Pointer)));

    // The rule installed: the next search opens the mouse and clears the state.
    m_mouse->SetFaults({});
    ASSERT_TRUE(m_host.WaitFor("MousePermissionGranted"));
    EXPECT_TRUE(m_link.IsConnected());
    const std::vector<std::string> calls = m_host.Calls();
    const auto arrived = std::ranges::find(calls, kArrived);
    ASSERT_NE(arrived, calls.end());
    EXPECT_EQ(*std::next(arrived), "MousePermissionGranted");
    EXPECT_TRUE(StopMonitor());
}

TEST_F(PresenceMonitorTest, AMouseInUseIsNamedNeverOpenedAndTakenOnceReleased) {
    const platform::testing::TempFolder locks;
    m_bus->SetOwnerLocks(OwnerLocks{locks.Path(), "varlok"});
    platform::OwnerLock tool;
    ASSERT_EQ(tool.TryAcquire(locks / "sim.lock", "varlokctl"),
              platform::OwnerLock::Result::Acquired);
    AttachMouse();
    StartMonitor();
    const std::string inUse = "MouseInUse varlokctl " + std::to_string(::getpid());
    ASSERT_TRUE(m_host.WaitFor(inUse));
    // Told on change only; no collection of the mouse was opened meanwhile.
    ASSERT_TRUE(m_backend->WaitForEnumeration(m_backend->Enumerations() + 2));
    EXPECT_EQ(m_host.CountOf(inUse), 1u);
    for (const auto& open : m_backend->Opens()) {
        EXPECT_EQ(open.path, sim::VirtualHidBackend::DecoyPath());
    }

    tool.Release();
    ASSERT_TRUE(m_host.WaitFor(kArrived));
    const std::vector<std::string> calls = m_host.Calls();
    EXPECT_LT(std::ranges::find(calls, "MouseFree"), std::ranges::find(calls, kArrived));
    EXPECT_EQ(m_host.CountOf("MouseFree"), 1u);
    EXPECT_EQ(LinkPath(), ConfigPath());
    // Now the window holds it.
    EXPECT_EQ(tool.TryAcquire(locks / "sim.lock", "varlokctl"), platform::OwnerLock::Result::Held);
    EXPECT_TRUE(StopMonitor());
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
    ASSERT_TRUE(m_host.WaitFor(kArrived));
    EXPECT_TRUE(m_link.IsConnected());
    EXPECT_TRUE(StopMonitor());
    EXPECT_TRUE(capture.Contains("mouse presence: HID enumeration failed"));
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));
}

TEST_F(PresenceMonitorTest, StopEndsTheMonitorDuringItsPauseAndBeforeItsFirstCycle) {
    platform::DebugCapture capture;
    AttachMouse();
    StartMonitor();
    ASSERT_TRUE(m_host.WaitFor(kArrived));
    // In its one-second pause now; the stop event ends that wait.
    EXPECT_TRUE(StopMonitor());
    EXPECT_TRUE(capture.Contains(PresenceMonitor::kExitText));

    // A stop requested right after the start is not lost.
    platform::WorkerThread second;
    PresenceMonitor monitor(m_link, m_host);
    ASSERT_TRUE(second.Start([&](platform::Event& stop) { monitor.Run(stop); }));
    platform::WorkerThread* workers[] = {&second};
    EXPECT_EQ(platform::StopWorkers(workers, kHangGuard), platform::StopOutcome::AllEnded);
}

}  // namespace
}  // namespace varlok::device
