#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/support/mainwindowfixture.h"
#include "platform/inifile.h"
#include "platform/recordingdesktopsettings.h"
#include "platform/tempfolder.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/settingstestsupport.h"
#include "sim/devicememory.h"
#include "ui/comboui.h"
#include "ui/editui.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using settings::testing::NonFrameRequests;
using settings::testing::Request;
using settings::testing::Summaries;
using Strings = std::vector<std::string>;

class ProfileListsPageTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        m_environment.desktop = m_desktop;
    }
    void OpenConnected() {
        AttachMouse();
        CreateWindow();
        Initialise();
        ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
        m_mouse->ClearLog();
    }
    ui::CComboUI& Combo(std::string_view name) const {
        return *dynamic_cast<ui::CComboUI*>(Find(name));
    }
    Strings Items(std::string_view name) const {
        Strings items;
        const ui::CComboUI& combo = Combo(name);
        for (int i = 0; i < combo.GetCount(); ++i) {
            items.push_back(combo.GetItemAt(i)->GetUserData());
            EXPECT_EQ(combo.GetItemAt(i)->GetText(), items.back());
            EXPECT_EQ(combo.GetItemAt(i)->GetFixedHeight(), 25);
        }
        return items;
    }
    platform::IniFile Store() const { return platform::IniFile(m_folder / "ms" / "msProfile.ini"); }

    std::shared_ptr<platform::RecordingDesktopSettings> m_desktop =
        std::make_shared<platform::RecordingDesktopSettings>();
};

TEST_F(ProfileListsPageTest, TheFirstRunListsProfileOneAndTheMouseGetsTheDeviceProfile) {
    OpenConnected();
    for (const char* list :
         {"ms_device_profile_combo", "ms_deng_profile_combo", "ms_key_profile_combo"}) {
        EXPECT_EQ(Items(list), Strings{"profile1"}) << list;
    }
    // The device profile is chosen when the mouse arrives; the others wait
    // for the user.
    EXPECT_EQ(Combo("ms_device_profile_combo").GetCurSel(), 0);
    EXPECT_EQ(Combo("ms_deng_profile_combo").GetCurSel(), -1);
    // The mouse runs the default device profile: 500 DPI on stage 1.
    EXPECT_EQ(m_mouse->SettingsArea()[15], 1);
    // Its keys become profile 0's; the mouse keeps the other profiles'
    // keys that the block's window covers.
    const sim::KeyBlockBytes block = m_mouse->StoredKeyBlock(0);
    const settings::FactoryKeyMap keys = settings::BuiltInFactoryKeyMap();
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 126, block.begin()));
    const sim::KeyMemoryBytes factory = sim::DeviceMemory::FactoryKeyMemory();
    EXPECT_TRUE(std::equal(block.begin() + 126, block.end(), factory.begin() + 126));
}

TEST_F(ProfileListsPageTest, AMissingDefaultIsReportedAndTheFillStops) {
    std::filesystem::remove(m_folder / "msdengdefault.led");
    std::string shown;
    testing::AnswerMessage(shown);
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_8");
    EXPECT_EQ(Items("ms_device_profile_combo"), Strings{"profile1"});
    EXPECT_TRUE(Items("ms_deng_profile_combo").empty());
    EXPECT_TRUE(Items("ms_key_profile_combo").empty());
}

TEST_F(ProfileListsPageTest, ChoosingAnEntryLoadsItAndSendsWhatItsListHolds) {
    // A second lighting and key profile, as a later start finds them.
    std::filesystem::create_directories(m_folder / "ms");
    platform::IniFile store = Store();
    for (const auto& [section, key, value] : {std::tuple{"PROFILEDEVICECOUNT", "count", "1"},
                                              {"PROFILEDEVICENAME", "0", "profile1"},
                                              {"PROFILEDENGCOUNT", "count", "2"},
                                              {"PROFILEDENGNAME", "0", "profile1"},
                                              {"PROFILEDENGNAME", "1", "Night"},
                                              {"PROFILECOUNT", "count", "2"},
                                              {"PROFILENAME", "0", "profile1"},
                                              {"PROFILENAME", "1", "Shooter"}}) {
        ASSERT_EQ(store.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    for (const char* file : {"msdevicedefault.config", "msdengdefault.led", "mskeydefault.pro"}) {
        const std::string name = file;
        const std::string extension = name.substr(name.find('.'));
        std::filesystem::copy_file(m_folder / file, m_folder / "ms" / ("profile1" + extension));
    }
    std::array<std::uint8_t, 64> night{};
    night[1] = 4;    // breathing
    night[15] = 9;   // stage 1 at 2500 DPI
    night[50] = 6;   // pointer speed
    night[51] = 12;  // wheel lines
    ASSERT_TRUE(profiles::WriteProfileFile(m_folder / "ms" / "Night.led", night, 2));
    std::array<std::uint8_t, 512> keys{};
    keys.fill(0x05);
    ASSERT_TRUE(profiles::WriteProfileFile(m_folder / "ms" / "Shooter.pro", keys, 2));
    OpenConnected();

    ASSERT_TRUE(ui::test::UiDriver(*m_window).SelectComboItem("ms_deng_profile_combo", 1));
    EXPECT_EQ(Store().Read("PROFILEDENGSELECT", "select"), "1");
    EXPECT_EQ(m_window->Mirror().settingsRecord.Get(1), 4);
    EXPECT_EQ(Find("ms_gunlun_speed_edit")->GetText(), "12");
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Find("ms_point_speed_slider"))->GetValue(), 2);
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Find("ms_DPI1_slider"))->GetValue(), 9);
    // Only the wheel lines reach the desktop; the record goes with the flush.
    m_window->DesktopApplier().WaitForPending();
    EXPECT_EQ(m_desktop->StoredWheelLines(), 12);
    // The loaded record goes out with the flush: once, or twice when the
    // load and the refresh after it straddle a flush tick.
    const std::vector<Request> writes = FlushedRecords();
    ASSERT_FALSE(writes.empty());
    EXPECT_LE(writes.size(), 2u);
    EXPECT_EQ(writes.size(), NonFrameRequests(*m_mouse).size());
    EXPECT_EQ(writes.back().data[1], 4);

    m_mouse->ClearLog();
    ASSERT_TRUE(ui::test::UiDriver(*m_window).SelectComboItem("ms_key_profile_combo", 1));
    // Onboard profile 0's own block comes from the file; the rest of its
    // window (the next profiles' blocks) is read and sent back as it was.
    const settings::KeySlot& slot = m_window->Mirror().keySlots[0];
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + 126, slot.begin()));
    const Strings requests = Summaries(NonFrameRequests(*m_mouse));
    ASSERT_EQ(requests.size(), 20u);
    EXPECT_EQ(requests.front(), "08 len 56 @0");
    EXPECT_EQ(requests[10], "09 len 56 @0");
    EXPECT_EQ(m_mouse->StoredKeyBlock(0), slot);
}

TEST_F(ProfileListsPageTest, TheDeviceListFollowsTheLinkedProgramInFrontAndComesBack) {
    // Three device profiles: the user's is "Desk"; "Game" and "Spare" are
    // both linked to the same game, "Game" first in the list. "Other" is
    // linked with a flag that does not read as 1.
    std::filesystem::create_directories(m_folder / "ms");
    platform::IniFile store = Store();
    for (const auto& [section, key, value] : {std::tuple{"PROFILEDEVICECOUNT", "count", "4"},
                                              {"PROFILEDEVICENAME", "0", "Desk"},
                                              {"PROFILEDEVICENAME", "1", "Other"},
                                              {"PROFILEDEVICENAME", "2", "Game"},
                                              {"PROFILEDEVICENAME", "3", "Spare"},
                                              {"PROFILEDEVICESELECT", "select", "0"},
                                              {"PROFILELIKEDEVICEEXE", "1", "2"},
                                              {"DEVICEPROCESS", "1", "/opt/game/bin/Game"},
                                              {"PROFILELIKEDEVICEEXE", "2", "1"},
                                              {"DEVICEPROCESS", "2", "/opt/game/bin/Game"},
                                              {"PROFILELIKEDEVICEEXE", "3", "1"},
                                              {"DEVICEPROCESS", "3", "/opt/game/bin/Game"}}) {
        ASSERT_EQ(store.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    std::array<std::uint8_t, profiles::kDeviceBodySize> body{};
    for (const auto& [name, dpiCode] :
         {std::pair{"Desk", 1}, {"Other", 3}, {"Game", 9}, {"Spare", 5}}) {
        body[profiles::kDeviceRecordOffset + 15] = static_cast<std::uint8_t>(dpiCode);
        ASSERT_TRUE(profiles::WriteProfileFile(m_folder / "ms" / (std::string(name) + ".config"),
                                               body, profiles::ProfileStore::kTypeCode));
    }
    OpenConnected();
    const ui::CComboUI& devices = Combo("ms_device_profile_combo");
    ASSERT_EQ(devices.GetCurSel(), 0);

    // Same program, letters in another case: the first linked entry wins,
    // the mouse runs it, the store still names the user's own.
    m_foreground->BringToFront("/OPT/game/bin/game");
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 2; }));
    EXPECT_EQ(Store().Read("PROFILEDEVICESELECT", "select"), "0");
    EXPECT_EQ(m_mouse->SettingsArea()[15], 9);

    // A program of the same name elsewhere is another program.
    m_foreground->BringToFront("/usr/games/Game");
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 0; }));
    EXPECT_EQ(Store().Read("PROFILEDEVICESELECT", "select"), "0");
    EXPECT_EQ(m_mouse->SettingsArea()[15], 1);
}

}  // namespace
}  // namespace varlok::app
