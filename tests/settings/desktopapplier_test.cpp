#include "settings/desktopapplier.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "platform/gnomedesktopsettings.h"
#include "platform/recordingdesktopsettings.h"

namespace varlok::settings {
namespace {

using platform::DesktopApplyResult;
using platform::DesktopSetting;
using Call = platform::RecordedDesktopCall;

// A desktop that, like GSettings, must never see two calls at once. What it
// records is kept in plain members on purpose: ThreadSanitizer reports two
// calls that nothing orders, whether or not they happened to overlap, and a
// call that starts while another is inside is counted in any build. The first
// call can be held inside until the test lets it go.
class SerialOnlyDesktop final : public platform::DesktopSettings {
public:
    // Read only once the applier has ordered every call before the reader
    // (WaitForPending, a Now call or its destruction).
    mutable std::vector<Call> calls;
    mutable std::set<std::thread::id> threads;

    [[nodiscard]] int Overlaps() const { return m_overlaps.load(std::memory_order_relaxed); }

    void HoldFirstCall() { m_hold = true; }
    // Waits until the first call is held; the bound only keeps a broken test
    // from hanging.
    [[nodiscard]] bool WaitUntilHeld() {
        std::unique_lock lock(m_gateMutex);
        return m_gate.wait_for(lock, kBound, [this] { return m_held; });
    }
    void Release() {
        {
            const std::lock_guard lock(m_gateMutex);
            m_released = true;
        }
        m_gate.notify_all();
    }

    [[nodiscard]] std::string_view BackendName() const override { return "serial only"; }
    [[nodiscard]] bool Supports(DesktopSetting) const override { return true; }
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override {
        Enter({Call::Kind::SetPointerSpeed, speed});
        m_pointerSpeed = ClampPointerSpeed(speed);
        Leave();
        return DesktopApplyResult::Applied;
    }
    [[nodiscard]] std::optional<int> PointerSpeed() const override {
        Enter({Call::Kind::ReadPointerSpeed, 0});
        const std::optional<int> speed = m_pointerSpeed;
        Leave();
        return speed;
    }
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override {
        Enter({Call::Kind::SetWheelLines, lines});
        Leave();
        return DesktopApplyResult::Applied;
    }

private:
    static constexpr std::chrono::seconds kBound{20};

    // Relaxed atomics only: nothing here may order one call after another.
    void Enter(Call call) const {
        if (m_inside.fetch_add(1, std::memory_order_relaxed) != 0) {
            m_overlaps.fetch_add(1, std::memory_order_relaxed);
        }
        calls.push_back(call);
        threads.insert(std::this_thread::get_id());
        if (m_hold && calls.size() == 1) {
            std::unique_lock lock(m_gateMutex);
            m_held = true;
            m_gate.notify_all();
            m_gate.wait_for(lock, kBound, [this] { return m_released; });
        }
    }
    void Leave() const { m_inside.fetch_sub(1, std::memory_order_relaxed); }

    bool m_hold = false;
    std::optional<int> m_pointerSpeed = kDefaultPointerSpeed;
    mutable std::atomic<int> m_inside{0};
    mutable std::atomic<int> m_overlaps{0};
    mutable std::mutex m_gateMutex;
    mutable std::condition_variable m_gate;
    mutable bool m_held = false;
    bool m_released = false;
};

TEST(DesktopApplierTest, ChangesReachTheDesktopOneAtATimeAndTheLastOfEachWins) {
    MouseMirror mirror;
    auto desktop = std::make_shared<SerialOnlyDesktop>();
    desktop->HoldFirstCall();
    {
        DesktopApplier applier(desktop, mirror);
        mirror.pointerSpeed.Set(5);
        applier.ApplyPointerSpeedLater();
        const bool held = desktop->WaitUntilHeld();
        // While the desktop is busy: two more speeds (the last beyond the
        // desktop's scale) and the wheel lines.
        mirror.pointerSpeed.Set(7);
        applier.ApplyPointerSpeedLater();
        mirror.wheelLines.Set(4);
        applier.ApplyWheelLinesLater();
        mirror.pointerSpeed.Set(25);
        applier.ApplyPointerSpeedLater();
        desktop->Release();
        ASSERT_TRUE(held);
        // Leaving the scope carries out what still waits.
    }
    EXPECT_EQ(desktop->calls, (std::vector<Call>{{Call::Kind::SetPointerSpeed, 5},
                                                 {Call::Kind::SetPointerSpeed, 20},
                                                 {Call::Kind::SetWheelLines, 4}}));
    EXPECT_EQ(desktop->Overlaps(), 0);
    ASSERT_EQ(desktop->threads.size(), 1u);
    EXPECT_NE(*desktop->threads.begin(), std::this_thread::get_id());
    EXPECT_EQ(mirror.pointerSpeed.Get(), 20);
}

TEST(DesktopApplierTest, NowCallsAndReadsWaitForTheOwnerThread) {
    MouseMirror mirror;
    mirror.pointerSpeed.Set(16);
    auto desktop = std::make_shared<SerialOnlyDesktop>();
    DesktopApplier applier(desktop, mirror);
    applier.ApplyPointerSpeedLater();
    // Takes the place of the change still waiting, or follows it.
    applier.ApplyPointerSpeedNow(3);
    EXPECT_EQ(desktop->calls.back(), (Call{Call::Kind::SetPointerSpeed, 3}));
    applier.ApplyWheelLinesNow(8);
    EXPECT_EQ(desktop->calls.back(), (Call{Call::Kind::SetWheelLines, 8}));
    EXPECT_EQ(applier.ReadPointerSpeed(), 3);
    EXPECT_EQ(mirror.pointerSpeed.Get(), 16);
    EXPECT_EQ(desktop->threads.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(desktop->threads.size(), 1u);
    EXPECT_EQ(desktop->Overlaps(), 0);
}

// GSettings on GLib's in-memory backend, the desktop that aborted the process
// when two changes ran at once. CTest sets GSETTINGS_BACKEND too; SetUp stops
// the test should GIO have picked another backend.
class DesktopApplierGnomeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("GSETTINGS_BACKEND", "memory", 1); }

    void SetUp() override {
        GSettingsBackend* backend = g_settings_backend_get_default();
        ASSERT_STREQ(G_OBJECT_TYPE_NAME(backend), "GMemorySettingsBackend");
        g_object_unref(backend);
        ASSERT_TRUE(platform::GnomeDesktopSettings::SchemaInstalled())
            << "install gsettings-desktop-schemas (scripts/quickstart does)";
    }
};

TEST_F(DesktopApplierGnomeTest, BurstsOfChangesAndReadsEndWithTheLastValue) {
    MouseMirror mirror;
    DesktopApplier applier(std::make_shared<platform::GnomeDesktopSettings>(), mirror);
    constexpr int kChanges = 400;
    for (int change = 1; change <= kChanges; ++change) {
        mirror.pointerSpeed.Set(static_cast<std::uint8_t>(1 + change % 20));
        applier.ApplyPointerSpeedLater();
        if (change % 25 == 0) {
            ASSERT_TRUE(applier.ReadPointerSpeed().has_value());
        }
        if (change % 100 == 0) {
            applier.WaitForPending();
        }
    }
    applier.ApplyPointerSpeedLater();
    EXPECT_EQ(applier.ReadPointerSpeed(), 1 + kChanges % 20);
}

}  // namespace
}  // namespace varlok::settings
