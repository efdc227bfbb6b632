#pragma once

#include <atomic>
#include <memory>

#include "app/messagerelay.h"
#include "app/windowdeviceevents.h"
#include "settings/devicesession.h"
#include "ui/routetable.h"

namespace varlok::app {

// The device session's threads as the main window runs them: the monitors
// report to a WindowDeviceEvents that posts through the window's handle and
// sends through a relay of its own, and the pages' workers take the slots
// their routes name. Declared before the session in its owner, so that the
// sink and the relay outlive the threads that use them. UI thread only.
class SessionWorkers {
public:
    // window receives what the relay carries; it must outlive the object.
    explicit SessionWorkers(ui::MessageTarget& window) : m_relay(window) {}

    // Starts the session's monitors and the workers of routes, reporting to
    // the window at windowHandle. Once, after the window has its handle.
    void Start(settings::DeviceSession& session, const ui::RouteTable& routes,
               ui::WindowHandle windowHandle, WindowDeviceEvents::Activation activation,
               std::atomic<bool>& reactiveTrigger);
    // Stops every thread of the session; a monitor waiting in a send is
    // answered first. Again (or before Start): only the first call acts.
    void Stop(settings::DeviceSession& session);

    // What the monitors report to; null before Start.
    [[nodiscard]] WindowDeviceEvents* DeviceEvents() const { return m_deviceEvents.get(); }

private:
    MessageRelay m_relay;
    std::unique_ptr<WindowDeviceEvents> m_deviceEvents;
    bool m_stopped = false;
};

}  // namespace varlok::app
