#include "settings/devicesession.h"

#include <array>
#include <string_view>
#include <vector>

#include "device/notificationmonitor.h"
#include "device/presencemonitor.h"

namespace varlok::settings {

namespace {

constexpr std::size_t Index(DeviceSession::WorkerSlot slot) {
    return static_cast<std::size_t>(slot);
}

// The slots the session fills itself.
constexpr std::size_t kMonitorSlots = Index(DeviceSession::WorkerSlot::KeyboardNotifications) + 1;

// The threads' names, by slot, as ps, top and the idle-cost script show them.
constexpr std::array<std::string_view, DeviceSession::kWorkerSlots> kWorkerNames{
    "presence", "mouse-events", "keyboard-events", "lighting", "program-links"};

}  // namespace

void DeviceSession::MouseEventsToMirror::DeviceEventReported(device::DeviceType device,
                                                             device::DeviceEventCode code) {
    // The mouse reports its profile button and its DPI button alike; both
    // change the record in force.
    if (device == device::DeviceType::Mouse && code == device::DeviceEventCode::ProfileSwitched) {
        m_mirror.recordChangedOnDevice.Mark();
    }
    m_events.DeviceEventReported(device, code);
}

DeviceSession::DeviceSession(std::shared_ptr<device::HidBus> bus, ProfileSaves& saves,
                             ExchangeHooks& hooks, TableUploads& uploads)
    : m_bus(std::move(bus)), m_exchange(m_mouseLink, m_mirror, saves, hooks, uploads) {}

DeviceSession::~DeviceSession() {
    static_cast<void>(Stop());
}

device::DeviceLink& DeviceSession::Link(device::DeviceType type) {
    switch (type) {
        case device::DeviceType::Keyboard:
            return m_keyboardLink;
        case device::DeviceType::Mousepad:
            return m_mousepadLink;
        case device::DeviceType::Mouse:
            break;
    }
    return m_mouseLink;
}

void DeviceSession::InitLinks() {
    m_mouseLink.Init(device::DeviceType::Mouse);
    m_mousepadLink.Init(device::DeviceType::Mousepad);
    m_keyboardLink.Init(device::DeviceType::Keyboard);
}

bool DeviceSession::IsAnyLinkConnected() const {
    return m_keyboardLink.IsConnected() || m_mouseLink.IsConnected() ||
           m_mousepadLink.IsConnected();
}

bool DeviceSession::SetWorker(WorkerSlot slot, platform::WorkerThread::Body body,
                              platform::WorkerThread::Wake wake) {
    const std::size_t index = Index(slot);
    if (m_started || index < kMonitorSlots || index >= kWorkerSlots || !body ||
        m_pending[index].body) {
        return false;
    }
    m_pending[index] = PendingWorker{std::move(body), std::move(wake)};
    return true;
}

void DeviceSession::Start(device::DeviceEventSink& events) {
    if (m_started) {
        return;
    }
    m_started = true;
    m_presenceMonitor = std::make_unique<device::PresenceMonitor>(m_mouseLink, events);
    m_mouseEvents = std::make_unique<MouseEventsToMirror>(m_mirror, events);
    m_mouseNotifications = std::make_unique<device::NotificationMonitor>(device::DeviceType::Mouse,
                                                                         *m_mouseEvents, m_bus);
    m_keyboardNotifications =
        std::make_unique<device::NotificationMonitor>(device::DeviceType::Keyboard, events, m_bus);

    auto* presence = m_presenceMonitor.get();
    auto* mouse = m_mouseNotifications.get();
    auto* keyboard = m_keyboardNotifications.get();
    m_pending[Index(WorkerSlot::PresenceMonitor)] = {
        [presence](platform::Event& stop) { presence->Run(stop); }, {}};
    m_pending[Index(WorkerSlot::MouseNotifications)] = {
        [mouse](platform::Event& stop) { mouse->Run(stop); }, [mouse] { mouse->Wake(); }};
    m_pending[Index(WorkerSlot::KeyboardNotifications)] = {
        [keyboard](platform::Event& stop) { keyboard->Run(stop); },
        [keyboard] { keyboard->Wake(); }};
    for (std::size_t index = 0; index < kWorkerSlots; ++index) {
        PendingWorker& worker = m_pending[index];
        if (worker.body) {
            static_cast<void>(m_workers[index].Start(std::move(worker.body), std::move(worker.wake),
                                                     kWorkerNames[index]));
        }
        worker = {};
    }
}

platform::StopOutcome DeviceSession::Stop(std::chrono::milliseconds limit) {
    if (!m_stopOutcome) {
        std::vector<platform::WorkerThread*> workers;
        for (auto& worker : m_workers) {
            workers.push_back(&worker);
        }
        m_stopOutcome = platform::StopWorkers(workers, limit);
    }
    return *m_stopOutcome;
}

bool DeviceSession::HaveWorkersEnded() const {
    for (const platform::WorkerThread& worker : m_workers) {
        if (!worker.HasEnded()) {
            return false;
        }
    }
    return true;
}

}  // namespace varlok::settings
