#include "settings/configurationexchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <vector>

#include "platform/debugoutput.h"
#include "settingstestsupport.h"

namespace varlok::settings {
namespace {

using testing::Request;
using testing::RequestsReceived;
using testing::Summaries;

using Strings = std::vector<std::string>;

// A byte pattern that differs per table and position, so that misplaced
// copies show.
template <std::size_t N>
std::array<std::uint8_t, N> Pattern(std::uint8_t seed) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

// The mirror's tables as they were at one moment.
struct MirrorCopy {
    explicit MirrorCopy(const MouseMirror& mirror)
        : deviceInfo(mirror.deviceInfo),
          factoryKeyMap(mirror.factoryKeyMap),
          keySlots(mirror.keySlots),
          recordTable(mirror.recordTable),
          settingsRecord(mirror.settingsRecord.Snapshot()) {}

    device::DeviceInfo deviceInfo;
    FactoryKeyMap factoryKeyMap;
    std::array<KeySlot, kOnboardProfileCount> keySlots;
    RecordTable recordTable;
    SettingsRecord::Bytes settingsRecord;
};

class ConfigurationExchangeTest : public ::testing::Test, protected testing::ConnectedMouse {
protected:
    ConfigurationExchangeTest() {
        // Every record of the device's settings area distinct; record 0
        // says profile 4 is active.
        sim::SettingsAreaBytes area = Pattern<sim::kSettingsAreaSize>(0x10);
        // The pattern repeats every 256 bytes; records 0 and 4 differ by this.
        for (std::size_t i = 0; i < kRecordSize; ++i) {
            area[4 * kRecordSize + i] ^= 0x80;
        }
        area[0] = 4;
        mouse->SetSettingsArea(area);
        mouse->ClearLog();
    }

    template <typename Change>
    void SetFaults(Change change) {
        sim::VirtualMouse::Faults faults;
        change(faults);
        mouse->SetFaults(faults);
    }
    [[nodiscard]] std::vector<Request> Requests() const { return RequestsReceived(*mouse); }
    // Bytes [offset, offset + count) of the device's settings area.
    [[nodiscard]] std::vector<std::uint8_t> DeviceSettings(std::size_t offset,
                                                           std::size_t count) const {
        const sim::SettingsAreaBytes area = mouse->SettingsArea();
        return {area.begin() + static_cast<std::ptrdiff_t>(offset),
                area.begin() + static_cast<std::ptrdiff_t>(offset + count)};
    }
    void FillMirror() {
        for (std::size_t i = 0; i < kOnboardProfileCount; ++i) {
            m_mirror.recordTable[i] = Pattern<kRecordSize>(static_cast<std::uint8_t>(0xA0 + i));
            m_mirror.keySlots[i] = Pattern<kKeyTableSize>(static_cast<std::uint8_t>(0x50 + i));
        }
        m_mirror.factoryKeyMap = Pattern<kKeyTableSize>(0xEE);
    }

    MouseMirror m_mirror;
    testing::RecordingHooks m_hooks{*mouse};
    ConfigurationExchange m_exchange{m_link, m_mirror, m_hooks, m_hooks, m_hooks};
};

TEST_F(ConfigurationExchangeTest, SeveralChangesWithinOneTickLeaveAsOneWriteOfTheWholeRecord) {
    SettingsRecord& record = m_mirror.settingsRecord;
    record.Assign(Pattern<SettingsRecord::kSize>(0x30));
    record.Set(SettingsRecord::kReportRate, 2);
    m_mirror.settingsDirty.Mark();
    record.Set(SettingsRecord::DpiStageOffset(3), 15);
    m_mirror.settingsDirty.Mark();
    record.Set(SettingsRecord::DpiStageOffset(6), 9);
    m_mirror.settingsDirty.Mark();

    m_exchange.FlushSettings();
    m_exchange.FlushSettings();

    const std::vector<Request> requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    // The request byte for byte: id, checksum of bytes 3-63, command 0x06,
    // length 56, offset 0, status 0, the record, then six zeros.
    std::array<std::uint8_t, 64> expected{};
    expected[0] = 0x04;
    expected[3] = 0x06;
    expected[4] = 56;
    const SettingsRecord::Bytes bytes = record.Snapshot();
    std::copy(bytes.begin(), bytes.end(), expected.begin() + 8);
    const unsigned sum = std::accumulate(expected.begin() + 3, expected.end(), 0u);
    expected[1] = static_cast<std::uint8_t>(sum & 0xFF);
    expected[2] = static_cast<std::uint8_t>(sum >> 8);
    EXPECT_EQ(requests[0].raw, std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(bytes[SettingsRecord::kReportRate], 2);
    EXPECT_EQ(bytes[17], 15);
    EXPECT_EQ(bytes[21], 9);
    // The device took it as the record in force, that of its active profile
    // 4, and stayed on that profile.
    EXPECT_EQ(DeviceSettings(4 * kRecordSize + 1, 55),
              std::vector<std::uint8_t>(expected.begin() + 9, expected.begin() + 64));
    EXPECT_EQ(DeviceSettings(0, 1), std::vector<std::uint8_t>{4});
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
}

TEST_F(ConfigurationExchangeTest, AFailedFlushDropsTheChange) {
    SetFaults([](sim::VirtualMouse::Faults& faults) { faults.failWrites = true; });
    m_mirror.settingsDirty.Mark();
    m_exchange.FlushSettings();
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
    mouse->SetFaults({});
    m_exchange.FlushSettings();
    EXPECT_EQ(Requests().size(), 0u);
}

TEST_F(ConfigurationExchangeTest, AChangeIsNotWrittenOverTheRecordTheMouseSwitchedToByItself) {
    m_exchange.RefreshCurrentRecord();
    const std::vector<std::uint8_t> profile0 = DeviceSettings(1, SettingsRecord::kSize - 1);
    mouse->ClearLog();
    // A change waits for the tick when the mouse's button takes it from
    // profile 4 to profile 0, and the mouse says so.
    m_mirror.settingsRecord.Set(SettingsRecord::kReportRate, 3);
    m_mirror.settingsDirty.Mark();
    mouse->PressProfileButton();
    m_mirror.recordChangedOnDevice.Mark();
    m_exchange.FlushSettings();
    EXPECT_TRUE(Requests().empty());
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
    EXPECT_EQ(DeviceSettings(1, SettingsRecord::kSize - 1), profile0);

    // The re-read takes the mark; changes are written again, to profile 0.
    m_exchange.RefreshCurrentRecord();
    EXPECT_FALSE(m_mirror.recordChangedOnDevice.IsSet());
    m_mirror.settingsRecord.Set(SettingsRecord::kReportRate, 3);
    m_mirror.settingsDirty.Mark();
    m_exchange.FlushSettings();
    EXPECT_EQ(Summaries(Requests()), (Strings{"05 len 1 @0", "05 len 56 @0", "06 len 56 @0"}));
    EXPECT_EQ(DeviceSettings(SettingsRecord::kReportRate, 1), std::vector<std::uint8_t>{3});
}

TEST_F(ConfigurationExchangeTest, SelectingTheProfileTheDeviceAlreadyHasReadsOneByteOnly) {
    FillMirror();
    const MirrorCopy before(m_mirror);
    m_exchange.SelectOnboardProfile(4);
    EXPECT_EQ(Summaries(Requests()), Strings{"05 len 1 @0"});
    EXPECT_EQ(m_mirror.recordTable, before.recordTable);
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), before.settingsRecord);
    EXPECT_EQ(m_hooks.Calls(), Strings{});
}

TEST_F(ConfigurationExchangeTest, SelectingProfileTwoSwitchesTheDeviceAndTakesItsRecord) {
    FillMirror();
    m_mirror.settingsRecord.Assign(Pattern<SettingsRecord::kSize>(0x77));
    const RecordTable before = m_mirror.recordTable;

    m_exchange.SelectOnboardProfile(2);

    const std::vector<Request> requests = Requests();
    EXPECT_EQ(Summaries(requests), (Strings{"05 len 1 @0", "06 len 1 @0", "05 len 56 @128"}));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].data, std::vector<std::uint8_t>{0x02});
    EXPECT_EQ(DeviceSettings(0, 1), std::vector<std::uint8_t>{0x02});
    // The record in force went to the entry of the profile the device had.
    const auto old = Pattern<SettingsRecord::kSize>(0x77);
    EXPECT_TRUE(std::equal(old.begin(), old.end(), m_mirror.recordTable[4].begin()));
    EXPECT_TRUE(
        std::equal(before[4].begin() + 50, before[4].end(), m_mirror.recordTable[4].begin() + 50));
    // Entry 2 holds the device's record 2 (56 bytes) and the host's tail.
    const std::vector<std::uint8_t> deviceRecord = DeviceSettings(128, 56);
    EXPECT_TRUE(
        std::equal(deviceRecord.begin(), deviceRecord.end(), m_mirror.recordTable[2].begin()));
    EXPECT_TRUE(
        std::equal(before[2].begin() + 56, before[2].end(), m_mirror.recordTable[2].begin() + 56));
    // The record in force is entry 2's first 50 bytes with byte 0 = 2.
    SettingsRecord::Bytes expected{};
    std::copy_n(deviceRecord.begin(), SettingsRecord::kSize, expected.begin());
    expected[0] = 2;
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), expected);
    EXPECT_EQ(m_mirror.recordTable[0], before[0]);
    EXPECT_EQ(m_hooks.Calls(), Strings{"OnboardProfileSwitched"});
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
}

TEST_F(ConfigurationExchangeTest, AChangeNotYetFlushedReachesItsOwnProfileBeforeTheSwitch) {
    m_mirror.settingsRecord.Assign(Pattern<SettingsRecord::kSize>(0x77));
    m_mirror.settingsRecord.Set(SettingsRecord::kReportRate, 2);
    m_mirror.settingsDirty.Mark();

    m_exchange.SelectOnboardProfile(2);
    m_exchange.FlushSettings();

    EXPECT_EQ(Summaries(Requests()),
              (Strings{"06 len 56 @0", "05 len 1 @0", "06 len 1 @0", "05 len 56 @128"}));
    // Profile 4, in force when the change was made, holds it.
    EXPECT_EQ(DeviceSettings(4 * kRecordSize + SettingsRecord::kReportRate, 1),
              std::vector<std::uint8_t>{2});
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
}

TEST_F(ConfigurationExchangeTest, AnActiveIndexAboveFourFromTheDeviceIsNotUsedAsAnEntry) {
    sim::SettingsAreaBytes area = mouse->SettingsArea();
    area[0] = 7;
    mouse->SetSettingsArea(area);
    FillMirror();
    const RecordTable before = m_mirror.recordTable;
    platform::DebugCapture capture;

    m_exchange.SelectOnboardProfile(2);

    // The switch itself goes ahead and repairs the device's index.
    EXPECT_EQ(Summaries(Requests()), (Strings{"05 len 1 @0", "06 len 1 @0", "05 len 56 @128"}));
    EXPECT_EQ(DeviceSettings(0, 1), std::vector<std::uint8_t>{0x02});
    for (const std::size_t untouched : {0u, 1u, 3u, 4u}) {
        EXPECT_EQ(m_mirror.recordTable[untouched], before[untouched]) << untouched;
    }
    EXPECT_EQ(m_mirror.settingsRecord.ActiveProfile(), 2);
    EXPECT_TRUE(capture.Contains(
        "SelectOnboardProfile: the device reports profile 7, which does not exist; the record "
        "is not stored"));
}

TEST_F(ConfigurationExchangeTest, ProfileSwitchStopsWhenTheDeviceCannotBeReadOrWritten) {
    FillMirror();
    const MirrorCopy before(m_mirror);
    SetFaults([](sim::VirtualMouse::Faults& faults) { faults.forcedStatus = 0xFF; });
    m_exchange.SelectOnboardProfile(1);
    mouse->SetFaults({});
    m_backend->LimitWrites(1);
    m_exchange.SelectOnboardProfile(1);
    // Neither attempt got as far as reading the new profile's record.
    EXPECT_EQ(Summaries(Requests()), (Strings{"05 len 1 @0", "05 len 1 @0"}));
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), before.settingsRecord);
    EXPECT_EQ(m_mirror.recordTable[1], before.recordTable[1]);
    EXPECT_EQ(m_hooks.Calls(), Strings{});
}

TEST_F(ConfigurationExchangeTest, OnboardProfilesOutsideZeroToFourAreIgnored) {
    m_exchange.SelectOnboardProfile(5);
    m_exchange.SelectOnboardProfile(-1);
    EXPECT_EQ(Requests().size(), 0u);
}

TEST_F(ConfigurationExchangeTest, RefreshingTheCurrentRecordAlwaysLeavesProfileZeroInByteZero) {
    FillMirror();
    const RecordTable before = m_mirror.recordTable;
    auto current = Pattern<SettingsRecord::kSize>(0x61);
    current[0] = 3;
    m_mirror.settingsRecord.Assign(current);

    m_exchange.RefreshCurrentRecord();

    EXPECT_EQ(Summaries(Requests()), (Strings{"05 len 1 @0", "05 len 56 @0"}));
    // The record in force was kept in its profile's entry first.
    EXPECT_TRUE(std::equal(current.begin(), current.end(), m_mirror.recordTable[3].begin()));
    // Entry 0 is the record in force, that of the device's active profile 4,
    // with byte 0 cleared; its tail stays.
    std::vector<std::uint8_t> deviceRecord = DeviceSettings(4 * kRecordSize, 56);
    deviceRecord[0] = 0;
    EXPECT_TRUE(
        std::equal(deviceRecord.begin(), deviceRecord.end(), m_mirror.recordTable[0].begin()));
    EXPECT_TRUE(
        std::equal(before[0].begin() + 56, before[0].end(), m_mirror.recordTable[0].begin() + 56));
    SettingsRecord::Bytes expected{};
    std::copy_n(deviceRecord.begin(), SettingsRecord::kSize, expected.begin());
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), expected);
    EXPECT_EQ(m_hooks.Calls(), (Strings{"SaveLightingProfile", "SaveDeviceProfile"}));
}

TEST_F(ConfigurationExchangeTest, EachOnboardProfileKeepsItsChangesAcrossSwitchesAndTheButton) {
    SettingsRecord& record = m_mirror.settingsRecord;
    const auto change = [&](std::uint8_t stage1, std::uint8_t rate) {
        record.Set(SettingsRecord::DpiStageOffset(1), stage1);
        record.Set(SettingsRecord::kReportRate, rate);
        m_mirror.settingsDirty.Mark();
        m_exchange.FlushSettings();
    };
    // Bytes 1-49 (byte 0 is the host's own) of what the host holds and of
    // the device's record of a profile.
    const auto held = [](std::span<const std::uint8_t> bytes) {
        return std::vector<std::uint8_t>(bytes.begin() + 1, bytes.begin() + SettingsRecord::kSize);
    };
    const auto device = [this](std::size_t profile) {
        return DeviceSettings(profile * kRecordSize + 1, SettingsRecord::kSize - 1);
    };
    const std::vector<std::uint8_t> profile0 = device(0);

    m_exchange.SelectOnboardProfile(1);
    change(7, 2);
    m_exchange.SelectOnboardProfile(2);
    change(15, 3);
    m_exchange.SelectOnboardProfile(1);
    EXPECT_EQ(record.Get(SettingsRecord::DpiStageOffset(1)), 7);
    EXPECT_EQ(record.Get(SettingsRecord::kReportRate), 2);
    EXPECT_EQ(held(record.Snapshot()), device(1));
    EXPECT_EQ(held(m_mirror.recordTable[1]), device(1));
    EXPECT_EQ(held(m_mirror.recordTable[2]), device(2));
    EXPECT_EQ(DeviceSettings(2 * kRecordSize + 15, 1), std::vector<std::uint8_t>{15});

    // The mouse's own button takes it to profile 2; the re-read shows that
    // profile, and a change then lands there while the mouse stays on it.
    mouse->PressProfileButton();
    m_exchange.RefreshCurrentRecord();
    EXPECT_EQ(record.Get(SettingsRecord::DpiStageOffset(1)), 15);
    EXPECT_EQ(held(m_mirror.recordTable[0]), device(2));
    EXPECT_EQ(held(m_mirror.recordTable[1]), device(1));
    change(11, 1);
    EXPECT_EQ(DeviceSettings(0, 1), std::vector<std::uint8_t>{2});
    EXPECT_EQ(held(record.Snapshot()), device(2));
    EXPECT_EQ(DeviceSettings(kRecordSize + 15, 1), std::vector<std::uint8_t>{7});
    EXPECT_EQ(device(0), profile0);

    // Choosing profile 1 in the window files the change under profile 2.
    m_exchange.SelectOnboardProfile(1);
    EXPECT_EQ(held(m_mirror.recordTable[2]), device(2));
    EXPECT_EQ(held(record.Snapshot()), device(1));
}

TEST_F(ConfigurationExchangeTest, AFailedRefreshKeepsTheRecordButStillClearsByteZero) {
    FillMirror();
    const RecordTable before = m_mirror.recordTable;
    auto current = Pattern<SettingsRecord::kSize>(0x61);
    current[0] = 9;  // names no profile: stored nowhere
    m_mirror.settingsRecord.Assign(current);
    SetFaults([](sim::VirtualMouse::Faults& faults) { faults.forcedStatus = 0xFE; });

    m_exchange.RefreshCurrentRecord();

    EXPECT_EQ(m_mirror.recordTable, before);
    current[0] = 0;
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), current);
}

TEST_F(ConfigurationExchangeTest, SyncReadsEverythingButTheSettingsArea) {
    FillMirror();
    m_mirror.recordTable[0][0] = 3;
    m_mirror.recordTable[0][kZoneSlotByte] = 1;
    mouse->SetFactoryKeyMap(Pattern<sim::kFactoryKeyMapSize>(0x21));
    mouse->SetKeyMemory(Pattern<sim::kKeyMemorySize>(0x42));

    m_exchange.SyncDevice();

    Strings expected = {"01 len 0 @0", "03 len 33 @0"};
    for (unsigned position = 0; position < 512; position += 56) {
        expected.push_back("07 len " + std::to_string(std::min(56u, 512 - position)) + " @" +
                           std::to_string(position));
    }
    for (unsigned index = 0; index < 5; ++index) {
        for (unsigned position = 0; position < 512; position += 56) {
            expected.push_back("08 len " + std::to_string(std::min(56u, 512 - position)) + " @" +
                               std::to_string(index * 126 + position));
        }
    }
    expected.push_back("02 len 0 @0");
    EXPECT_EQ(Summaries(Requests()), expected);

    EXPECT_EQ(m_mirror.deviceInfo.Raw(), mouse->DeviceInfo());
    EXPECT_EQ(m_mirror.factoryKeyMap, mouse->FactoryKeyMap());
    for (std::size_t index = 0; index < 5; ++index) {
        EXPECT_EQ(m_mirror.keySlots[index], mouse->StoredKeyBlock(index)) << index;
    }
    SettingsRecord::Bytes record{};
    std::copy_n(m_mirror.recordTable[0].begin(), SettingsRecord::kSize, record.begin());
    record[0] = 0;
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), record);
    EXPECT_EQ(m_mirror.mouseZoneSlot.Get(), 1);
    EXPECT_EQ(m_hooks.Calls(), Strings{"SaveDeviceProfile"});
}

TEST_F(ConfigurationExchangeTest, ABlockReadCutOffPartWayCopiesOnlyWhatWasRead) {
    FillMirror();
    const MirrorCopy before(m_mirror);
    mouse->SetFactoryKeyMap(Pattern<sim::kFactoryKeyMapSize>(0x21));
    // BeginTransfer, ReadDeviceInfo and three chunks of the factory key map
    // get through; every write after that fails.
    m_backend->LimitWrites(5);

    m_exchange.SyncDevice();

    EXPECT_EQ(m_mirror.deviceInfo.Raw(), mouse->DeviceInfo());
    const sim::FactoryKeyMapBytes device = mouse->FactoryKeyMap();
    EXPECT_TRUE(std::equal(device.begin(), device.begin() + 168, m_mirror.factoryKeyMap.begin()));
    EXPECT_TRUE(std::equal(before.factoryKeyMap.begin() + 168, before.factoryKeyMap.end(),
                           m_mirror.factoryKeyMap.begin() + 168));
    EXPECT_EQ(m_mirror.keySlots, before.keySlots);
    EXPECT_EQ(m_mirror.recordTable, before.recordTable);
}

TEST_F(ConfigurationExchangeTest, SaveSendsTheActiveKeyTableBetweenTheProgressMessages) {
    FillMirror();
    m_mirror.settingsRecord.SetActiveProfile(3);
    // The tables get the mouse's macro memory: 3 x 128 bytes.
    m_mirror.deviceInfo.Raw()[device::DeviceInfo::kMacroUnitsIndex] = 3;

    m_exchange.SaveToDevice();

    EXPECT_EQ(m_hooks.Calls(),
              (Strings{"SaveStarted", "UploadTables 384", "SaveDeviceProfile", "SaveFinished"}));
    const std::vector<Request> requests = Requests();
    // The key block's window is read, then written back.
    Strings expected = {"01 len 0 @0"};
    for (const char* command : {"08", "09"}) {
        for (unsigned position = 0; position < 512; position += 56) {
            expected.push_back(std::string(command) + " len " +
                               std::to_string(std::min(56u, 512 - position)) + " @" +
                               std::to_string(3 * 126 + position));
        }
    }
    expected.push_back("02 len 0 @0");
    EXPECT_EQ(Summaries(requests), expected);
    // 0x0C00 before the first report, 0x0C01 after the last.
    EXPECT_EQ(m_hooks.RequestsAtSend(), (std::vector<std::size_t>{0, requests.size()}));
    EXPECT_EQ(mouse->StoredKeyBlock(3), m_mirror.keySlots[3]);
}

TEST_F(ConfigurationExchangeTest, ARefusedUploadStopsTheSaveButNotItsEndMessage) {
    FillMirror();
    m_hooks.tables = UploadResult::Refused;
    m_exchange.SaveToDevice();
    EXPECT_EQ(Requests().size(), 0u);
    EXPECT_EQ(m_hooks.Calls(), (Strings{"SaveStarted", "UploadTables 0", "SaveFinished"}));
}

TEST_F(ConfigurationExchangeTest, SaveRefusesAnActiveProfileAboveFour) {
    FillMirror();
    m_mirror.settingsRecord.SetActiveProfile(7);
    platform::DebugCapture capture;
    m_exchange.SaveToDevice();
    EXPECT_EQ(Requests().size(), 0u);
    EXPECT_EQ(m_hooks.Calls(), (Strings{"SaveStarted", "UploadTables 0", "SaveFinished"}));
    EXPECT_TRUE(capture.Contains(
        "SaveToDevice: active profile 7 does not exist; the key table is not sent"));
}

TEST_F(ConfigurationExchangeTest, WithoutAConnectionNothingIsSentAndOnlyCopiesHappen) {
    {
        const auto lock = m_link.LockIo();
        m_link.SetConnected(false);
    }
    FillMirror();
    auto current = Pattern<SettingsRecord::kSize>(0x61);
    current[0] = 2;
    m_mirror.settingsRecord.Assign(current);
    const MirrorCopy before(m_mirror);
    m_mirror.settingsDirty.Mark();

    m_exchange.FlushSettings();
    m_exchange.SelectOnboardProfile(1);
    m_exchange.RefreshCurrentRecord();
    m_exchange.SaveToDevice();
    m_exchange.SyncDevice();

    EXPECT_EQ(mouse->Log().size(), 0u);
    EXPECT_FALSE(m_mirror.settingsDirty.IsSet());
    EXPECT_EQ(m_mirror.deviceInfo, before.deviceInfo);
    EXPECT_EQ(m_mirror.factoryKeyMap, before.factoryKeyMap);
    EXPECT_EQ(m_mirror.keySlots, before.keySlots);
    // The refresh still kept the record in its profile's entry, and the
    // sync made entry 0 the record in force, with byte 0 = 0.
    EXPECT_TRUE(std::equal(current.begin(), current.end(), m_mirror.recordTable[2].begin()));
    EXPECT_EQ(m_mirror.recordTable[0], before.recordTable[0]);
    SettingsRecord::Bytes record{};
    std::copy_n(before.recordTable[0].begin(), SettingsRecord::kSize, record.begin());
    record[0] = 0;
    EXPECT_EQ(m_mirror.settingsRecord.Snapshot(), record);
}

}  // namespace
}  // namespace varlok::settings
