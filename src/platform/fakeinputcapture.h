#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/inputcapture.h"

namespace varlok::platform {

// Input as a test types it: delivered on the thread that calls Type/Click,
// to the sinks of a running capture only. Like a capture with a thread of
// its own, Stop waits for deliveries in flight on other threads (a sink that
// stops the capture it is called by does not wait for itself).
class FakeInputCapture : public InputCapture {
public:
    explicit FakeInputCapture(CaptureReach reach = CaptureReach::Desktop) : m_reach(reach) {}

    [[nodiscard]] CaptureReach Reach() const override { return m_reach; }
    bool Start(bool keyboard, bool mouse, Sinks sinks) override;
    void Stop() override;
    [[nodiscard]] bool IsRunning() const override;

    // The next Start fails (a grab another program holds).
    void FailNextStart() { m_failNextStart = true; }

    // True when a running keyboard capture took the key.
    bool Type(const CapturedKey& key);
    // True when a running mouse capture saw the message.
    bool Click(std::uint32_t mouseMessage);

    [[nodiscard]] bool CapturesKeyboard() const;
    [[nodiscard]] bool CapturesMouse() const;

private:
    // Runs deliver with a copy of the sinks when the keyboard (or the mouse)
    // is captured, counted as in flight on this thread meanwhile.
    template <class DeliverTo>
    bool Deliver(bool keyboard, DeliverTo deliver);

    const CaptureReach m_reach;
    bool m_failNextStart = false;
    mutable std::mutex m_mutex;
    bool m_keyboard = false;
    bool m_mouse = false;
    Sinks m_sinks;
    std::vector<std::thread::id> m_delivering;
    std::condition_variable m_delivered;
};

}  // namespace varlok::platform
