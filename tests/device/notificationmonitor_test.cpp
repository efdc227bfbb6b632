#include "device/notificationmonitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "countingbackend.h"
#include "device/hidbus.h"
#include "hidfakebackend.h"
#include "platform/debugoutput.h"
#include "platform/workerthread.h"
#include "recordingdeviceevents.h"
#include "sim/mousedescriptors.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::device {
namespace {

using testing::CountingBackend;
using testing::FakeBackend;
using testing::FakeNode;
using testing::kHangGuard;
using testing::RecordingDeviceEvents;

const std::string kMouse401 = "Event mouse 0x0401";
const std::string kMouse402 = "Event mouse 0x0402";
const std::string kMouse403 = "Event mouse 0x0403";

// The keyboard's notification interface is taken to look like the mouse's
// second interface: consumer control (col01, report 2) beside a
// configuration collection (col02).
std::vector<std::uint8_t> KeyboardInterfaceDescriptor() {
    const std::span<const std::uint8_t> bytes = sim::ConfigInterfaceDescriptor();
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> KeyboardReport(std::uint16_t code) {
    return {sim::kConsumerReportId, static_cast<std::uint8_t>(code & 0xFF),
            static_cast<std::uint8_t>(code >> 8)};
}

class NotificationMonitorTest : public ::testing::Test {
protected:
    void Start(bool withWake = true) {
        NotificationMonitor& monitor = *m_monitor;
        platform::WorkerThread::Wake wake;
        if (withWake) {
            wake = [&monitor] { monitor.Wake(); };
        }
        ASSERT_TRUE(m_worker.Start([&monitor](platform::Event& stop) { monitor.Run(stop); }, wake));
    }
    [[nodiscard]] bool Stop() {
        platform::WorkerThread* workers[] = {&m_worker};
        return platform::StopWorkers(workers, kHangGuard) == platform::StopOutcome::AllEnded;
    }

    std::shared_ptr<HidBus> m_bus = std::make_shared<HidBus>();
    RecordingDeviceEvents m_host;
    std::unique_ptr<NotificationMonitor> m_monitor;
    // Last, so that the thread is joined before the monitor goes.
    platform::WorkerThread m_worker;
};

class MouseNotificationTest : public NotificationMonitorTest {
protected:
    MouseNotificationTest() {
        m_bus->Attach(m_backend);
        m_monitor = std::make_unique<NotificationMonitor>(DeviceType::Mouse, m_host, m_bus);
    }
    // The monitor is reading once the sim sees a reader waiting.
    [[nodiscard]] bool WaitUntilReading() {
        return m_mouse->WaitForWaitingReaders(
            1, std::chrono::duration_cast<std::chrono::milliseconds>(kHangGuard));
    }

    std::shared_ptr<sim::VirtualMouse> m_mouse = std::make_shared<sim::VirtualMouse>();
    std::shared_ptr<sim::VirtualHidBackend> m_simBackend =
        std::make_shared<sim::VirtualHidBackend>(m_mouse);
    std::shared_ptr<CountingBackend> m_backend = std::make_shared<CountingBackend>(m_simBackend);
};

TEST_F(MouseNotificationTest, KnownEventCodesAreReportedInOrder) {
    Start();
    ASSERT_TRUE(WaitUntilReading());

    m_mouse->PressEvent(0x401);
    ASSERT_TRUE(m_host.WaitFor(kMouse401));
    m_mouse->PressEvent(0x402);
    ASSERT_TRUE(m_host.WaitFor(kMouse402));
    m_mouse->PressEvent(0x403);
    ASSERT_TRUE(m_host.WaitFor(kMouse403));
    // An unknown code, then one more 0x401: once that arrived, every report
    // before it (the releases, which report no usage, and 0x404) has been
    // handled and reported nothing.
    m_mouse->PressEvent(0x404);
    m_mouse->PressEvent(0x401);
    ASSERT_TRUE(m_host.WaitFor(kMouse401, 2));
    EXPECT_EQ(m_host.Calls(),
              (std::vector<std::string>{kMouse401, kMouse402, kMouse403, kMouse401}));
    EXPECT_TRUE(Stop());
}

TEST_F(MouseNotificationTest, StopWakesTheReadThatWaitsWithoutLimit) {
    platform::DebugCapture capture;
    Start();
    ASSERT_TRUE(WaitUntilReading());
    EXPECT_TRUE(Stop());
    EXPECT_TRUE(capture.Contains("鼠标同步线程设定测试退出"));
    EXPECT_EQ(m_host.Calls(), std::vector<std::string>{});
}

TEST_F(MouseNotificationTest, StopReleasesAMonitorWaitingInAReportOnceShutdownBegins) {
    m_host.HoldEvents();
    Start();
    ASSERT_TRUE(WaitUntilReading());
    m_mouse->PressEvent(0x402);
    // The UI thread is busy: the monitor waits in its report.
    ASSERT_TRUE(m_host.WaitForWaitingEvent());
    // What the main window does on destruction: begin shutting down (which
    // releases the send), then stop the workers.
    m_host.BeginShutdown();
    EXPECT_TRUE(Stop());
}

TEST_F(MouseNotificationTest, UnpluggedMouseIsFoundAgainWhenPluggedBackIn) {
    Start();
    ASSERT_TRUE(WaitUntilReading());
    m_mouse->Unplug();
    m_mouse->Plug();
    // Reopened under the new plug-in's path; its read waits once the old
    // one is over.
    ASSERT_TRUE(m_backend->WaitForOpen(m_simBackend->PathOf(sim::MouseCollection::Consumer)));
    ASSERT_TRUE(WaitUntilReading());
    m_mouse->PressEvent(0x402);
    ASSERT_TRUE(m_host.WaitFor(kMouse402));
    EXPECT_TRUE(Stop());
}

class KeyboardNotificationTest : public NotificationMonitorTest {
protected:
    KeyboardNotificationTest() {
        m_backend = std::make_shared<FakeBackend>("fake");
        m_keyboard = m_backend->AddNode("kbd", KeyboardInterfaceDescriptor(),
                                        HidAttributes{0x0C45, 0x6556, 1});
        m_mouseLookAlike = m_backend->AddNode("ms", KeyboardInterfaceDescriptor(),
                                              HidAttributes{0x0C45, 0x7643, 1});
        m_backend->AddPath("fake:ms#vid_0c45&pid_7643&mi_01&col01");
        m_backend->AddPath("fake:kbd#vid_0c45&pid_6556&mi_01&col01");
        m_bus->Attach(m_backend);
        m_monitor = std::make_unique<NotificationMonitor>(DeviceType::Keyboard, m_host, m_bus);
    }

    std::shared_ptr<FakeBackend> m_backend;
    std::shared_ptr<FakeNode> m_keyboard;
    std::shared_ptr<FakeNode> m_mouseLookAlike;
};

TEST_F(KeyboardNotificationTest, OnlyTheKeyboardIsOpenedAndItsCodesReported) {
    Start();
    ASSERT_TRUE(m_keyboard->WaitForWaitingReader(kHangGuard));
    // Only the keyboard's product id is opened.
    EXPECT_EQ(m_mouseLookAlike->LiveConnections(), 0);
    EXPECT_EQ(m_keyboard->LiveConnections(), 1);
    const std::vector<HidOpenRequest> requests = m_backend->OpenRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].read);
    EXPECT_FALSE(requests[0].write);
    EXPECT_FALSE(requests[0].exclusive);

    m_keyboard->Send(KeyboardReport(0x401));
    m_keyboard->Send(KeyboardReport(0x000));
    m_keyboard->Send(KeyboardReport(0x403));
    m_keyboard->Send(KeyboardReport(0x402));
    ASSERT_TRUE(m_host.WaitFor("Event keyboard 0x0402"));
    // A report with no pressed usage reports nothing.
    EXPECT_EQ(m_host.Calls(),
              (std::vector<std::string>{"Event keyboard 0x0401", "Event keyboard 0x0403",
                                        "Event keyboard 0x0402"}));
    EXPECT_TRUE(Stop());
}

TEST_F(KeyboardNotificationTest, StopEndsTheMonitorThroughItsReadTimeoutAlone) {
    platform::DebugCapture capture;
    Start(/*withWake=*/false);
    ASSERT_TRUE(m_keyboard->WaitForWaitingReader(kHangGuard));
    EXPECT_TRUE(Stop());
    // Written once, when the thread ends.
    const std::vector<std::string> lines = capture.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "键盘同步线程设定退出"), 1);
    EXPECT_EQ(m_keyboard->LiveConnections(), 0);
}

TEST(DeviceEventCodes, OnlyTheThreeCodesAreKnown) {
    for (const std::uint16_t code : {0x401, 0x402, 0x403}) {
        ASSERT_TRUE(FindDeviceEventCode(code).has_value()) << code;
        EXPECT_EQ(static_cast<std::uint16_t>(*FindDeviceEventCode(code)), code);
    }
    for (const std::uint16_t code : {0x000, 0x400, 0x404, 0x1401}) {
        EXPECT_FALSE(FindDeviceEventCode(code).has_value()) << code;
    }
}

}  // namespace
}  // namespace varlok::device
