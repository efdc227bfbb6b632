#include "varlokctl/directwatch.h"

#include <pthread.h>

#include <utility>

#include "device/collectionsearch.h"
#include "device/devicelink.h"
#include "lighting/lightingsettings.h"
#include "settings/settingsrecord.h"
#include "varlokctl/mouseaccess.h"
#include "varlokctl/settingsrecordview.h"

namespace varlok::tools {

namespace {

using settings::SettingsRecord;

MouseStatus StatusOfRecord(const RecordBytes& record) {
    MouseStatus status;
    status.connected = true;
    status.via = "direct";
    if (const unsigned profile = record[SettingsRecord::kActiveProfile];
        profile < device::kOnboardProfileCount) {
        status.profile = profile;
    }
    if (const unsigned current = record[SettingsRecord::kCurrentDpiStage];
        current < SettingsRecord::kDpiStageCount) {
        status.stage = current + 1;
        if (const auto dpi = SettingsRecordView::DpiOfCode(
                record[SettingsRecord::DpiStageOffset(current + 1)])) {
            status.dpi = *dpi;
        }
    }
    if (const unsigned mode = record[lighting::LightingSettings::kMode];
        mode < lighting::kModeCount) {
        status.effect = std::string(lighting::kModeNames[mode]);
    }
    return status;
}

}  // namespace

DirectWatch::DirectWatch(std::shared_ptr<device::HidBus> bus,
                         std::function<void(std::uint16_t code)> reported)
    : m_bus(std::move(bus)),
      m_reported(std::move(reported)),
      m_monitor(device::DeviceType::Mouse, *this, m_bus) {
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "varlokctl-watch");
        m_monitor.Run(m_stop);
    });
}

DirectWatch::~DirectWatch() {
    m_stop.Set();
    m_monitor.Wake();
    m_thread.join();
}

void DirectWatch::DeviceEventReported(device::DeviceType /*device*/, device::DeviceEventCode code) {
    m_reported(static_cast<std::uint16_t>(code));
}

bool DirectWatch::Present() const {
    device::HidDevice device(m_bus);
    if (!device.FindPaths()) {
        return false;
    }
    bool found = false;
    while (const auto path = device.NextPath()) {
        if (device::HidDevice::ParseVendorId(*path) != device::kVendorId ||
            device::HidDevice::ParseProductId(*path) != device::kMouseProductId) {
            continue;
        }
        // No access rights are needed to learn the usages, and no owner lock.
        if (device.Open(*path, false, false, true, false)) {
            found = device.Caps().usagePage == device::kConfigurationUsagePage &&
                    device.Caps().usage == device::kConfigurationUsage;
            device.Close();
        }
        if (found) {
            break;
        }
    }
    device.FreePaths();
    return found;
}

MouseStatus DirectWatch::Probe(bool& read) const {
    read = false;
    MouseStatus status;
    status.via = "direct";
    status.connected = Present();
    if (!status.connected) {
        return status;
    }
    // The lock is taken only for this read, and never waited for.
    device::DeviceLink link(m_bus);
    link.Init(device::DeviceType::Mouse);
    if (device::SearchConfigurationCollection(link).outcome != device::SearchOutcome::Found) {
        return status;
    }
    RecordBytes record{};
    if (link.ReadSettings(record, 0) != device::LinkResult::Success) {
        return status;
    }
    read = true;
    return StatusOfRecord(record);
}

}  // namespace varlok::tools
