#include "app/windowmonitorhost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/messagerelay.h"
#include "app/support/mainwindowfixture.h"
#include "ui/messagetarget.h"
#include "ui/qt/messagehub.h"
#include "ui/support/uidriver.h"
#include "ui/windowmessages.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using device::WindowMessage;
using device::WindowTimer;

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

class WindowMonitorHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::test::EnsureApplication();
        m_window.handle = ui::WindowHandle::Register(m_window);
    }
    void TearDown() override { ui::WindowHandle::Unregister(m_window.handle); }

    static constexpr ui::MessageId kActivate = 0xC123;
    RecordingWindow m_window;
    MessageRelay m_relay{m_window};
};

TEST_F(WindowMonitorHostTest, CallsFromAMonitorThreadArriveInTheirOrder) {
    WindowMonitorHost host(m_window.handle, m_relay.Open(), kActivate);
    std::thread monitor([&host] {
        host.HideMouseTab();
        host.Post(WindowMessage::MouseRemoved);
        host.SelectDeviceProfile(3);
        host.SelectDeviceProfile(-1);
        host.ShowMouseTab();
        host.ShowMouseTabPanel();
        host.HideSameModeOption();
        host.PostActivateMessage();
        host.StartTimer(WindowTimer::ReadMouseConfiguration, 1ms);
    });
    monitor.join();
    ASSERT_TRUE(
        testing::MainWindowFixture::RunUntil([this] { return m_window.received.size() == 8; }));
    using Entry = RecordingWindow::Entry;
    const std::vector<Entry> expected = {
        {MessageNumber(MonitorControlMessage::HideMouseTab), 0},
        {0x0C05, 0},
        {MessageNumber(MonitorControlMessage::SelectDeviceProfile), 3},
        {MessageNumber(MonitorControlMessage::ShowMouseTab), 0},
        {MessageNumber(MonitorControlMessage::ShowMouseTabPanel), 0},
        {MessageNumber(MonitorControlMessage::HideSameModeOption), 0},
        {kActivate, 0},
        {ui::WM_TIMER, 8},
    };
    EXPECT_EQ(m_window.received, expected);
}

TEST_F(WindowMonitorHostTest, SendWaitsForTheWindowUntilTheRelayIsClosed) {
    WindowMonitorHost host(m_window.handle, m_relay.Open(), kActivate);
    std::atomic<bool> sent{false};
    std::thread monitor([&] {
        host.Send(WindowMessage::MouseChanged);
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
        host.Send(WindowMessage::SaveStarted);
        released = true;
    });
    ASSERT_TRUE(ui::qt::MessageHub::WaitForQueued(1, 10s));
    m_relay.Close();
    waiting.join();
    EXPECT_TRUE(released.load());
    // Later sends return at once.
    std::thread late([&host] { host.Send(WindowMessage::SaveFinished); });
    late.join();
    testing::MainWindowFixture::RunFor(50ms);
    EXPECT_EQ(m_window.received.size(), 1U);
}

TEST_F(WindowMonitorHostTest, TheReactiveTriggerIsTakenOncePerArming) {
    WindowMonitorHost host(m_window.handle, m_relay.Open(), kActivate);
    EXPECT_FALSE(host.TakeMouseReactiveTrigger());
    std::thread monitor([&host] {
        host.SetMouseReactiveTrigger();
        host.SetMouseReactiveTrigger();
    });
    monitor.join();
    EXPECT_TRUE(host.TakeMouseReactiveTrigger());
    EXPECT_FALSE(host.TakeMouseReactiveTrigger());
    EXPECT_TRUE(m_window.received.empty());
}

}  // namespace
}  // namespace varlok::app
