#include "settings/configurationexchange.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/debugoutput.h"
#include "settings/keyblockwriter.h"

namespace varlok::settings {

namespace {

using device::LinkResult;

// Offset of profile record `index` in the device's settings area.
std::uint16_t RecordOffset(std::size_t index) {
    return static_cast<std::uint16_t>(index * kRecordSize);
}

// Stores the record in force into the first 50 bytes of a table entry.
void StoreRecord(const SettingsRecord& record, RecordTableEntry& entry) {
    record.CopyTo(std::span(entry).first(SettingsRecord::kSize));
}

}  // namespace

ConfigurationExchange::ConfigurationExchange(device::DeviceLink& link, MouseMirror& mirror,
                                             ProfileSaves& saves, ExchangeHooks& hooks,
                                             TableUploads& uploads)
    : m_link(link), m_mirror(mirror), m_saves(saves), m_hooks(hooks), m_uploads(uploads) {}

void ConfigurationExchange::SyncDevice() {
    {
        const auto lock = m_link.LockIo();
        Report("SyncDevice: BeginTransfer", m_link.BeginTransfer());
        // Each read writes into the mirror only what it received.
        Report("SyncDevice: ReadDeviceInfo", m_link.ReadDeviceInfo(m_mirror.deviceInfo));
        Report("SyncDevice: ReadActiveBlock", m_link.ReadActiveBlock(m_mirror.factoryKeyMap));
        for (unsigned index = 0; index < kOnboardProfileCount; ++index) {
            Report("SyncDevice: ReadStoredBlock",
                   m_link.ReadStoredBlock(m_mirror.keySlots[index], index));
        }
        m_mirror.settingsRecord.Assign(m_mirror.recordTable[0]);
        m_mirror.settingsRecord.SetActiveProfile(0);
        Report("SyncDevice: EndTransfer", m_link.EndTransfer());
    }
    m_mirror.mouseZoneSlot.Set(m_mirror.recordTable[0][kZoneSlotByte]);
    m_saves.SaveDeviceProfile();
}

void ConfigurationExchange::RefreshCurrentRecord() {
    // A change the mouse reports after this point is re-read again.
    static_cast<void>(m_mirror.recordChangedOnDevice.Take());
    {
        const auto lock = m_link.LockIo();
        SettingsRecord& record = m_mirror.settingsRecord;
        const std::uint8_t current = record.ActiveProfile();
        if (current < kOnboardProfileCount) {
            StoreRecord(record, m_mirror.recordTable[current]);
        } else {
            platform::DebugOutput::Write("RefreshCurrentRecord: active profile " +
                                         std::to_string(current) +
                                         " of the record names no profile; not stored");
        }
        // The device expects this read first; what it returns is not used.
        std::array<std::uint8_t, 1> active{};
        Report("RefreshCurrentRecord: ReadSettings", m_link.ReadSettings(active, 0));
        record.SetActiveProfile(0);
        std::array<std::uint8_t, kExchangedRecordSize> read{};
        const LinkResult result = m_link.ReadSettings(read, RecordOffset(0));
        Report("RefreshCurrentRecord: ReadSettings", result);
        if (result == LinkResult::Success) {
            read[SettingsRecord::kActiveProfile] = 0;
            std::copy(read.begin(), read.end(), m_mirror.recordTable[0].begin());
            record.Assign(m_mirror.recordTable[0]);
        }
    }
    m_saves.SaveLightingProfile();
    m_saves.SaveDeviceProfile();
}

bool ConfigurationExchange::SelectOnboardProfile(int index) {
    if (index < 0 || index >= static_cast<int>(kOnboardProfileCount)) {
        return false;
    }
    const auto requested = static_cast<std::uint8_t>(index);
    // A change still waiting for the next tick belongs to the profile in
    // force now: sent after the switch it would be dropped (the record in
    // force becomes the new profile's), so it goes out first.
    FlushSettings();
    {
        const auto lock = m_link.LockIo();
        std::array<std::uint8_t, 1> active{};
        const LinkResult activeRead = m_link.ReadSettings(active, 0);
        if (activeRead != LinkResult::Success) {
            Report("SelectOnboardProfile: ReadSettings", activeRead);
            return false;
        }
        const std::uint8_t current = active[0];
        if (current == requested) {
            return false;
        }
        if (current < kOnboardProfileCount) {
            StoreRecord(m_mirror.settingsRecord, m_mirror.recordTable[current]);
        } else {
            platform::DebugOutput::Write("SelectOnboardProfile: the device reports profile " +
                                         std::to_string(current) +
                                         ", which does not exist; the record is not stored");
        }
        const std::array<std::uint8_t, 1> switchTo{requested};
        const LinkResult written = m_link.WriteSettings(switchTo, 0);
        if (written != LinkResult::Success) {
            Report("SelectOnboardProfile: WriteSettings", written);
            return false;
        }
        RecordTableEntry& entry = m_mirror.recordTable[requested];
        std::array<std::uint8_t, kExchangedRecordSize> read{};
        const LinkResult result = m_link.ReadSettings(read, RecordOffset(requested));
        Report("SelectOnboardProfile: ReadSettings", result);
        if (result == LinkResult::Success) {
            std::copy(read.begin(), read.end(), entry.begin());
        }
        m_mirror.settingsRecord.Assign(entry);
        m_mirror.settingsRecord.SetActiveProfile(requested);
    }
    m_hooks.OnboardProfileSwitched();
    return true;
}

void ConfigurationExchange::FlushSettings() {
    if (!m_mirror.settingsDirty.Take()) {
        return;
    }
    if (m_mirror.recordChangedOnDevice.IsSet()) {
        platform::DebugOutput::Write(
            "FlushSettings: the mouse changed its record in force; the change is dropped and "
            "the mouse's record re-read");
        return;
    }
    std::array<std::uint8_t, kExchangedRecordSize> buffer{};
    m_mirror.settingsRecord.CopyTo(buffer);
    Report("FlushSettings: WriteSettings", m_link.WriteSettings(buffer, RecordOffset(0)));
}

bool ConfigurationExchange::SaveToDevice() {
    m_hooks.SaveStarted();
    const bool sent = m_uploads.UploadTables(m_link, m_mirror.deviceInfo.MacroCapacityBytes()) ==
                          UploadResult::Sent &&
                      WriteActiveKeySlot();
    m_hooks.SaveFinished();
    return sent;
}

bool ConfigurationExchange::WriteActiveKeySlot() {
    const std::uint8_t active = m_mirror.settingsRecord.ActiveProfile();
    if (active >= kOnboardProfileCount) {
        platform::DebugOutput::Write("SaveToDevice: active profile " + std::to_string(active) +
                                     " does not exist; the key table is not sent");
        return false;
    }
    {
        const auto lock = m_link.LockIo();
        Report("SaveToDevice: BeginTransfer", m_link.BeginTransfer());
        Report("SaveToDevice: key block", KeyBlockWriter::Write(m_link, active, m_mirror));
        Report("SaveToDevice: EndTransfer", m_link.EndTransfer());
    }
    m_saves.SaveDeviceProfile();
    return true;
}

void ConfigurationExchange::Report(std::string_view step, LinkResult result) const {
    if (result == LinkResult::Success || !m_link.IsConnected()) {
        return;
    }
    platform::DebugOutput::Write(std::string(step) +
                                 " failed: " + std::string(device::Describe(result)));
}

}  // namespace varlok::settings
