#include "device/notificationmonitor.h"

#include "platform/debugoutput.h"

namespace varlok::device {

namespace {

constexpr std::chrono::milliseconds kStopCheck{1};

}  // namespace

const NotificationSourceInfo& SourceInfo(DeviceType device) {
    for (const NotificationSourceInfo& info : kNotificationSources) {
        if (info.device == device) {
            return info;
        }
    }
    return kNotificationSources.back();
}

NotificationMonitor::NotificationMonitor(DeviceType device, DeviceEventSink& events,
                                         std::shared_ptr<HidBus> bus)
    : m_info(SourceInfo(device)),
      m_productId(IdentityOf(m_info.device).productId),
      m_events(events),
      m_device(std::move(bus)) {}

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
        if (HidDevice::ParseVendorId(*path) != kVendorId ||
            HidDevice::ParseProductId(*path) != m_productId) {
            continue;
        }
        if (!m_device.Open(*path, /*read=*/true, /*write=*/false, /*overlapped=*/true,
                           /*exclusive=*/false)) {
            continue;
        }
        const HidAttributes& attributes = m_device.Attributes();
        const HidCaps& caps = m_device.Caps();
        if (attributes.vendorId == kVendorId && attributes.productId == m_productId &&
            caps.usagePage == kNotificationUsagePage && caps.usage == kNotificationUsage &&
            caps.inputReportByteLength > 0) {
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
        // Outside the lock: reporting may wait for the UI thread, which may be
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
    if (const std::optional<DeviceEventCode> event = FindDeviceEventCode(code)) {
        m_events.DeviceEventReported(m_info.device, *event);
    }
}

}  // namespace varlok::device
