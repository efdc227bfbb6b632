#include "platform/fakeinputcapture.h"

#include <algorithm>
#include <utility>

namespace varlok::platform {

bool FakeInputCapture::Start(bool keyboard, bool mouse, Sinks sinks) {
    Stop();
    if (std::exchange(m_failNextStart, false)) {
        return false;
    }
    const std::lock_guard lock(m_mutex);
    m_keyboard = keyboard;
    m_mouse = mouse;
    m_sinks = std::move(sinks);
    return true;
}

void FakeInputCapture::Stop() {
    std::unique_lock lock(m_mutex);
    m_keyboard = false;
    m_mouse = false;
    m_sinks = {};
    const auto self = std::this_thread::get_id();
    m_delivered.wait(lock, [&] {
        return std::all_of(m_delivering.begin(), m_delivering.end(),
                           [&](std::thread::id thread) { return thread == self; });
    });
}

bool FakeInputCapture::IsRunning() const {
    const std::lock_guard lock(m_mutex);
    return m_keyboard || m_mouse;
}

bool FakeInputCapture::CapturesKeyboard() const {
    const std::lock_guard lock(m_mutex);
    return m_keyboard;
}

bool FakeInputCapture::CapturesMouse() const {
    const std::lock_guard lock(m_mutex);
    return m_mouse;
}

template <class DeliverTo>
bool FakeInputCapture::Deliver(bool keyboard, DeliverTo deliver) {
    Sinks sinks;
    const auto self = std::this_thread::get_id();
    {
        const std::lock_guard lock(m_mutex);
        if (!(keyboard ? m_keyboard && m_sinks.key : m_mouse && m_sinks.mouseButton)) {
            return false;
        }
        sinks = m_sinks;
        m_delivering.push_back(self);
    }
    // Called unlocked: the receiver may stop the capture.
    deliver(sinks);
    {
        const std::lock_guard lock(m_mutex);
        m_delivering.erase(std::find(m_delivering.begin(), m_delivering.end(), self));
    }
    m_delivered.notify_all();
    return true;
}

bool FakeInputCapture::Type(const CapturedKey& key) {
    return Deliver(true, [&](const Sinks& sinks) { sinks.key(key); });
}

bool FakeInputCapture::Click(std::uint32_t mouseMessage) {
    return Deliver(false, [&](const Sinks& sinks) { sinks.mouseButton(mouseMessage); });
}

}  // namespace varlok::platform
