#pragma once

// What the monitor threads need of the main window: messages, timers and
// the few control changes they cause. The application implements it over the
// main window's handle; tests record the calls.

#include <chrono>

#include "device/mainwindowmessages.h"

namespace varlok::device {

// Thread affinity: every member is called on a monitor thread, never on the
// UI thread, and may be called by several monitors at once.
//
// Only Send may wait for the UI thread. Every other member must return
// without waiting for it: the presence monitor calls them while it holds the
// mouse link's I/O lock, and the UI thread may be waiting for that lock.
// Control changes are therefore carried to the UI thread as one queued
// message each, in the order of the calls, and StartTimer is queued behind
// whatever was posted before it, so a timer started after a change never
// fires ahead of it.
class MonitorHost {
public:
    virtual ~MonitorHost() = default;

    // Queues the message for the main window.
    virtual void Post(WindowMessage message) = 0;
    // Queues the registered message named kActivateMessageName.
    virtual void PostActivateMessage() = 0;
    // Delivers the message to the main window and waits until it was handled.
    // Once the application has begun to shut down it must return at once,
    // and a Send that is already waiting must be released: the main window
    // waits for the monitors on the UI thread then, so a Send that went on
    // waiting would hold the shutdown up. (Over a window handle: unregister
    // the handle the monitors send through before the stop events are
    // signalled; that answers waiting senders with 0.)
    virtual void Send(WindowMessage message) = 0;
    // Starts (or restarts) the main window's timer.
    virtual void StartTimer(WindowTimer timer, std::chrono::milliseconds period) = 0;

    // The mouse was found and its link connected (called in this order):
    // select entry `entryIndex` of ms_device_profile_combo without taking
    // focus; selecting a different entry loads that device profile and sends
    // it to the mouse. The application may send the profile's writes right
    // here, on the monitor thread, which holds the link's re-entrant I/O lock
    // (the profile operations fill this in); the combo change itself is
    // posted to the UI thread.
    virtual void SelectDeviceProfile(int entryIndex) = 0;
    // Make ms_tab visible and select it, raising its selection notification.
    virtual void ShowMouseTab() = 0;
    // Make ms_tab_panel visible.
    virtual void ShowMouseTabPanel() = 0;

    // The mouse went away: hide ms_tab.
    virtual void HideMouseTab() = 0;
    // The mouse is still there: hide ms_deng_same_mode, which is offered only
    // while another device type is connected.
    virtual void HideSameModeOption() = 0;

    // The mouse reported event 0x403: arm the trigger of the Reactive
    // lighting effect (the lighting worker consumes it).
    virtual void SetMouseReactiveTrigger() = 0;
};

}  // namespace varlok::device
