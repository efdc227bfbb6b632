#include "device/presencemonitor.h"

#include <optional>
#include <string>

#include "device/collectionsearch.h"
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
    const SearchResult result = SearchConfigurationCollection(m_link);
    if (result.outcome == SearchOutcome::EnumerationFailed) {
        // Tried again next cycle: a passing failure of the system's
        // enumeration must not leave the mouse undetected until a restart.
        if (!m_enumerationFailing) {
            platform::DebugOutput::Write("mouse presence: HID enumeration failed");
        }
        m_enumerationFailing = true;
        return;
    }
    m_enumerationFailing = false;
    const std::optional<platform::LockHolder> holder =
        result.outcome == SearchOutcome::InUse ? std::optional(result.owner.holder) : std::nullopt;
    if (holder != m_holder) {
        m_holder = holder;
        if (holder) {
            platform::DebugOutput::Write(
                "mouse presence: in use by " +
                (holder->program.empty() ? std::string("another program") : holder->program) +
                " (" + result.owner.lockFile.string() + ")");
        }
        m_events.MouseInUse(holder);
    }
    if (result.outcome == SearchOutcome::Found) {
        m_events.MouseArrived();
    }
    const bool denied = result.outcome == SearchOutcome::PermissionDenied;
    if (denied != m_permissionDenied) {
        m_permissionDenied = denied;
        if (denied) {
            platform::DebugOutput::Write("mouse presence: permission denied opening " +
                                         result.path);
        }
        m_events.MousePermissionDenied(denied);
    }
    if (m_firstPass && m_link.IsConnected()) {
        m_events.MouseFoundAtStart();
    }
    m_firstPass = false;
}

}  // namespace varlok::device
