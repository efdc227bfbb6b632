#include "device/presencemonitor.h"

#include <optional>
#include <string>

#include "platform/debugoutput.h"

namespace varlok::device {

namespace {

// The first check runs this soon after the start, like every later one
// after its pause; it gives a stop requested at once a chance to win.
constexpr std::chrono::milliseconds kStopCheck{1};

}  // namespace

PresenceMonitor::PresenceMonitor(DeviceLink& link, DeviceEventSink& events)
    : m_link(link), m_events(events) {}

void PresenceMonitor::Run(platform::Event& stop) {
    m_firstPass = true;
    for (;;) {
        if (stop.Wait(kStopCheck)) {
            break;
        }
        RunCycle();
        if (stop.Wait(kCyclePause)) {
            break;
        }
    }
    platform::DebugOutput::Write(kExitText);
}

void PresenceMonitor::RunCycle() {
    const auto lock = m_link.LockIo();
    if (m_link.IsConnected()) {
        CheckConnected();
    } else {
        Search();
    }
}

void PresenceMonitor::CheckConnected() {
    if (!m_link.Device().ProbePath()) {
        // Gone. The dead node is released too; the next search reopens the
        // mouse under its new path.
        m_link.SetConnected(false);
        m_link.Device().Close();
        m_events.MouseRemoved();
        return;
    }
    m_events.MouseStillPresent();
}

void PresenceMonitor::Search() {
    HidDevice& device = m_link.Device();
    if (!device.FindPaths()) {
        // Tried again next cycle: a passing failure of the system's
        // enumeration must not leave the mouse undetected until a restart.
        if (!m_enumerationFailing) {
            platform::DebugOutput::Write("mouse presence: HID enumeration failed");
        }
        m_enumerationFailing = true;
        return;
    }
    m_enumerationFailing = false;
    while (const std::optional<std::string> path = device.NextPath()) {
        if (TryAccept(*path)) {
            break;
        }
    }
    if (m_firstPass && m_link.IsConnected()) {
        m_events.MouseFoundAtStart();
    }
    m_firstPass = false;
    device.FreePaths();
}

bool PresenceMonitor::TryAccept(const std::string& path) {
    // Only the vendor is filtered before opening; product, usage page and
    // usage are checked on the open collection.
    if (HidDevice::ParseVendorId(path) != m_link.VendorId()) {
        return false;
    }
    HidDevice& device = m_link.Device();
    if (!device.Open(path, /*read=*/true, /*write=*/true, /*overlapped=*/true,
                     /*exclusive=*/false)) {
        return false;
    }
    if (!m_link.MatchesOpenDevice()) {
        device.Close();
        return false;
    }
    m_link.SetConnected(true);
    m_events.MouseArrived();
    return true;
}

}  // namespace varlok::device
