#include "ui/qt/messagehub.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QThread>
#include <QTimerEvent>

#if defined(__linux__)
#include <sys/eventfd.h>
#include <unistd.h>
#endif

#include "ui/messagetarget.h"
#include "ui/windowmessages.h"

namespace varlok::ui::qt {

namespace {

// Windows raises shorter periods to this minimum as well; a period of 0 would
// otherwise make a Qt timer fire on every pass of the event loop.
constexpr unsigned kMinimumTimerPeriodMs = 10;

using TimerKey = std::pair<std::uint64_t, std::uintptr_t>;

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

}  // namespace

struct SendSlot {
    LResult result = 0;
    bool finished = false;
};

struct QueuedItem {
    enum class Kind { Message, StartTimer, StopTimer, StopAllTimers, Quit };
    Kind kind = Kind::Message;
    std::uint64_t target = 0;
    MessageId message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    // Set for a Send from another thread: the sender waits until it is
    // finished, so the slot outlives every queued item that points at it.
    SendSlot* send = nullptr;
    std::uintptr_t timerId = 0;
    unsigned periodMs = 0;
    int exitCode = 0;
};

// Everything the hub shares between threads, guarded by mutex unless marked
// otherwise. It outlives both the hub object (destroyed with the
// QCoreApplication) and the static that refers to it, whichever goes first.
struct HubState {
    HubState() {
#if defined(__linux__)
        wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
#endif
    }
    ~HubState() {
#if defined(__linux__)
        if (wakeFd >= 0) {
            close(wakeFd);
        }
#endif
    }
    HubState(const HubState&) = delete;
    HubState& operator=(const HubState&) = delete;

    std::mutex mutex;
    std::condition_variable sendDone;
    std::condition_variable queueChanged;
    MessageHub* hub = nullptr;
    std::thread::id uiThread;
    std::uint64_t nextTarget = 1;
    std::unordered_map<std::uint64_t, MessageTarget*> targets;
    std::deque<QueuedItem> queue;
    bool wakePending = false;
    std::map<std::string, MessageId> registeredNames;
    MessageId nextRegistered = kFirstRegisteredMessage;
    bool loopRunning = false;
    std::optional<int> pendingQuit;
    int wakeFd = -1;

    // UI thread only.
    std::map<TimerKey, int> timers;
    std::unordered_map<int, TimerKey> timerKeys;

    [[nodiscard]] bool OnUiThreadLocked() const {
        return hub != nullptr && uiThread == std::this_thread::get_id();
    }

    // Called with mutex held; returns whether the caller must signal the UI
    // thread once the lock is released.
    bool PushLocked(const QueuedItem& item) {
        queue.push_back(item);
        queueChanged.notify_all();
        const bool wake = !wakePending;
        wakePending = true;
        return wake;
    }

    void CompleteLocked(SendSlot* slot, LResult result) {
        if (slot != nullptr) {
            slot->result = result;
            slot->finished = true;
        }
    }
};

namespace {

std::shared_ptr<HubState>& StatePointer() {
    static std::shared_ptr<HubState> state = std::make_shared<HubState>();
    return state;
}

HubState& State() {
    return *StatePointer();
}

}  // namespace

// Wakes the UI thread without touching any Qt object from this thread, so
// that no thread other than the UI thread ever calls into Qt.
void MessageHub::SignalWake(HubState& state) {
#if defined(__linux__)
    if (state.wakeFd >= 0) {
        const std::uint64_t one = 1;
        // A full counter (EAGAIN) still leaves the descriptor readable.
        [[maybe_unused]] const auto written = write(state.wakeFd, &one, sizeof one);
        return;
    }
#endif
    const std::lock_guard lock(state.mutex);
    if (state.hub != nullptr) {
        // Without a descriptor to watch, Qt's own thread-safe queued call
        // carries the wake-up.
        QMetaObject::invokeMethod(
            state.hub, [hub = state.hub] { hub->OnWake(); }, Qt::QueuedConnection);
    }
}

MessageHub::MessageHub(std::shared_ptr<HubState> state) : m_state(std::move(state)) {
    if (m_state->wakeFd >= 0) {
        auto* notifier = new QSocketNotifier(m_state->wakeFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { OnWake(); });
    }
}

MessageHub::~MessageHub() {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->hub = nullptr;
        for (QueuedItem& item : m_state->queue) {
            m_state->CompleteLocked(item.send, 0);
        }
        m_state->queue.clear();
        m_state->targets.clear();
        m_state->wakePending = false;
        m_state->timers.clear();
        m_state->timerKeys.clear();
    }
    m_state->sendDone.notify_all();
}

MessageHub* MessageHub::EnsureHub(HubState& state) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    {
        const std::lock_guard lock(state.mutex);
        if (state.hub != nullptr) {
            return state.hub;
        }
    }
    // Owned by the application object, so it goes away with it.
    auto* hub = new MessageHub(StatePointer());
    hub->setParent(app);
    const std::lock_guard lock(state.mutex);
    state.hub = hub;
    state.uiThread = std::this_thread::get_id();
    return hub;
}

std::uint64_t MessageHub::Register(MessageTarget& target) {
    HubState& state = State();
    if (EnsureHub(state) == nullptr) {
        return 0;
    }
    const std::lock_guard lock(state.mutex);
    const std::uint64_t id = state.nextTarget++;
    state.targets.emplace(id, &target);
    return id;
}

void MessageHub::Unregister(std::uint64_t target) {
    HubState& state = State();
    MessageHub* localHub = nullptr;
    bool wake = false;
    {
        const std::lock_guard lock(state.mutex);
        if (state.targets.erase(target) == 0) {
            return;
        }
        std::erase_if(state.queue, [&](QueuedItem& item) {
            if (item.target != target || item.kind == QueuedItem::Kind::Quit) {
                return false;
            }
            state.CompleteLocked(item.send, 0);
            return true;
        });
        if (state.OnUiThreadLocked()) {
            localHub = state.hub;
        } else if (state.hub != nullptr) {
            wake = state.PushLocked(
                QueuedItem{.kind = QueuedItem::Kind::StopAllTimers, .target = target});
        }
    }
    state.sendDone.notify_all();
    if (localHub != nullptr) {
        localHub->StopTimersOf(target);
    }
    if (wake) {
        SignalWake(state);
    }
}

bool MessageHub::IsRegistered(std::uint64_t target) {
    HubState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.targets.contains(target);
}

bool MessageHub::Post(std::uint64_t target, MessageId message, WParam wParam, LParam lParam) {
    HubState& state = State();
    bool wake = false;
    {
        const std::lock_guard lock(state.mutex);
        if (!state.targets.contains(target)) {
            return false;
        }
        wake = state.PushLocked(
            QueuedItem{.target = target, .message = message, .wParam = wParam, .lParam = lParam});
    }
    if (wake) {
        SignalWake(state);
    }
    return true;
}

LResult MessageHub::Send(std::uint64_t target, MessageId message, WParam wParam, LParam lParam) {
    HubState& state = State();
    SendSlot slot;
    bool wake = false;
    {
        std::unique_lock lock(state.mutex);
        const auto found = state.targets.find(target);
        if (found == state.targets.end()) {
            return 0;
        }
        if (state.OnUiThreadLocked()) {
            MessageTarget* receiver = found->second;
            lock.unlock();
            bool handled = false;
            return receiver->HandleMessage(message, wParam, lParam, handled);
        }
        wake = state.PushLocked(QueuedItem{.target = target,
                                           .message = message,
                                           .wParam = wParam,
                                           .lParam = lParam,
                                           .send = &slot});
    }
    if (wake) {
        SignalWake(state);
    }
    std::unique_lock lock(state.mutex);
    state.sendDone.wait(lock, [&] { return slot.finished; });
    return slot.result;
}

bool MessageHub::SetTimer(std::uint64_t target, std::uintptr_t timerId, unsigned periodMs) {
    return RequestTimerChange({.kind = QueuedItem::Kind::StartTimer,
                               .target = target,
                               .timerId = timerId,
                               .periodMs = periodMs});
}

bool MessageHub::KillTimer(std::uint64_t target, std::uintptr_t timerId) {
    return RequestTimerChange(
        {.kind = QueuedItem::Kind::StopTimer, .target = target, .timerId = timerId});
}

bool MessageHub::RequestTimerChange(const QueuedItem& request) {
    HubState& state = State();
    MessageHub* localHub = nullptr;
    bool wake = false;
    {
        const std::lock_guard lock(state.mutex);
        if (!state.targets.contains(request.target)) {
            return false;
        }
        if (!state.OnUiThreadLocked()) {
            wake = state.PushLocked(request);
        } else if (request.kind == QueuedItem::Kind::StopTimer &&
                   !state.timers.contains({request.target, request.timerId})) {
            return false;
        } else {
            localHub = state.hub;
        }
    }
    if (localHub != nullptr) {
        localHub->ApplyTimerChange(request);
    }
    if (wake) {
        SignalWake(state);
    }
    return true;
}

void MessageHub::ApplyTimerChange(const QueuedItem& request) {
    switch (request.kind) {
        case QueuedItem::Kind::StartTimer:
            ApplyTimer(request.target, request.timerId, request.periodMs);
            break;
        case QueuedItem::Kind::StopTimer:
            StopTimer(request.target, request.timerId);
            break;
        case QueuedItem::Kind::StopAllTimers:
            StopTimersOf(request.target);
            break;
        case QueuedItem::Kind::Message:
        case QueuedItem::Kind::Quit:
            break;
    }
}

MessageId MessageHub::RegisterMessageName(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    HubState& state = State();
    const std::lock_guard lock(state.mutex);
    std::string key = FoldCase(name);
    if (const auto found = state.registeredNames.find(key); found != state.registeredNames.end()) {
        return found->second;
    }
    if (state.nextRegistered > kLastRegisteredMessage) {
        return 0;
    }
    const MessageId id = state.nextRegistered++;
    state.registeredNames.emplace(std::move(key), id);
    return id;
}

int MessageHub::RunLoop() {
    HubState& state = State();
    if (EnsureHub(state) == nullptr) {
        return -1;
    }
    {
        const std::lock_guard lock(state.mutex);
        if (state.pendingQuit) {
            const int code = *state.pendingQuit;
            state.pendingQuit.reset();
            return code;
        }
        state.loopRunning = true;
    }
    const int code = QCoreApplication::exec();
    const std::lock_guard lock(state.mutex);
    state.loopRunning = false;
    state.pendingQuit.reset();
    return code;
}

void MessageHub::PostQuit(int exitCode) {
    HubState& state = State();
    bool exitNow = false;
    bool wake = false;
    {
        const std::lock_guard lock(state.mutex);
        if (state.OnUiThreadLocked() && state.loopRunning) {
            exitNow = true;
        } else if (state.hub != nullptr && !state.OnUiThreadLocked()) {
            wake =
                state.PushLocked(QueuedItem{.kind = QueuedItem::Kind::Quit, .exitCode = exitCode});
        } else {
            // Not running yet: the next RunLoop returns at once, as a quit
            // message waiting in the queue would make it.
            state.pendingQuit = exitCode;
        }
    }
    if (exitNow) {
        QCoreApplication::exit(exitCode);
    }
    if (wake) {
        SignalWake(state);
    }
}

bool MessageHub::IsUiThread() {
    HubState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.OnUiThreadLocked();
}

bool MessageHub::WaitForQueued(std::size_t count, std::chrono::milliseconds timeout) {
    HubState& state = State();
    std::unique_lock lock(state.mutex);
    return state.queueChanged.wait_for(lock, timeout, [&] { return state.queue.size() >= count; });
}

bool MessageHub::HasTimer(std::uint64_t target, std::uintptr_t timerId) {
    HubState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.timers.contains({target, timerId});
}

std::size_t MessageHub::TimerCount() {
    HubState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.timers.size();
}

void MessageHub::OnWake() {
#if defined(__linux__)
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(m_state->wakeFd, &count, sizeof count);
#endif
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->wakePending = false;
    }
    ScheduleDrain();
}

void MessageHub::ScheduleDrain() {
    // Drained from a posted event rather than from the notifier callback:
    // a handler may run a nested event loop, and posted events keep being
    // delivered there while that callback would be blocked.
    if (!m_drainPosted) {
        m_drainPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kDrainEvent));
    }
}

bool MessageHub::event(QEvent* event) {
    if (event->type() == kDrainEvent) {
        m_drainPosted = false;
        Drain();
        return true;
    }
    return QObject::event(event);
}

void MessageHub::Drain() {
    for (;;) {
        QueuedItem item;
        MessageTarget* receiver = nullptr;
        bool moreWaiting = false;
        {
            const std::lock_guard lock(m_state->mutex);
            if (m_state->queue.empty()) {
                return;
            }
            item = m_state->queue.front();
            m_state->queue.pop_front();
            moreWaiting = !m_state->queue.empty();
            if (const auto found = m_state->targets.find(item.target);
                found != m_state->targets.end()) {
                receiver = found->second;
            }
        }
        // The item may run a nested event loop (a modal window); the items
        // behind it, which already woke the UI thread, are drained there.
        if (moreWaiting) {
            ScheduleDrain();
        }
        switch (item.kind) {
            case QueuedItem::Kind::Message: {
                LResult result = 0;
                if (receiver != nullptr) {
                    bool handled = false;
                    result =
                        receiver->HandleMessage(item.message, item.wParam, item.lParam, handled);
                }
                if (item.send != nullptr) {
                    {
                        const std::lock_guard lock(m_state->mutex);
                        m_state->CompleteLocked(item.send, result);
                    }
                    m_state->sendDone.notify_all();
                }
                break;
            }
            case QueuedItem::Kind::StartTimer:
                // A window that went away meanwhile gets no timer.
                if (receiver != nullptr) {
                    ApplyTimerChange(item);
                }
                break;
            case QueuedItem::Kind::StopTimer:
            case QueuedItem::Kind::StopAllTimers:
                ApplyTimerChange(item);
                break;
            case QueuedItem::Kind::Quit:
                PostQuit(item.exitCode);
                break;
        }
    }
}

void MessageHub::ApplyTimer(std::uint64_t target, std::uintptr_t timerId, unsigned periodMs) {
    StopTimer(target, timerId);
    const int qtId = startTimer(static_cast<int>(std::max(periodMs, kMinimumTimerPeriodMs)));
    if (qtId == 0) {
        return;
    }
    const std::lock_guard lock(m_state->mutex);
    m_state->timers[{target, timerId}] = qtId;
    m_state->timerKeys[qtId] = {target, timerId};
}

void MessageHub::StopTimer(std::uint64_t target, std::uintptr_t timerId) {
    int qtId = 0;
    {
        const std::lock_guard lock(m_state->mutex);
        const auto found = m_state->timers.find({target, timerId});
        if (found == m_state->timers.end()) {
            return;
        }
        qtId = found->second;
        m_state->timers.erase(found);
        m_state->timerKeys.erase(qtId);
    }
    killTimer(qtId);
}

void MessageHub::StopTimersOf(std::uint64_t target) {
    std::vector<int> qtIds;
    {
        const std::lock_guard lock(m_state->mutex);
        for (auto it = m_state->timers.lower_bound({target, 0});
             it != m_state->timers.end() && it->first.first == target;) {
            qtIds.push_back(it->second);
            m_state->timerKeys.erase(it->second);
            it = m_state->timers.erase(it);
        }
    }
    for (const int qtId : qtIds) {
        killTimer(qtId);
    }
}

void MessageHub::timerEvent(QTimerEvent* event) {
    TimerKey key;
    MessageTarget* receiver = nullptr;
    {
        const std::lock_guard lock(m_state->mutex);
        const auto found = m_state->timerKeys.find(event->timerId());
        if (found == m_state->timerKeys.end()) {
            return;
        }
        key = found->second;
        if (const auto target = m_state->targets.find(key.first);
            target != m_state->targets.end()) {
            receiver = target->second;
        }
    }
    if (receiver != nullptr) {
        bool handled = false;
        receiver->HandleMessage(WM_TIMER, key.second, 0, handled);
    }
}

}  // namespace varlok::ui::qt
