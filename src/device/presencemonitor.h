#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "device/deviceevents.h"
#include "device/devicelink.h"
#include "platform/event.h"

namespace varlok::device {

// Watches for the mouse's configuration collection: opens it in the mouse
// link and marks the link connected when it appears, and marks the link
// disconnected when it goes away; while it is there but refused for lack of
// permission, or held by another program, it says so. A held mouse is tried
// again every cycle, so it is opened within a cycle of its release. Runs on
// a thread of its own (Run), one check cycle per second.
class PresenceMonitor {
public:
    static constexpr std::chrono::milliseconds kCyclePause{1000};
    // Written to the debug output when the thread ends.
    static constexpr std::string_view kExitText = "鼠标设备侦测线程设定退出";

    // link: the mouse link, initialised with its ids; events: told what is
    // found. Both must outlive the thread that runs Run.
    PresenceMonitor(DeviceLink& link, DeviceEventSink& events);

    // The thread body: check cycles until stop is signalled. Each cycle
    // holds the link's I/O lock from start to end (probe, or enumeration,
    // open and the events it reports) and releases it before the pause, which
    // is a wait on stop, so a stop is taken within a few milliseconds unless
    // a cycle is running.
    void Run(platform::Event& stop);

private:
    void RunCycle();
    void CheckConnected();
    void Search();

    DeviceLink& m_link;
    DeviceEventSink& m_events;
    // True until the first enumeration pass has run.
    bool m_firstPass = true;
    // Set while enumeration keeps failing, so that the failure is logged once.
    bool m_enumerationFailing = false;
    // Whether the last search found the mouse but was refused its node.
    bool m_permissionDenied = false;
    // Who held the mouse at the last search, if anyone.
    std::optional<platform::LockHolder> m_holder;
};

}  // namespace varlok::device
