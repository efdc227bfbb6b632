#pragma once

// A DeviceEventSink for the monitor tests: records every event as one line
// of text, in order, from any thread, and lets a test wait for a line.
// Reported device events return at once unless the test holds them, in which
// case they wait like a busy UI thread until released or until shutdown
// begins.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "device/deviceevents.h"

namespace varlok::device::testing {

// Only a guard against hanging; nothing waits this long when all is well.
inline constexpr std::chrono::seconds kHangGuard{20};

class RecordingDeviceEvents : public DeviceEventSink {
public:
    void MouseArrived() override { Record("MouseArrived"); }
    void MouseFoundAtStart() override { Record("MouseFoundAtStart"); }
    void MouseStillPresent() override { Record("MouseStillPresent"); }
    void MouseRemoved() override { Record("MouseRemoved"); }
    void MousePermissionDenied(bool denied) override {
        Record(denied ? "MousePermissionDenied" : "MousePermissionGranted");
    }
    // "MouseInUse varlokctl 42", "MouseInUse  0" (unnamed) or "MouseFree".
    void MouseInUse(const std::optional<platform::LockHolder>& holder) override {
        Record(holder ? "MouseInUse " + holder->program + " " + std::to_string(holder->pid)
                      : "MouseFree");
    }
    void DeviceEventReported(DeviceType device, DeviceEventCode code) override {
        std::unique_lock lock(m_mutex);
        AppendLocked(EventText(device, code));
        ++m_eventsWaiting;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_holdEvents || m_shuttingDown; });
        --m_eventsWaiting;
    }

    // "Event mouse 0x0402".
    static std::string EventText(DeviceType device, DeviceEventCode code) {
        char text[48];
        std::snprintf(text, sizeof text, "Event %s 0x%04X",
                      std::string(IdentityOf(device).name).c_str(), static_cast<unsigned>(code));
        return text;
    }

    // Reported events wait from now on until ReleaseEvents or BeginShutdown.
    void HoldEvents() {
        std::lock_guard lock(m_mutex);
        m_holdEvents = true;
    }
    void ReleaseEvents() {
        {
            std::lock_guard lock(m_mutex);
            m_holdEvents = false;
        }
        m_changed.notify_all();
    }
    // What the application does before it stops the monitors: waiting and
    // later reports return at once.
    void BeginShutdown() {
        {
            std::lock_guard lock(m_mutex);
            m_shuttingDown = true;
        }
        m_changed.notify_all();
    }
    [[nodiscard]] bool WaitForWaitingEvent() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kHangGuard, [&] { return m_eventsWaiting > 0; });
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
    bool m_holdEvents = false;
    bool m_shuttingDown = false;
    int m_eventsWaiting = 0;
};

}  // namespace varlok::device::testing
