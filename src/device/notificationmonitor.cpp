#include "device/notificationmonitor.h"

#include <algorithm>

#include "platform/debugoutput.h"

namespace varlok::device {

namespace {

constexpr std::chrono::milliseconds kStopCheck{1};

}  // namespace

const NotificationSourceInfo& SourceInfo(NotificationSource source) {
    return source == NotificationSource::Keyboard ? kNotificationSources[0]
                                                  : kNotificationSources[1];
}

std::optional<DeviceEventRule> FindDeviceEventRule(NotificationSource source, std::uint16_t code) {
    const auto found =
        std::find_if(kDeviceEventRules.begin(), kDeviceEventRules.end(),
                     [&](const auto& rule) { return rule.source == source && rule.code == code; });
    if (found == kDeviceEventRules.end()) {
        return std::nullopt;
    }
    return *found;
}

NotificationMonitor::NotificationMonitor(NotificationSource source, MonitorHost& host,
                                         std::shared_ptr<HidBus> bus)
    : m_info(SourceInfo(source)), m_host(host), m_device(std::move(bus)) {}

void NotificationMonitor::Run(platform::Event& stop) {
    for (;;) {
        if (stop.Wait(kStopCheck)) {
            break;
        }
        bool opened = false;
        {
            const std::lock_guard lock(m_deviceMutex);
            // Checked under the lock: a Wake that came before this point
            // finds nothing open, so the stop must be seen here.
            if (stop.IsSet()) {
                break;
            }
            opened = OpenDevice();
        }
        std::chrono::milliseconds pause = kSearchPause;
        if (opened) {
            const bool gone = ReadLoop(stop);
            {
                const std::lock_guard lock(m_deviceMutex);
                m_device.Close();
            }
            pause = gone ? kSearchPause : kReopenPause;
        }
        if (stop.Wait(pause)) {
            break;
        }
    }
    {
        const std::lock_guard lock(m_deviceMutex);
        m_device.Close();
    }
    platform::DebugOutput::Write(m_info.exitText);
}

void NotificationMonitor::Wake() {
    const std::lock_guard lock(m_deviceMutex);
    m_device.Close();
}

bool NotificationMonitor::OpenDevice() {
    if (!m_device.FindPaths()) {
        // Tried again after the pause, so that a passing failure does not
        // stop the watching for the rest of the run.
        if (!m_enumerationFailing) {
            platform::DebugOutput::Write("notification monitor: HID enumeration failed");
        }
        m_enumerationFailing = true;
        return false;
    }
    m_enumerationFailing = false;
    bool opened = false;
    while (const std::optional<std::string> path = m_device.NextPath()) {
        if (HidDevice::ParseVendorId(*path) != kNotificationVendorId ||
            HidDevice::ParseProductId(*path) != m_info.productId) {
            continue;
        }
        if (!m_device.Open(*path, /*read=*/true, /*write=*/false, /*overlapped=*/true,
                           /*exclusive=*/false)) {
            continue;
        }
        const HidAttributes& attributes = m_device.Attributes();
        const HidCaps& caps = m_device.Caps();
        if (attributes.vendorId == kNotificationVendorId &&
            attributes.productId == m_info.productId && caps.usagePage == kNotificationUsagePage &&
            caps.usage == kNotificationUsage && caps.inputReportByteLength > 0) {
            opened = true;
            break;
        }
        m_device.Close();
    }
    m_device.FreePaths();
    return opened;
}

bool NotificationMonitor::ReadLoop(platform::Event& stop) {
    std::vector<std::uint8_t> report;
    {
        const std::lock_guard lock(m_deviceMutex);
        // A buffer of our own: Wake frees the device's report buffers while
        // a read may be filling this one.
        report.assign(m_device.Caps().inputReportByteLength, 0);
    }
    for (;;) {
        {
            const std::lock_guard lock(m_deviceMutex);
            if (stop.IsSet() || !m_device.IsOpen()) {
                return false;
            }
        }
        std::size_t transferred = 0;
        const bool received = m_device.ReadReport(report, &transferred, m_info.readTimeout);
        std::uint16_t code = 0;
        {
            const std::lock_guard lock(m_deviceMutex);
            if (stop.IsSet()) {
                return false;
            }
            if (!received) {
                // A failed read alone proves nothing; the probe decides.
                if (!m_device.ProbePath()) {
                    return true;
                }
                // Closed under the read, or a read without a limit that
                // failed all the same: reopen rather than spin on it.
                if (!m_device.IsOpen() || m_info.readTimeout == kWaitForever) {
                    return false;
                }
                continue;
            }
            const std::span<const std::uint8_t> bytes(report.data(), transferred);
            if (transferred == 0 || !m_device.UnpackReport(bytes, ReportKind::Input)) {
                continue;
            }
            code = EventCode(report[0]);
        }
        // Outside the lock: a Send waits for the UI thread, which may be
        // the thread calling Wake.
        Act(code);
    }
}

std::uint16_t NotificationMonitor::EventCode(std::uint8_t reportId) {
    const std::span<const HidReportItem> items = m_device.Items(ReportKind::Input);
    if (items.empty()) {
        return 0;
    }
    const HidReportItem& first = items.front();
    // An item of another report keeps what an earlier report left in it.
    if (!first.isButton || first.reportId != reportId || first.usages.empty()) {
        return 0;
    }
    return first.usages.front();
}

void NotificationMonitor::Act(std::uint16_t code) {
    if (code == 0) {
        return;
    }
    const std::optional<DeviceEventRule> rule = FindDeviceEventRule(m_info.source, code);
    if (!rule) {
        return;
    }
    switch (rule->action) {
        case EventAction::StartTimer:
            m_host.StartTimer(rule->timer, TimerPeriod(rule->timer));
            break;
        case EventAction::SendMessage:
            m_host.Send(rule->message);
            break;
        case EventAction::ReactiveTrigger:
            m_host.SetMouseReactiveTrigger();
            break;
    }
}

}  // namespace varlok::device
