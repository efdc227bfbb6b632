#pragma once

// The main window's routing as data: every page registers the notifications
// (type and control name or name prefix), clicks, window messages, timers,
// signals and worker threads it owns, and the window delivers through the
// table (and hands the workers to the device session, which runs them). A
// route that nobody registered is absent; nothing handles it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event.h"
#include "ui/notify.h"
#include "ui/uitypes.h"

namespace varlok::ui {

// How a registered name is compared with a control's name.
enum class NameMatch {
    Exact,        // the whole name
    Prefix,       // the name begins with it
    PrefixIndex,  // it, then a decimal number (1-3 digits), which the handler receives
};

// A point of the window's life at which it calls on whoever registered for
// it; the application names its own.
enum class SignalId : std::uint32_t {};

// Thread affinity: the UI thread. Register before the window initialises;
// handlers may deliver further notifications (nested delivery is fine) but
// must not register routes.
class RouteTable {
public:
    // number: the number after the prefix for NameMatch::PrefixIndex, else
    // std::nullopt.
    using NotifyHandler = std::function<void(TNotifyUI& msg, std::optional<int> number)>;
    using MessageHandler = std::function<LResult(MessageId message, WParam wParam, LParam lParam)>;
    using Handler = std::function<void()>;
    // A worker thread's body: runs until stop is signalled. Its wake, when
    // given, cuts short a wait the stop event cannot reach.
    using WorkerBody = std::function<void(platform::Event& stop)>;

    // owner is a short name of the page that registers ("performance page"),
    // kept for the debug output and for tests.
    void OnNotify(std::string_view owner, std::string_view type, std::string_view name,
                  NameMatch match, NotifyHandler handler);
    void OnClick(std::string_view owner, std::string_view name, NameMatch match,
                 NotifyHandler handler);
    // Messages first..last (one message: first = last).
    void OnMessage(std::string_view owner, MessageId first, MessageId last, MessageHandler handler);
    void OnTimer(std::string_view owner, std::uintptr_t id, Handler handler);
    void OnSignal(std::string_view owner, SignalId signal, Handler handler);
    // A worker thread for the device session's worker slot `slot` (its
    // number), started with the session's own workers.
    void OnWorker(std::string_view owner, std::size_t slot, WorkerBody body, Handler wake = {});

    // Calls every handler whose type and name match, in registration order;
    // returns how many were called.
    std::size_t DeliverNotify(TNotifyUI& msg) const;
    // The first handler registered for the message, or std::nullopt when
    // none is.
    std::optional<LResult> DeliverMessage(MessageId message, WParam wParam, LParam lParam) const;
    // False when no handler is registered for the timer.
    bool DeliverTimer(std::uintptr_t id) const;
    // Calls every handler of the signal; returns how many were called.
    std::size_t Raise(SignalId signal) const;

    // Who takes what, for tests and the debug output; std::nullopt for a
    // route nobody registered.
    [[nodiscard]] std::optional<std::string> NotifyOwner(std::string_view type,
                                                         std::string_view controlName) const;
    [[nodiscard]] std::optional<std::string> MessageOwner(MessageId message) const;
    [[nodiscard]] std::optional<std::string> TimerOwner(std::uintptr_t id) const;
    [[nodiscard]] std::vector<std::string> SignalOwners(SignalId signal) const;

    struct WorkerRoute {
        std::string owner;
        std::size_t slot;
        WorkerBody body;
        Handler wake;
    };
    // The registered workers, in registration order.
    [[nodiscard]] const std::vector<WorkerRoute>& Workers() const { return m_workers; }

    // Whether controlName matches name under match; number receives the
    // number of a PrefixIndex match. Exposed for the window's own routes.
    [[nodiscard]] static bool Matches(std::string_view controlName, std::string_view name,
                                      NameMatch match, std::optional<int>& number);

private:
    struct NotifyRoute {
        std::string owner;
        std::string type;
        std::string name;
        NameMatch match;
        NotifyHandler handler;
    };
    struct MessageRoute {
        std::string owner;
        MessageId first;
        MessageId last;
        MessageHandler handler;
    };
    struct TimerRoute {
        std::string owner;
        std::uintptr_t id;
        Handler handler;
    };
    struct SignalRoute {
        std::string owner;
        SignalId signal;
        Handler handler;
    };

    std::vector<NotifyRoute> m_notifications;
    std::vector<MessageRoute> m_messages;
    std::vector<TimerRoute> m_timers;
    std::vector<SignalRoute> m_signals;
    std::vector<WorkerRoute> m_workers;
};

// A page of the main window: registers its routes once, before the window
// initialises, and is then reached only through them.
class Page {
public:
    virtual ~Page() = default;
    virtual void RegisterRoutes(RouteTable& routes) = 0;
    // Whether the page holds edits the user has not saved or dropped yet;
    // the window then keeps it in front.
    [[nodiscard]] virtual bool HasUnsavedEdits() const { return false; }
};

}  // namespace varlok::ui
