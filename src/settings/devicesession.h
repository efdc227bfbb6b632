#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "device/deviceevents.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "platform/workerthread.h"
#include "settings/configurationexchange.h"
#include "settings/exchangehooks.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"
#include "settings/tableuploads.h"

namespace varlok::device {
class NotificationMonitor;
class PresenceMonitor;
}  // namespace varlok::device

namespace varlok::settings {

// Everything the program keeps about the devices apart from its windows: the
// three configuration links, the mouse's mirror and its exchanges, the
// monitors that watch the devices and the worker threads, one stop event per
// slot. The main window owns one and maps what the monitors report onto its
// messages and controls; tests drive one without any window.
//
// Thread affinity: construction, SetWorker, Start, Stop and the destructor
// belong to the owning (UI) thread. The links and the mirror follow their
// own rules.
class DeviceSession {
public:
    // Worker slots in start order. The monitors are the session's own; the
    // later ones are filled by their owners through SetWorker.
    enum class WorkerSlot : std::size_t {
        PresenceMonitor = 0,
        MouseNotifications = 1,
        KeyboardNotifications = 2,
        LightingWorker = 3,
        ApplicationLinkWatcher = 4,
    };
    // One slot per worker above: a new worker gets its own name there.
    static constexpr std::size_t kWorkerSlots =
        static_cast<std::size_t>(WorkerSlot::ApplicationLinkWatcher) + 1;
    // How long Stop waits for the workers in all.
    static constexpr std::chrono::milliseconds kStopLimit{1000};

    // bus: where the links and monitors look for devices. saves, hooks and
    // uploads (the exchange's) must outlive the session.
    DeviceSession(std::shared_ptr<device::HidBus> bus, ProfileSaves& saves, ExchangeHooks& hooks,
                  TableUploads& uploads);
    // Stops the workers if Stop was not called.
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    [[nodiscard]] device::DeviceLink& Link(device::DeviceType type);
    [[nodiscard]] device::DeviceLink& MouseLink() { return Link(device::DeviceType::Mouse); }
    [[nodiscard]] MouseMirror& Mirror() { return m_mirror; }
    [[nodiscard]] ConfigurationExchange& Exchange() { return m_exchange; }
    [[nodiscard]] const std::shared_ptr<device::HidBus>& Bus() const { return m_bus; }

    // Gives each link the ids of its device's configuration collection.
    void InitLinks();
    // Only the mouse's link is ever connected; the others stay closed.
    [[nodiscard]] bool IsAnyLinkConnected() const;

    // Puts a worker of another owner into its slot, to be started by Start.
    // False (nothing changed) for the monitors' slots, an occupied slot or
    // after Start.
    [[nodiscard]] bool SetWorker(WorkerSlot slot, platform::WorkerThread::Body body,
                                 platform::WorkerThread::Wake wake = {});

    // Starts the presence monitor, the mouse's and the keyboard's
    // notification monitors (reporting to events, which must outlive the
    // workers) and then the other workers, in slot order. Once only.
    void Start(device::DeviceEventSink& events);

    // Signals every stop event and waits for all started workers together,
    // at most `limit`. Later calls return the first outcome.
    platform::StopOutcome Stop(std::chrono::milliseconds limit = kStopLimit);
    // True once every started worker has ended (and before any started).
    [[nodiscard]] bool HaveWorkersEnded() const;

private:
    struct PendingWorker {
        platform::WorkerThread::Body body;
        platform::WorkerThread::Wake wake;
    };

    // What the mouse's notification monitor reports, passed on to the
    // owner's sink after marking the mirror when the mouse changed its
    // record in force by itself (so that no flush writes the record the
    // mouse left over the one it moved to before the re-read).
    class MouseEventsToMirror : public device::DeviceEventSink {
    public:
        MouseEventsToMirror(MouseMirror& mirror, device::DeviceEventSink& events)
            : m_mirror(mirror), m_events(events) {}
        void MouseArrived() override { m_events.MouseArrived(); }
        void MouseFoundAtStart() override { m_events.MouseFoundAtStart(); }
        void MouseStillPresent() override { m_events.MouseStillPresent(); }
        void MouseRemoved() override { m_events.MouseRemoved(); }
        void MousePermissionDenied(bool denied) override { m_events.MousePermissionDenied(denied); }
        void MouseInUse(const std::optional<platform::LockHolder>& holder) override {
            m_events.MouseInUse(holder);
        }
        void DeviceEventReported(device::DeviceType device, device::DeviceEventCode code) override;

    private:
        MouseMirror& m_mirror;
        device::DeviceEventSink& m_events;
    };

    std::shared_ptr<device::HidBus> m_bus;
    device::DeviceLink m_keyboardLink{m_bus};
    device::DeviceLink m_mouseLink{m_bus};
    device::DeviceLink m_mousepadLink{m_bus};
    MouseMirror m_mirror;
    ConfigurationExchange m_exchange;
    std::array<PendingWorker, kWorkerSlots> m_pending;
    bool m_started = false;
    std::optional<platform::StopOutcome> m_stopOutcome;

    // Declared last: the threads end before the monitors and links they use.
    std::unique_ptr<MouseEventsToMirror> m_mouseEvents;
    std::unique_ptr<device::PresenceMonitor> m_presenceMonitor;
    std::unique_ptr<device::NotificationMonitor> m_mouseNotifications;
    std::unique_ptr<device::NotificationMonitor> m_keyboardNotifications;
    std::array<platform::WorkerThread, kWorkerSlots> m_workers;
};

}  // namespace varlok::settings
