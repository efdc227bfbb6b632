#pragma once

// A window stand-in for UI tests: registers with the message hub, records
// every message it gets (UI thread only) and lets each test decide the answer.
// RunGuarded runs a modal loop with a generous guard, so that a fault shows
// as a failure instead of a hang.

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <QObject>
#include <QTimer>

#include "ui/messagetarget.h"
#include "ui/modalloop.h"
#include "ui/windowhandle.h"

namespace varlok::ui::test {

// Returned by a loop that the guard had to end.
inline constexpr int kHung = -999;

struct Received {
    MessageId message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::thread::id thread;
};

class RecordingTarget : public MessageTarget {
public:
    RecordingTarget() : m_handle(WindowHandle::Register(*this)) {}
    ~RecordingTarget() override { WindowHandle::Unregister(m_handle); }
    RecordingTarget(const RecordingTarget&) = delete;
    RecordingTarget& operator=(const RecordingTarget&) = delete;

    LResult HandleMessage(MessageId message, WParam wParam, LParam lParam, bool& handled) override {
        received.push_back({message, wParam, lParam, std::this_thread::get_id()});
        handled = true;
        return onMessage ? onMessage(message, wParam, lParam) : 0;
    }

    [[nodiscard]] const WindowHandle& Handle() const { return m_handle; }

    std::function<LResult(MessageId, WParam, LParam)> onMessage;
    std::vector<Received> received;

private:
    WindowHandle m_handle;
};

inline int RunGuarded(ModalLoop& loop, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&loop] { loop.End(kHung); });
    guard.start(limit);
    return loop.Run();
}

// Runs the UI thread's queue until everything posted so far was delivered:
// the queue is first in, first out, so a marker posted now arrives last.
inline void DeliverPosted() {
    ModalLoop loop;
    RecordingTarget marker;
    marker.onMessage = [&loop](MessageId, WParam, LParam) -> LResult {
        loop.End(1);
        return 0;
    };
    marker.Handle().Post(0);
    RunGuarded(loop);
}

}  // namespace varlok::ui::test
