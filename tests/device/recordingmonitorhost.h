#pragma once

// A MonitorHost for the monitor tests: records every call as one line of
// text, in order, from any thread, and lets a test wait for a line. Sends
// return at once unless the test holds them, in which case they wait like a
// busy UI thread until released or until shutdown begins.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "device/monitorhost.h"

namespace varlok::device::testing {

// Only a guard against hanging; nothing waits this long when all is well.
inline constexpr std::chrono::seconds kHangGuard{20};

class RecordingMonitorHost : public MonitorHost {
public:
    void Post(WindowMessage message) override { Record("Post " + Hex(MessageNumber(message))); }
    void PostActivateMessage() override { Record("PostActivate"); }
    void Send(WindowMessage message) override {
        std::unique_lock lock(m_mutex);
        AppendLocked("Send " + Hex(MessageNumber(message)));
        ++m_sendsWaiting;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_holdSends || m_shuttingDown; });
        --m_sendsWaiting;
    }
    void StartTimer(WindowTimer timer, std::chrono::milliseconds period) override {
        Record("StartTimer " + std::to_string(TimerId(timer)) + " " +
               std::to_string(period.count()));
    }
    void SelectDeviceProfile(int entryIndex) override {
        Record("SelectDeviceProfile " + std::to_string(entryIndex));
    }
    void ShowMouseTab() override { Record("ShowMouseTab"); }
    void ShowMouseTabPanel() override { Record("ShowMouseTabPanel"); }
    void HideMouseTab() override { Record("HideMouseTab"); }
    void HideSameModeOption() override { Record("HideSameModeOption"); }
    void SetMouseReactiveTrigger() override { Record("ReactiveTrigger"); }

    // Sends wait from now on until ReleaseSends or BeginShutdown.
    void HoldSends() {
        std::lock_guard lock(m_mutex);
        m_holdSends = true;
    }
    void ReleaseSends() {
        {
            std::lock_guard lock(m_mutex);
            m_holdSends = false;
        }
        m_changed.notify_all();
    }
    // What the application does before it stops the monitors: waiting and
    // later sends return at once.
    void BeginShutdown() {
        {
            std::lock_guard lock(m_mutex);
            m_shuttingDown = true;
        }
        m_changed.notify_all();
    }
    [[nodiscard]] bool WaitForWaitingSend() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kHangGuard, [&] { return m_sendsWaiting > 0; });
    }

    [[nodiscard]] std::vector<std::string> Calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    [[nodiscard]] std::size_t CountOf(const std::string& call) const {
        std::lock_guard lock(m_mutex);
        return static_cast<std::size_t>(std::count(m_calls.begin(), m_calls.end(), call));
    }
    // Waits until `call` has been recorded `times` times; false when the
    // guard ran out first.
    [[nodiscard]] bool WaitFor(const std::string& call, std::size_t times = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kHangGuard, [&] {
            return static_cast<std::size_t>(std::count(m_calls.begin(), m_calls.end(), call)) >=
                   times;
        });
    }

    static std::string Hex(std::uint32_t number) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", number);
        return text;
    }

private:
    void Record(std::string call) {
        std::lock_guard lock(m_mutex);
        AppendLocked(std::move(call));
    }
    void AppendLocked(std::string call) {
        m_calls.push_back(std::move(call));
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_calls;
    bool m_holdSends = false;
    bool m_shuttingDown = false;
    int m_sendsWaiting = 0;
};

}  // namespace varlok::device::testing
