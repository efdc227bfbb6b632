// CDeviceHook between a capture and the main window: keys are sent with
// their record, buttons posted, a capture thread never waits for the UI
// thread, and nothing of a removed capture arrives, even while a key is on
// its way when the capture is removed.

#include "keys/page/devicehook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/fakeinputcapture.h"
#include "ui/recordingtarget.h"
#include "ui/support/uidriver.h"

namespace varlok::keys {
namespace {

using platform::CapturedKey;
using ui::test::DeliverPosted;
using ui::test::RecordingTarget;

struct Delivered {
    ui::MessageId message;
    ui::WParam wParam;
    std::uint32_t virtualKey;  // from the record, read while it was valid
    std::uint32_t flags;
    friend bool operator==(const Delivered&, const Delivered&) = default;
};

class DeviceHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::test::EnsureApplication();
        m_target = std::make_unique<RecordingTarget>();
        m_target->onMessage = [this](ui::MessageId message, ui::WParam wParam,
                                     ui::LParam lParam) -> ui::LResult {
            Delivered delivered{message, wParam, 0, 0};
            if (message != kHookMacroMouseMessage) {
                delivered.virtualKey = HookRecordOf(lParam).virtualKey;
                delivered.flags = HookRecordOf(lParam).flags;
            }
            m_delivered.push_back(delivered);
            if (m_onDelivery) {
                m_onDelivery();
            }
            return 0;
        };
        m_hook.SetTarget(m_target->Handle());
    }

    std::shared_ptr<platform::FakeInputCapture> m_capture =
        std::make_shared<platform::FakeInputCapture>();
    CDeviceHook m_hook{m_capture};
    std::unique_ptr<RecordingTarget> m_target;
    std::vector<Delivered> m_delivered;
    std::function<void()> m_onDelivery;
};

TEST_F(DeviceHookTest, SendsKeysWithTheirRecordAndPostsButtonsByMode) {
    ASSERT_TRUE(m_hook.Install(HookMode::Macro, true, true));
    EXPECT_TRUE(m_capture->Type({0x100, 0xA0, 0x00}));
    // Sent: handled before Type returns.
    EXPECT_EQ(m_delivered, (std::vector<Delivered>{{0x812, 0x100, 0xA0, 0x00}}));
    EXPECT_TRUE(m_capture->Click(0x201));
    EXPECT_EQ(m_delivered.size(), 1U);
    DeliverPosted();
    EXPECT_EQ(m_delivered.back(), (Delivered{0x813, 0x201, 0, 0}));

    ASSERT_TRUE(m_hook.Install(HookMode::SingleKey, true, false));
    EXPECT_TRUE(m_capture->Type({0x101, 0x0D, 0x81}));
    EXPECT_FALSE(m_capture->Click(0x201));
    EXPECT_EQ(m_delivered.back(), (Delivered{0x810, 0x101, 0x0D, 0x81}));

    m_hook.Remove();
    EXPECT_FALSE(m_hook.IsInstalled());
    EXPECT_FALSE(m_capture->Type({0x100, 0x41, 0x00}));
    m_capture->FailNextStart();
    EXPECT_FALSE(m_hook.Install(HookMode::Macro, true, true));
    EXPECT_FALSE(m_hook.IsInstalled());
    EXPECT_EQ(m_delivered.size(), 3U);
}

// A capture thread types without pause while the UI thread takes what
// arrives and removes the capture from inside a delivery. The capture
// waits in Remove for the key in flight; the old hand-over (the capture
// thread waiting for the UI thread) deadlocked here.
TEST_F(DeviceHookTest, RemoveWhileKeysAreOnTheirWayNeitherHangsNorLetsOneThrough) {
    ASSERT_TRUE(m_hook.Install(HookMode::Macro, true, true));
    std::atomic<bool> typing = true;
    std::thread capture([&] {
        for (std::uint32_t n = 0; typing; ++n) {
            static_cast<void>(m_capture->Type({0x100, n & 0xFF, 0x00}));
            static_cast<void>(m_capture->Click(0x201));
        }
    });
    constexpr std::size_t kBeforeRemove = 200;
    ui::ModalLoop loop;
    std::size_t atRemove = 0;
    m_onDelivery = [&] {
        if (m_delivered.size() == kBeforeRemove) {
            m_hook.Remove();
            atRemove = m_delivered.size();
            loop.End(1);
        }
    };
    EXPECT_EQ(ui::test::RunGuarded(loop), 1);
    // Whatever the capture had queued before it was removed is dropped.
    DeliverPosted();
    typing = false;
    capture.join();
    DeliverPosted();
    EXPECT_EQ(m_delivered.size(), atRemove);
    // In the order typed, keys and buttons interleaved.
    std::uint32_t next = 0;
    bool keyNext = true;
    for (const Delivered& delivered : m_delivered) {
        if (keyNext) {
            ASSERT_EQ(delivered.message, kHookMacroKeyMessage);
            EXPECT_EQ(delivered.virtualKey, next++ & 0xFF);
        } else {
            ASSERT_EQ(delivered, (Delivered{0x813, 0x201, 0, 0}));
        }
        keyNext = !keyNext;
    }
}

}  // namespace
}  // namespace varlok::keys
