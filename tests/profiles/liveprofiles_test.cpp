#include "profiles/liveprofiles.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/recordingdesktopsettings.h"
#include "platform/tempfolder.h"
#include "settings/settingstestsupport.h"

namespace varlok::profiles {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;
using settings::testing::Summaries;

constexpr std::size_t kStage1 = kProfileHeaderSize + kDeviceRecordOffset + 15;
constexpr std::size_t kWheelLines = kProfileHeaderSize + kDeviceWheelLinesByte;

// A device body whose stage 1 holds `dpiCode`.
std::string DeviceFile(std::uint8_t dpiCode) {
    DeviceBody body{};
    body[kDeviceRecordOffset + 15] = dpiCode;
    body[kDeviceWheelLinesByte] = 4;
    return EncodeProfileFile(body, ProfileStore::kTypeCode);
}

// The live profiles over a store with two device profiles, Desk and Game,
// the model over the virtual mouse, the saves written by the store.
class LiveProfilesTest : public ::testing::Test, protected settings::testing::ConnectedMouse {
protected:
    LiveProfilesTest() {
        std::filesystem::create_directories(Data());
        for (const char* file :
             {"msdevicedefault.config", "msdengdefault.led", "mskeydefault.pro"}) {
            std::filesystem::copy_file(std::filesystem::path(VARLOK_BUILD_DATA_DIR) / file,
                                       m_folder / file);
        }
        EXPECT_FALSE(m_store.InitProfileLists().failure);
        for (const auto& [section, key, value] : {std::tuple{"PROFILEDEVICECOUNT", "count", "2"},
                                                  {"PROFILEDEVICENAME", "0", "Desk"},
                                                  {"PROFILEDEVICENAME", "1", "Game"},
                                                  {"PROFILELIKEDEVICEEXE", "1", "1"},
                                                  {"DEVICEPROCESS", "1", "/opt/game/bin/game"}}) {
            EXPECT_EQ(m_store.Ini().Write(section, key, value), platform::IniWriteResult::Ok);
        }
        WriteBytes(Data() / "Desk.config", DeviceFile(1));
        WriteBytes(Data() / "Game.config", DeviceFile(9));
    }
    ~LiveProfilesTest() override { m_desktop.WaitForPending(); }

    std::filesystem::path Data() const { return m_folder / "ms"; }
    std::uint8_t Stored(const char* file, std::size_t at) const {
        return static_cast<std::uint8_t>(ReadBytes(Data() / file).at(at));
    }

    platform::testing::TempFolder m_folder;
    settings::MouseMirror m_mirror;
    ProfileStore m_store{{Data(), m_folder.Path()}, m_mirror, [] { return std::optional(12); }};
    settings::testing::RecordingHooks m_hooks{*mouse};
    settings::ConfigurationExchange m_exchange{m_link, m_mirror, m_store, m_hooks, m_hooks};
    settings::DesktopApplier m_desktop{std::make_shared<platform::RecordingDesktopSettings>(),
                                       m_mirror};
    settings::MouseModel m_model{m_mirror, m_exchange, m_store, m_desktop, m_link};
    LiveProfiles m_live{m_store, m_model};
};

TEST_F(LiveProfilesTest, SavesLandInTheProfileSelectedWhenTheChangeWasMade) {
    m_model.Notify(settings::MouseChange::MouseConnected);
    ASSERT_EQ(m_live.Chosen(ProfileCategory::Device), 0);
    EXPECT_EQ(m_mirror.settingsRecord.Get(15), 1);
    // What choosing a device profile sends at once: the record, then key
    // block 0 read and written.
    const std::vector<std::string> sent = Summaries(settings::testing::RequestsReceived(*mouse));
    ASSERT_GE(sent.size(), 21U);
    EXPECT_EQ(sent[0], "06 len 50 @0");
    m_model.Commit();

    // A change waiting for the flush tick, then another profile chosen: the
    // change is saved into the profile it was made on, the mouse runs the
    // other one, which keeps its own settings.
    m_model.SetStageDpi(1, 12);
    m_live.Choose(ProfileCategory::Device, 1);
    EXPECT_EQ(Stored("Desk.config", kStage1), 12);
    EXPECT_EQ(m_mirror.settingsRecord.Get(15), 9);
    m_model.Commit();
    EXPECT_EQ(Stored("Game.config", kStage1), 9);
    EXPECT_EQ(Stored("Desk.config", kStage1), 12);
    // Choosing the chosen entry again does nothing; an entry the list does
    // not hold leaves it without a choice.
    mouse->ClearLog();
    m_live.Choose(ProfileCategory::Device, 1);
    EXPECT_TRUE(settings::testing::RequestsReceived(*mouse).empty());
    m_live.Choose(ProfileCategory::Device, 5);
    EXPECT_EQ(m_live.Chosen(ProfileCategory::Device), std::nullopt);

    // Following a linked program: the linked profile runs and is saved as
    // it runs, the user's own keeps the change made before and stays the
    // stored selection.
    m_live.Choose(ProfileCategory::Device, 0);
    m_model.SetStageDpi(1, 5);
    m_live.FollowProgram("/opt/game/bin/game");
    EXPECT_EQ(m_live.Chosen(ProfileCategory::Device), 1);
    EXPECT_EQ(m_store.SelectedIndex(ProfileCategory::Device), 0);
    m_model.Commit();
    EXPECT_EQ(Stored("Desk.config", kStage1), 5);
    EXPECT_EQ(Stored("Game.config", kStage1), 9);
    m_live.FollowProgram("");
    EXPECT_EQ(m_live.Chosen(ProfileCategory::Device), 0);
    EXPECT_EQ(m_mirror.settingsRecord.Get(15), 5);
}

TEST_F(LiveProfilesTest, ADeviceProfileChosenBeforeTheMouseConnectedIsSentWhenItArrives) {
    // The program in front is reported before the mouse is open: the user's
    // own profile is chosen with nobody to send it to.
    m_link.SetConnected(false);
    m_live.FollowProgram("");
    ASSERT_EQ(m_live.Chosen(ProfileCategory::Device), 0);
    EXPECT_TRUE(settings::testing::RequestsReceived(*mouse).empty());
    // Its arrival sends it as the choice would have.
    m_link.SetConnected(true);
    m_model.Notify(settings::MouseChange::MouseConnected);
    const std::vector<std::string> sent = Summaries(settings::testing::RequestsReceived(*mouse));
    ASSERT_EQ(sent.size(), 21U);
    EXPECT_EQ(sent[0], "06 len 50 @0");
    EXPECT_EQ(sent[20], "09 len 8 @504");
    EXPECT_EQ(mouse->SettingsArea()[15], 1);
    // Once only: a later arrival of the same mouse sends nothing again.
    mouse->ClearLog();
    m_model.Notify(settings::MouseChange::MouseConnected);
    EXPECT_TRUE(settings::testing::RequestsReceived(*mouse).empty());
}

TEST_F(LiveProfilesTest, ABodySentStraightToTheMouseStopsAtTheFirstRefusal) {
    DeviceBody body{};
    body[kDeviceRecordOffset + 15] = 7;
    sim::VirtualMouse::Faults refused;
    refused.forcedStatus = 0xFE;
    mouse->SetFaults(refused);
    const BodySend failed = SendProfileBody(m_link, ProfileCategory::Device, body);
    EXPECT_EQ(failed.record, device::LinkResult::DeviceRefused);
    EXPECT_EQ(failed.keyBlock, std::nullopt);
    EXPECT_EQ(Summaries(settings::testing::RequestsReceived(*mouse)),
              std::vector<std::string>{"06 len 56 @0"});
    // Answered, the record goes whole and key block 0 after it; the program's
    // own live settings stay as they were.
    mouse->SetFaults({});
    mouse->ClearLog();
    const BodySend sent = SendProfileBody(m_link, ProfileCategory::Device, body);
    EXPECT_EQ(sent.record, device::LinkResult::Success);
    EXPECT_EQ(sent.keyBlock, device::LinkResult::Success);
    EXPECT_EQ(sent.recordBytes[15], 7);
    EXPECT_EQ(mouse->SettingsArea()[15], 7);
    EXPECT_EQ(settings::testing::RequestsReceived(*mouse).size(), 21U);
    EXPECT_NE(m_mirror.settingsRecord.Get(15), 7);
}

TEST_F(LiveProfilesTest, AResetKeepsTheFormerDesktopSettingsInTheProfilesItSaves) {
    m_model.Notify(settings::MouseChange::MouseConnected);
    m_model.Commit();
    ASSERT_EQ(m_live.Reset(ProfileCategory::Device), ProfileReadResult::Loaded);
    m_model.Commit();
    EXPECT_EQ(m_mirror.wheelLines.Get(), LiveProfiles::kDeviceResetWheelLines);
    EXPECT_EQ(m_mirror.pointerSpeed.Get(), LiveProfiles::kResetPointerSpeed);
    EXPECT_EQ(m_mirror.mouseZoneSlot.Get(), settings::MouseMirror::kInitialZoneSlot);

    m_mirror.wheelLines.Set(9);
    m_mirror.pointerSpeed.Set(16);
    // The staging area's bytes past the record stay through a lighting reset.
    m_mirror.recordTable[0][60] = 0x5A;
    ASSERT_EQ(m_live.Reset(ProfileCategory::Lighting), ProfileReadResult::Loaded);
    m_model.Commit();
    const std::string led = ReadBytes(Data() / "profile1.led");
    EXPECT_EQ(static_cast<std::uint8_t>(led.at(kProfileHeaderSize + 50)), 16);
    EXPECT_EQ(static_cast<std::uint8_t>(led.at(kProfileHeaderSize + 51)), 9);
    EXPECT_EQ(static_cast<std::uint8_t>(led.at(kProfileHeaderSize + 60)), 0x5A);
    EXPECT_EQ(Stored("Desk.config", kWheelLines), 9);
    EXPECT_EQ(m_mirror.wheelLines.Get(), LiveProfiles::kLightingResetWheelLines);
}

TEST_F(LiveProfilesTest, AReadOfTheMouseKeepsAChangeMadeJustBefore) {
    m_model.Notify(settings::MouseChange::MouseConnected);
    m_model.Commit();
    // The read takes the record from the host's table, where the change is
    // only once its save staged it.
    m_model.SetStageDpi(1, 7);
    m_model.SyncDevice();
    EXPECT_EQ(m_mirror.settingsRecord.Get(15), 7);
}

}  // namespace
}  // namespace varlok::profiles
