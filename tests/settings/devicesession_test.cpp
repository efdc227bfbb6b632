#include "settings/devicesession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "../device/recordingdeviceevents.h"
#include "settingstestsupport.h"
#include "sim/virtualhidbackend.h"

namespace varlok::settings {
namespace {

using device::testing::RecordingDeviceEvents;

class DeviceSessionTest : public ::testing::Test {
protected:
    std::shared_ptr<device::HidBus> m_bus = std::make_shared<device::HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse = sim::AttachVirtualMouse(*m_bus);
    testing::RecordingHooks m_hooks{*m_mouse};
    RecordingDeviceEvents m_events;
    DeviceSession m_session{m_bus, m_hooks, m_hooks, m_hooks};
};

TEST_F(DeviceSessionTest, MonitorsAndWorkersRunAndStopWithoutAWindow) {
    std::atomic<bool> lightingRan{false};
    EXPECT_TRUE(
        m_session.SetWorker(DeviceSession::WorkerSlot::LightingWorker, [&](platform::Event& stop) {
            lightingRan = true;
            static_cast<void>(stop.Wait());
        }));
    // The monitors' slots are the session's own, and a slot takes one worker.
    EXPECT_FALSE(
        m_session.SetWorker(DeviceSession::WorkerSlot::PresenceMonitor, [](platform::Event&) {}));
    EXPECT_FALSE(
        m_session.SetWorker(DeviceSession::WorkerSlot::LightingWorker, [](platform::Event&) {}));
    m_session.InitLinks();
    EXPECT_EQ(m_session.Link(device::DeviceType::Keyboard).ProductId(), 0x6556);
    EXPECT_EQ(m_session.Link(device::DeviceType::Mousepad).ProductId(), 0x5004);
    m_session.Start(m_events);
    EXPECT_FALSE(m_session.SetWorker(DeviceSession::WorkerSlot::ApplicationLinkWatcher,
                                     [](platform::Event&) {}));

    ASSERT_TRUE(m_events.WaitFor("MouseArrived"));
    EXPECT_TRUE(m_session.MouseLink().IsConnected());
    EXPECT_TRUE(m_session.IsAnyLinkConnected());
    ASSERT_TRUE(m_mouse->WaitForWaitingReaders(1, std::chrono::seconds(20)));
    m_mouse->PressEvent(0x402);
    ASSERT_TRUE(m_events.WaitFor("Event mouse 0x0402"));
    EXPECT_FALSE(m_session.Mirror().recordChangedOnDevice.IsSet());
    // The mouse's DPI button changes its record in force: the mirror knows
    // before the window hears of it.
    m_mouse->PressDpiButton();
    ASSERT_TRUE(m_events.WaitFor("Event mouse 0x0401"));
    EXPECT_TRUE(m_session.Mirror().recordChangedOnDevice.IsSet());

    // The exchanges work on the session's link and mirror.
    m_session.Exchange().SyncDevice();
    EXPECT_EQ(m_session.Mirror().deviceInfo.Raw(), m_mouse->DeviceInfo());
    EXPECT_EQ(m_hooks.Calls(), std::vector<std::string>{"SaveDeviceProfile"});

    EXPECT_EQ(m_session.Stop(), platform::StopOutcome::AllEnded);
    EXPECT_TRUE(m_session.HaveWorkersEnded());
    EXPECT_TRUE(lightingRan.load());
    EXPECT_EQ(m_session.Stop(), platform::StopOutcome::AllEnded);
}

}  // namespace
}  // namespace varlok::settings
