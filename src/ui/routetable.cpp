#include "ui/routetable.h"

#include <algorithm>
#include <charconv>

#include "ui/controlui.h"

namespace varlok::ui {

namespace {

// Onboard profiles, keys, LEDs and stages are numbered well below 1000.
constexpr std::size_t kMaxIndexDigits = 3;

std::optional<int> ParseIndex(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxIndexDigits ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

bool RouteTable::Matches(std::string_view controlName, std::string_view name, NameMatch match,
                         std::optional<int>& number) {
    number.reset();
    switch (match) {
        case NameMatch::Exact:
            return controlName == name;
        case NameMatch::Prefix:
            return controlName.starts_with(name);
        case NameMatch::PrefixIndex:
            if (controlName.starts_with(name)) {
                number = ParseIndex(controlName.substr(name.size()));
                return number.has_value();
            }
            return false;
    }
    return false;
}

void RouteTable::OnNotify(std::string_view owner, std::string_view type, std::string_view name,
                          NameMatch match, NotifyHandler handler) {
    m_notifications.push_back(NotifyRoute{std::string(owner), std::string(type), std::string(name),
                                          match, std::move(handler)});
}

void RouteTable::OnClick(std::string_view owner, std::string_view name, NameMatch match,
                         NotifyHandler handler) {
    OnNotify(owner, msgtype::kClick, name, match, std::move(handler));
}

void RouteTable::OnMessage(std::string_view owner, MessageId first, MessageId last,
                           MessageHandler handler) {
    m_messages.push_back(MessageRoute{std::string(owner), first, last, std::move(handler)});
}

void RouteTable::OnTimer(std::string_view owner, std::uintptr_t id, Handler handler) {
    m_timers.push_back(TimerRoute{std::string(owner), id, std::move(handler)});
}

void RouteTable::OnSignal(std::string_view owner, SignalId signal, Handler handler) {
    m_signals.push_back(SignalRoute{std::string(owner), signal, std::move(handler)});
}

void RouteTable::OnWorker(std::string_view owner, std::size_t slot, WorkerBody body, Handler wake) {
    m_workers.push_back(WorkerRoute{std::string(owner), slot, std::move(body), std::move(wake)});
}

std::size_t RouteTable::DeliverNotify(TNotifyUI& msg) const {
    const std::string name = msg.pSender != nullptr ? msg.pSender->GetName() : std::string();
    std::size_t delivered = 0;
    for (const NotifyRoute& route : m_notifications) {
        std::optional<int> number;
        if (route.type == msg.sType && Matches(name, route.name, route.match, number)) {
            route.handler(msg, number);
            ++delivered;
        }
    }
    return delivered;
}

std::optional<LResult> RouteTable::DeliverMessage(MessageId message, WParam wParam,
                                                  LParam lParam) const {
    for (const MessageRoute& route : m_messages) {
        if (message >= route.first && message <= route.last) {
            return route.handler(message, wParam, lParam);
        }
    }
    return std::nullopt;
}

bool RouteTable::DeliverTimer(std::uintptr_t id) const {
    const auto it = std::ranges::find(m_timers, id, &TimerRoute::id);
    if (it == m_timers.end()) {
        return false;
    }
    it->handler();
    return true;
}

std::size_t RouteTable::Raise(SignalId signal) const {
    std::size_t raised = 0;
    for (const SignalRoute& route : m_signals) {
        if (route.signal == signal) {
            route.handler();
            ++raised;
        }
    }
    return raised;
}

std::optional<std::string> RouteTable::NotifyOwner(std::string_view type,
                                                   std::string_view controlName) const {
    for (const NotifyRoute& route : m_notifications) {
        std::optional<int> number;
        if (route.type == type && Matches(controlName, route.name, route.match, number)) {
            return route.owner;
        }
    }
    return std::nullopt;
}

std::optional<std::string> RouteTable::MessageOwner(MessageId message) const {
    for (const MessageRoute& route : m_messages) {
        if (message >= route.first && message <= route.last) {
            return route.owner;
        }
    }
    return std::nullopt;
}

std::optional<std::string> RouteTable::TimerOwner(std::uintptr_t id) const {
    const auto it = std::ranges::find(m_timers, id, &TimerRoute::id);
    return it == m_timers.end() ? std::nullopt : std::optional<std::string>(it->owner);
}

std::vector<std::string> RouteTable::SignalOwners(SignalId signal) const {
    std::vector<std::string> owners;
    for (const SignalRoute& route : m_signals) {
        if (route.signal == signal) {
            owners.push_back(route.owner);
        }
    }
    return owners;
}

}  // namespace varlok::ui
