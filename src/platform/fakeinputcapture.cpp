#include "platform/fakeinputcapture.h"

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
    const std::lock_guard lock(m_mutex);
    m_keyboard = false;
    m_mouse = false;
    m_sinks = {};
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

bool FakeInputCapture::Type(const CapturedKey& key) {
    std::function<void(const CapturedKey&)> sink;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_keyboard || !m_sinks.key) {
            return false;
        }
        sink = m_sinks.key;
    }
    // Called unlocked: the receiver may stop the capture.
    sink(key);
    return true;
}

bool FakeInputCapture::Click(std::uint32_t mouseMessage) {
    std::function<void(std::uint32_t)> sink;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_mouse || !m_sinks.mouseButton) {
            return false;
        }
        sink = m_sinks.mouseButton;
    }
    sink(mouseMessage);
    return true;
}

}  // namespace varlok::platform
