#pragma once

// The publish/receive mechanism that carries a background change from the
// skin popup to the windows that show it. Publishers and receivers know each
// other by pointer and keep each other in ordered maps keyed by a running
// registration number, so receivers are called in the order they registered.
//
// Lifetime: neither side owns the other. A receiver destroyed while it is
// registered detaches itself from every publisher first, and a publisher
// destroyed while receivers hold it makes them forget it, so neither side is
// ever left with a dangling pointer. A receiver may unregister itself or
// others from inside OnSkinChanged or OnSkinQuery; a publication only calls
// receivers that are still registered when their turn comes.
//
// Thread affinity: the UI thread; nothing here is locked.

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "ui/uitypes.h"

namespace varlok::app {

// What a skin choice asks the windows to show: a plain colour, or a picture
// (a name under the skin folder or a full path, as the UI library resolves
// picture names).
struct SkinChangedParam {
    bool useColour = false;
    ui::Argb colour = 0;
    std::string image;

    friend bool operator==(const SkinChangedParam&, const SkinChangedParam&) = default;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

// The publisher side.
template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    virtual ~ObserverImplBase() = default;
    virtual void RegisterReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void UnregisterReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT PublishSkinChange(ParamT param) = 0;
    virtual ReturnT PublishWithReply(ParamT param) = 0;
};

// The receiver side.
template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    virtual ~ReceiverImplBase() = default;
    // Returns the number of publishers now held.
    virtual int AttachObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void DetachFromObservers() = 0;
    virtual ReturnT OnSkinChanged(ParamT param) = 0;
    virtual ReturnT OnSkinQuery(ParamT param, ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    // Called by a publisher that goes away while this receiver holds it.
    virtual void ForgetObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
};

template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    ObserverImpl() = default;
    ObserverImpl(const ObserverImpl&) = delete;
    ObserverImpl& operator=(const ObserverImpl&) = delete;

    // Receivers still registered forget this publisher.
    ~ObserverImpl() override {
        const auto receivers = m_receivers;
        m_receivers.clear();
        for (const auto& [number, receiver] : receivers) {
            receiver->ForgetObserver(this);
        }
    }

    // Stores the receiver under the next registration number and attaches
    // this publisher to it. A receiver that is already registered (or null)
    // is left as it is, so that it is never called twice for one change.
    void RegisterReceiver(Receiver* receiver) override {
        if (receiver == nullptr || IsRegistered(receiver)) {
            return;
        }
        m_receivers.emplace(m_nextNumber++, receiver);
        receiver->AttachObserver(this);
    }

    // Removes the first entry that holds the receiver; nothing when none
    // does. The receiver then forgets this publisher as well.
    void UnregisterReceiver(Receiver* receiver) override {
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second == receiver) {
                m_receivers.erase(it);
                receiver->ForgetObserver(this);
                return;
            }
        }
    }

    // Calls OnSkinChanged of every receiver in registration order, each with
    // its own copy of param. Returns a default ReturnT (0).
    ReturnT PublishSkinChange(ParamT param) override {
        for (const auto& [number, receiver] : Snapshot()) {
            if (StillRegistered(number, receiver)) {
                receiver->OnSkinChanged(param);
            }
        }
        return ReturnT{};
    }

    // Calls OnSkinQuery(param, this) of every receiver in the same order.
    ReturnT PublishWithReply(ParamT param) override {
        for (const auto& [number, receiver] : Snapshot()) {
            if (StillRegistered(number, receiver)) {
                receiver->OnSkinQuery(param, this);
            }
        }
        return ReturnT{};
    }

    // The receivers in registration order (for tests and diagnostics).
    [[nodiscard]] std::vector<Receiver*> Receivers() const {
        std::vector<Receiver*> receivers;
        receivers.reserve(m_receivers.size());
        for (const auto& [number, receiver] : m_receivers) {
            receivers.push_back(receiver);
        }
        return receivers;
    }

    [[nodiscard]] bool IsRegistered(const Receiver* receiver) const {
        for (const auto& [number, held] : m_receivers) {
            if (held == receiver) {
                return true;
            }
        }
        return false;
    }

private:
    // A copy to walk, so that receivers may register and unregister while
    // being called.
    [[nodiscard]] std::map<int, Receiver*> Snapshot() const { return m_receivers; }

    [[nodiscard]] bool StillRegistered(int number, const Receiver* receiver) const {
        const auto it = m_receivers.find(number);
        return it != m_receivers.end() && it->second == receiver;
    }

    std::map<int, Receiver*> m_receivers;
    int m_nextNumber = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    ReceiverImpl() = default;
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;

    // A receiver never outlives its registrations.
    ~ReceiverImpl() override { DetachFromObservers(); }

    int AttachObserver(Observer* observer) override {
        m_observers.emplace(m_nextNumber++, observer);
        return static_cast<int>(m_observers.size());
    }

    // Unregisters from every publisher held and forgets them.
    void DetachFromObservers() override {
        const auto observers = m_observers;
        m_observers.clear();
        for (const auto& [number, observer] : observers) {
            observer->UnregisterReceiver(this);
        }
    }

    ReturnT OnSkinChanged(ParamT /*param*/) override { return ReturnT{}; }
    ReturnT OnSkinQuery(ParamT /*param*/, Observer* /*observer*/) override { return ReturnT{}; }

    void ForgetObserver(Observer* observer) override {
        for (auto it = m_observers.begin(); it != m_observers.end();) {
            it = it->second == observer ? m_observers.erase(it) : std::next(it);
        }
    }

    // The publishers held, in the order they were attached.
    [[nodiscard]] std::vector<Observer*> Observers() const {
        std::vector<Observer*> observers;
        observers.reserve(m_observers.size());
        for (const auto& [number, observer] : m_observers) {
            observers.push_back(observer);
        }
        return observers;
    }

private:
    std::map<int, Observer*> m_observers;
    int m_nextNumber = 0;
};

using SkinPublisherType = ObserverImpl<int, SkinChangedParam>;
using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;

// The process's one skin publisher, created on first use. UI thread only.
inline SkinPublisherType& SkinPublisher() {
    static SkinPublisherType publisher;
    return publisher;
}

}  // namespace varlok::app
