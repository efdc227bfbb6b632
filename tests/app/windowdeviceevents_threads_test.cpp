#include "app/windowdeviceevents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/messagerelay.h"
#include "app/support/mainwindowfixture.h"
#include "ui/messagetarget.h"
#include "ui/qt/messagehub.h"
#include "ui/recordingtarget.h"
#include "ui/support/uidriver.h"
#include "ui/windowmessages.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using device::DeviceEventCode;
using device::DeviceType;

// Records what reaches it, as the main window would receive it.
class RecordingWindow : public ui::MessageTarget {
public:
    ui::LResult HandleMessage(ui::MessageId message, ui::WParam wParam, ui::LParam /*lParam*/,
                              bool& handled) override {
        handled = true;
        if (message == ui::WM_TIMER) {
            handle.KillTimer(wParam);
        }
        received.push_back({message, wParam});
        return 7;
    }
    struct Entry {
        ui::MessageId message;
        ui::WParam wParam;
        bool operator==(const Entry&) const = default;
    };
    ui::WindowHandle handle;
    std::vector<Entry> received;
};

class WindowDeviceEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::test::EnsureApplication();
        m_window.handle = ui::WindowHandle::Register(m_window);
    }
    void TearDown() override { ui::WindowHandle::Unregister(m_window.handle); }

    static constexpr ui::MessageId kActivate = 0xC123;
    RecordingWindow m_window;
    MessageRelay m_relay{m_window};
    std::atomic<bool> m_reactiveTrigger{false};
};

TEST_F(WindowDeviceEventsTest, EventsFromAMonitorThreadArriveInTheirOrder) {
    WindowDeviceEvents host(m_window.handle, m_relay.Open(), {kActivate}, m_reactiveTrigger);
    std::thread monitor([&host] {
        host.MouseArrived();
        host.MouseFoundAtStart();
        host.MouseStillPresent();
        host.DeviceEventReported(DeviceType::Mouse, DeviceEventCode::ProfileSwitched);
        host.MouseRemoved();
        host.MousePermissionDenied(true);
        host.MousePermissionDenied(false);
    });
    monitor.join();
    ASSERT_TRUE(
        testing::MainWindowFixture::RunUntil([this] { return m_window.received.size() == 11; }));
    using Entry = RecordingWindow::Entry;
    // The arrival's control changes are queued before timer 8 (500 ms).
    const std::vector<Entry> expected = {
        {MessageNumber(MonitorControlMessage::SelectStoredDeviceProfile), 0},
        {MessageNumber(MonitorControlMessage::ShowMouseTab), 0},
        {MessageNumber(MonitorControlMessage::ShowMouseTabPanel), 0},
        {kActivate, 0},
        {MessageNumber(MonitorControlMessage::HideSameModeOption), 0},
        {MessageNumber(MonitorControlMessage::HideMouseTab), 0},
        {0x0C05, 0},
        {MessageNumber(MonitorControlMessage::ShowPermissionHelp), 0},
        {MessageNumber(MonitorControlMessage::HidePermissionHelp), 0},
        {ui::WM_TIMER, 13},
        {ui::WM_TIMER, 8},
    };
    EXPECT_EQ(m_window.received, expected);
}

TEST_F(WindowDeviceEventsTest, AStartInTheTrayStaysThereWhenTheMouseIsFound) {
    WindowDeviceEvents host(m_window.handle, m_relay.Open(), {kActivate, false}, m_reactiveTrigger);
    std::thread monitor([&host] {
        host.MouseFoundAtStart();
        host.MouseStillPresent();
    });
    monitor.join();
    ASSERT_TRUE(
        testing::MainWindowFixture::RunUntil([this] { return !m_window.received.empty(); }));
    ui::test::DeliverPosted();
    using Entry = RecordingWindow::Entry;
    const std::vector<Entry> expected{
        {MessageNumber(MonitorControlMessage::HideSameModeOption), 0}};
    EXPECT_EQ(m_window.received, expected);
}

TEST(DeviceEventRules, EachDeviceEventHasItsAction) {
    const auto rule = [](DeviceType device, DeviceEventCode code) {
        return FindDeviceEventRule(device, code);
    };
    EXPECT_EQ(rule(DeviceType::Mouse, DeviceEventCode::ProfileSwitched)->timer,
              WindowTimer::RereadMouseRecord);
    EXPECT_EQ(rule(DeviceType::Mouse, DeviceEventCode::ConfigurationChanged)->message,
              WindowMessage::MouseChanged);
    EXPECT_EQ(rule(DeviceType::Mouse, DeviceEventCode::ReactiveKey)->action,
              DeviceEventAction::ReactiveTrigger);
    EXPECT_EQ(rule(DeviceType::Keyboard, DeviceEventCode::ProfileSwitched)->message,
              WindowMessage::KeyboardEvent401);
    EXPECT_EQ(rule(DeviceType::Keyboard, DeviceEventCode::ConfigurationChanged)->message,
              WindowMessage::KeyboardEvent402);
    EXPECT_FALSE(rule(DeviceType::Keyboard, DeviceEventCode::ReactiveKey));
    EXPECT_FALSE(rule(DeviceType::Mousepad, DeviceEventCode::ProfileSwitched));
}

TEST_F(WindowDeviceEventsTest, SendWaitsForTheWindowUntilTheRelayIsClosed) {
    WindowDeviceEvents host(m_window.handle, m_relay.Open(), {kActivate}, m_reactiveTrigger);
    std::atomic<bool> sent{false};
    std::thread monitor([&] {
        host.DeviceEventReported(DeviceType::Mouse, DeviceEventCode::ConfigurationChanged);
        sent = true;
    });
    ASSERT_TRUE(testing::MainWindowFixture::RunUntil([&] { return sent.load(); }));
    monitor.join();
    ASSERT_EQ(m_window.received.size(), 1U);
    EXPECT_EQ(m_window.received[0].message, 0x0901U);

    // A send that waits while the UI thread is busy is released by closing
    // the relay; the window never sees it.
    std::atomic<bool> released{false};
    std::thread waiting([&] {
        host.DeviceEventReported(DeviceType::Keyboard, DeviceEventCode::ConfigurationChanged);
        released = true;
    });
    ASSERT_TRUE(ui::qt::MessageHub::WaitForQueued(1, 10s));
    m_relay.Close();
    waiting.join();
    EXPECT_TRUE(released.load());
    // Later sends return at once.
    std::thread late([&host] {
        host.DeviceEventReported(DeviceType::Keyboard, DeviceEventCode::ProfileSwitched);
    });
    late.join();
    ui::test::DeliverPosted();
    EXPECT_EQ(m_window.received.size(), 1U);
}

TEST_F(WindowDeviceEventsTest, TheReactiveKeyArmsTheEffectsTriggerAndSendsNothing) {
    WindowDeviceEvents host(m_window.handle, m_relay.Open(), {kActivate}, m_reactiveTrigger);
    std::thread monitor(
        [&host] { host.DeviceEventReported(DeviceType::Keyboard, DeviceEventCode::ReactiveKey); });
    monitor.join();
    EXPECT_FALSE(m_reactiveTrigger.load());
    monitor = std::thread(
        [&host] { host.DeviceEventReported(DeviceType::Mouse, DeviceEventCode::ReactiveKey); });
    monitor.join();
    EXPECT_TRUE(m_reactiveTrigger.load());
    EXPECT_TRUE(m_window.received.empty());
}

}  // namespace
}  // namespace varlok::app
