#include "app/sessionworkers.h"

#include <string>

#include "platform/debugoutput.h"

namespace varlok::app {

void SessionWorkers::Start(settings::DeviceSession& session, const ui::RouteTable& routes,
                           ui::WindowHandle windowHandle, WindowDeviceEvents::Activation activation,
                           std::atomic<bool>& reactiveTrigger) {
    const ui::WindowHandle sendHandle = m_relay.Open();
    m_deviceEvents =
        std::make_unique<WindowDeviceEvents>(windowHandle, sendHandle, activation, reactiveTrigger);
    // The pages' workers take their slots; the session starts them after its
    // monitors.
    for (const ui::RouteTable::WorkerRoute& worker : routes.Workers()) {
        if (!session.SetWorker(static_cast<settings::DeviceSession::WorkerSlot>(worker.slot),
                               worker.body, worker.wake)) {
            platform::DebugOutput::Write("worker slot taken or unknown: " + worker.owner + "\n");
        }
    }
    session.Start(*m_deviceEvents);
}

void SessionWorkers::Stop(settings::DeviceSession& session) {
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    // A monitor waiting in a send is answered now, and later sends return at
    // once: the UI thread is about to wait for the monitors.
    m_relay.Close();
    const auto outcome = session.Stop();
    platform::DebugOutput::Write(outcome == platform::StopOutcome::AllEnded
                                     ? "所有对象处于激发状态\n"
                                     : "所有对象处于非激发状态，超时\n");
}

}  // namespace varlok::app
