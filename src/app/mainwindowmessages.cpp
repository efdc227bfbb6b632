#include "app/mainwindowmessages.h"

#include <algorithm>

namespace varlok::app {

const WindowMessageInfo* MessageInfo(WindowMessage message) {
    const auto found = std::find_if(kWindowMessages.begin(), kWindowMessages.end(),
                                    [&](const auto& entry) { return entry.message == message; });
    return found == kWindowMessages.end() ? nullptr : &*found;
}

const WindowTimerInfo* TimerInfo(WindowTimer timer) {
    const auto found = std::find_if(kWindowTimers.begin(), kWindowTimers.end(),
                                    [&](const auto& entry) { return entry.timer == timer; });
    return found == kWindowTimers.end() ? nullptr : &*found;
}

std::chrono::milliseconds TimerPeriod(WindowTimer timer) {
    const WindowTimerInfo* info = TimerInfo(timer);
    return info == nullptr ? std::chrono::milliseconds{0} : info->period;
}

std::optional<WindowMessage> FindWindowMessage(std::uint32_t number) {
    for (const WindowMessageInfo& entry : kWindowMessages) {
        if (MessageNumber(entry.message) == number) {
            return entry.message;
        }
    }
    return std::nullopt;
}

std::optional<WindowTimer> FindWindowTimer(std::uintptr_t id) {
    for (const WindowTimerInfo& entry : kWindowTimers) {
        if (TimerId(entry.timer) == id) {
            return entry.timer;
        }
    }
    return std::nullopt;
}

}  // namespace varlok::app
