#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "platform/atomicfile.h"
#include "platform/inifile.h"
#include "platform/recordingdesktopsettings.h"
#include "platform/tempfolder.h"
#include "profiles/page/profilelinks.h"
#include "profiles/page/profilelistspage.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/page/performancepage.h"
#include "settings/settingstestsupport.h"
#include "sim/devicememory.h"
#include "ui/comboui.h"
#include "ui/editui.h"
#include "ui/filedialog.h"
#include "ui/labelui.h"
#include "ui/modalanswers.h"
#include "ui/optionui.h"
#include "ui/resourcemanager.h"
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

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The settings record (50 bytes) in a device profile file.
std::string RecordOf(const std::string& file) {
    return file.substr(profiles::kProfileHeaderSize + profiles::kDeviceRecordOffset, 50);
}

// The key table in a device profile file.
std::string KeysOf(const std::string& file) {
    return file.substr(profiles::kProfileHeaderSize, profiles::kDeviceRecordOffset);
}

// The profile panel's buttons and links, with the file dialogs answered.
class ProfileOperationsTest : public ProfileListsPageTest {
protected:
    void SetUp() override {
        ProfileListsPageTest::SetUp();
        ui::SetFileDialogAnswerProvider(
            [this](ui::FileDialogKind kind, const ui::FileDialogOptions& options) {
                m_dialogs.push_back(options);
                m_dialogKinds.push_back(kind);
                return m_answer;
            });
    }
    void TearDown() override {
        ui::SetFileDialogAnswerProvider({});
        ProfileListsPageTest::TearDown();
    }
    // The window with the mouse read and the profile panel shown.
    void Open() {
        OpenConnected();
        ASSERT_TRUE(Driver().Click("ms_profile_fun_spread_btn"));
        m_mouse->ClearLog();
    }
    // Clicks a button and returns the message it showed ("" for none),
    // answered with its confirm or cancel button.
    std::string ClickAnswered(std::string_view button, bool confirm = true) {
        std::string shown;
        if (confirm) {
            testing::AnswerMessage(shown);
        } else {
            ui::test::UiDriver::AnswerNextModal([&shown](ui::test::UiDriver& box) {
                shown = box.Find("MessageText")->GetText();
                box.Click("cancel_btn");
            });
        }
        EXPECT_TRUE(Driver().Click(button)) << button;
        RunUntil([&shown] { return !shown.empty(); }, std::chrono::milliseconds(300));
        ui::ModalAnswers::Clear();
        return shown;
    }
    std::string Rename(std::string_view edit, std::string_view button, std::string_view name) {
        Find(edit)->SetText(name);
        return ClickAnswered(button);
    }

    std::optional<std::string> m_answer;
    std::vector<ui::FileDialogOptions> m_dialogs;
    std::vector<ui::FileDialogKind> m_dialogKinds;
};

TEST_F(ProfileOperationsTest, AddCopyAndDeleteKeepListIniAndFilesInStep) {
    Open();
    const std::filesystem::path ms = m_folder / "ms";
    // Add: the default under the next free name, chosen and sent; the
    // refresh that shows it saves it as the mouse runs it.
    ASSERT_EQ(ClickAnswered("ms_pro_device_add_btn"), "");
    WaitForCommit();
    EXPECT_EQ(Items("ms_device_profile_combo"), (Strings{"profile1", "profile2"}));
    EXPECT_EQ(Combo("ms_device_profile_combo").GetCurSel(), 1);
    const std::string defaults = FileBytes(m_folder / "msdevicedefault.config");
    EXPECT_EQ(KeysOf(FileBytes(ms / "profile2.config")), KeysOf(defaults));
    EXPECT_EQ(Store().Read("PROFILEDEVICECOUNT", "count"), "2");
    EXPECT_EQ(Store().Read("PROFILEDEVICESELECT", "select"), "1");
    // What the choice sends: the record, then key block 0 read and written.
    // The flush of the whole record may come before or after it, when its
    // tick came meanwhile; it is left out here.
    std::vector<Request> requests = NonFrameRequests(*m_mouse);
    std::erase_if(requests, [](const Request& request) {
        return Summaries({request}).front() == "06 len 56 @0";
    });
    const Strings sent = Summaries(requests);
    ASSERT_GE(sent.size(), 20u);
    EXPECT_EQ(sent.front(), "06 len 50 @0");
    EXPECT_EQ(std::string(requests.front().data.begin(), requests.front().data.end()),
              RecordOf(FileBytes(ms / "profile2.config")));
    EXPECT_EQ(sent[1], "08 len 56 @0");
    EXPECT_EQ(sent[11], "09 len 56 @0");

    ASSERT_EQ(ClickAnswered("ms_pro_device_copy_btn"), "");
    EXPECT_EQ(Items("ms_device_profile_combo"), (Strings{"profile1", "profile2", "profile2 copy"}));
    EXPECT_TRUE(std::filesystem::exists(ms / "profile2 copy.config"));
    // The start-up fill's item is 25 high, the added one also takes the
    // list's item style (its text padding), the copy neither.
    const auto look = [this](int index) {
        const auto* item =
            dynamic_cast<const ui::CLabelUI*>(Combo("ms_device_profile_combo").GetItemAt(index));
        return std::pair{item->GetFixedHeight(), item->GetTextPadding().left};
    };
    EXPECT_EQ(look(0).first, 25);
    EXPECT_EQ(look(1).first, 25);
    EXPECT_NE(look(1).second, look(0).second);
    EXPECT_EQ(look(2), std::pair(0, look(0).second));

    // Delete asks first; only a confirmation deletes.
    EXPECT_EQ(ClickAnswered("ms_pro_device_sub_btn", false), "message_text_12");
    EXPECT_EQ(Items("ms_device_profile_combo").size(), 3u);
    Combo("ms_device_profile_combo").SelectItem(1, false, true);
    EXPECT_EQ(ClickAnswered("ms_pro_device_sub_btn"), "message_text_12");
    EXPECT_EQ(Items("ms_device_profile_combo"), (Strings{"profile1", "profile2 copy"}));
    EXPECT_FALSE(std::filesystem::exists(ms / "profile2.config"));
    EXPECT_EQ(Combo("ms_device_profile_combo").GetCurSel(), 1);
    EXPECT_EQ(Store().Read("PROFILEDEVICENAME", "1"), "profile2 copy");
    EXPECT_EQ(Store().Read("PROFILEDEVICECOUNT", "count"), "2");

    // Deleting the chosen entry chooses the last one, which the name field
    // then shows.
    Combo("ms_deng_profile_combo").SelectItem(0, false, true);
    ASSERT_EQ(ClickAnswered("ms_pro_deng_copy_btn"), "");
    ASSERT_EQ(ClickAnswered("ms_pro_deng_copy_btn"), "");
    EXPECT_EQ(Items("ms_deng_profile_combo"),
              (Strings{"profile1", "profile1 copy", "profile1 copy copy"}));
    Combo("ms_deng_profile_combo").SelectItem(1, false, true);
    EXPECT_EQ(ClickAnswered("ms_pro_deng_sub_btn"), "message_text_12");
    EXPECT_EQ(Combo("ms_deng_profile_combo").GetCurSel(), 1);
    EXPECT_EQ(Find("ms_deng_profile_name_edit")->GetText(), "profile1 copy copy");
    EXPECT_EQ(Store().Read("PROFILEDENGSELECT", "select"), "1");

    // The last entry of a list stays.
    EXPECT_EQ(ClickAnswered("ms_pro_key_sub_btn"), "message_text_11");
    EXPECT_EQ(Items("ms_key_profile_combo"), Strings{"profile1"});
    EXPECT_TRUE(std::filesystem::exists(ms / "profile1.pro"));
}

TEST_F(ProfileOperationsTest, RenameRefusesWhatCannotBeANameAndMovesTheFile) {
    Open();
    const std::filesystem::path ms = m_folder / "ms";
    ASSERT_TRUE(Driver().Click("ms_pro_deng_edit_btn"));
    // No lighting entry is chosen yet.
    EXPECT_EQ(Rename("ms_deng_profile_name_edit", "ms_deng_profile_edit_save_btn", "Night"),
              "profile_message_no_selection");
    const struct {
        std::string name;
        std::string message;
    } refused[] = {{"", "message_text_14"},
                   {"PROFILE1", "message_text_15"},
                   {"../outside", "profile_message_bad_name"},
                   {"two\nlines", "profile_message_bad_name"}};
    for (const auto& [name, message] : refused) {
        EXPECT_EQ(Rename("ms_device_profile_name_edit", "ms_device_profile_edit_save_btn", name),
                  message)
            << name;
        EXPECT_EQ(Store().Read("PROFILEDEVICENAME", "0"), "profile1") << name;
        EXPECT_TRUE(std::filesystem::exists(ms / "profile1.config")) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder / "outside.config"));

    // A new name the disk refuses leaves list, INI file and file as they were.
    std::filesystem::create_directories(ms / "Desk.config" / "x");
    EXPECT_EQ(Rename("ms_device_profile_name_edit", "ms_device_profile_edit_save_btn", "Desk"),
              "message_text_10");
    EXPECT_EQ(Items("ms_device_profile_combo"), Strings{"profile1"});
    EXPECT_EQ(Store().Read("PROFILEDEVICENAME", "0"), "profile1");
    EXPECT_TRUE(std::filesystem::exists(ms / "profile1.config"));

    std::filesystem::remove_all(ms / "Desk.config");
    const std::string stored = FileBytes(ms / "profile1.config");
    EXPECT_EQ(Rename("ms_device_profile_name_edit", "ms_device_profile_edit_save_btn", "Desk"), "");
    EXPECT_EQ(Items("ms_device_profile_combo"), Strings{"Desk"});
    EXPECT_EQ(Combo("ms_device_profile_combo").GetItemAt(0)->GetText(), "Desk");
    EXPECT_EQ(Store().Read("PROFILEDEVICENAME", "0"), "Desk");
    EXPECT_EQ(FileBytes(ms / "Desk.config"), stored);
    EXPECT_FALSE(std::filesystem::exists(ms / "profile1.config"));
}

// A disk that refuses msProfile.ini: add, copy and delete say so and leave
// the list as the store has it, so that the next change made once the disk
// takes writes again lists every entry under its index.
TEST_F(ProfileOperationsTest, ADiskThatRefusesTheListLeavesListAndStoreAlike) {
    Open();
    const std::filesystem::path ms = m_folder / "ms";
    ASSERT_EQ(ClickAnswered("ms_pro_device_add_btn"), "");
    platform::SetProcessWriteFaults(
        [](const std::filesystem::path& target, platform::AtomicWriteStep step) {
            return step != platform::AtomicWriteStep::CreateTemporary ||
                   target.filename() != "msProfile.ini";
        });
    EXPECT_EQ(ClickAnswered("ms_pro_device_add_btn"), "message_text_10");
    EXPECT_EQ(ClickAnswered("ms_pro_device_copy_btn"), "message_text_10");
    std::string confirm;
    std::string failed;
    testing::AnswerMessage(confirm);
    testing::AnswerMessage(failed);
    ASSERT_TRUE(Driver().Click("ms_pro_device_sub_btn"));
    ASSERT_TRUE(RunUntil([&failed] { return !failed.empty(); }));
    EXPECT_EQ(confirm, "message_text_12");
    EXPECT_EQ(failed, "message_text_10");
    EXPECT_EQ(Items("ms_device_profile_combo"), (Strings{"profile1", "profile2"}));
    EXPECT_FALSE(std::filesystem::exists(ms / "profile3.config"));
    EXPECT_FALSE(std::filesystem::exists(ms / "profile2 copy.config"));
    EXPECT_TRUE(std::filesystem::exists(ms / "profile2.config"));

    platform::SetProcessWriteFaults({});
    ASSERT_EQ(ClickAnswered("ms_pro_device_add_btn"), "");
    const Strings items = Items("ms_device_profile_combo");
    EXPECT_EQ(items, (Strings{"profile1", "profile2", "profile3"}));
    EXPECT_EQ(profiles::ProfileStore({ms, m_folder.Path()}, m_window->Mirror())
                  .Names(profiles::ProfileCategory::Device),
              items);
}

TEST_F(ProfileOperationsTest, ImportAddsADeviceEntryAndExportWritesTheStoredFile) {
    Open();
    const std::filesystem::path ms = m_folder / "ms";
    std::array<std::uint8_t, profiles::kDeviceBodySize> body{};
    body[profiles::kDeviceRecordOffset + 15] = 9;  // stage 1 at 2500 DPI
    const std::filesystem::path chosen = m_folder / "shared.config";
    ASSERT_TRUE(profiles::WriteProfileFile(chosen, body, 2));
    m_answer = chosen.string();

    ASSERT_EQ(ClickAnswered("ms_pro_device_import_btn"), "");
    ASSERT_EQ(m_dialogs.size(), 1u);
    EXPECT_EQ(m_dialogs[0].filter, "(*.config) | *.config ||");
    EXPECT_EQ(m_dialogs[0].defaultExtension, "config");
    EXPECT_EQ(m_dialogs[0].initialName, "*.config");
    EXPECT_EQ(Items("ms_device_profile_combo"), (Strings{"profile1", "profile2"}));
    EXPECT_EQ(Combo("ms_device_profile_combo").GetCurSel(), 1);
    // The imported record, stored again as the mouse runs it.
    EXPECT_EQ(FileBytes(ms / "profile2.config").at(16 + 512 + 15), 9);
    EXPECT_EQ(m_mouse->SettingsArea()[15], 9);

    m_answer = (m_folder / "out").string();
    ASSERT_EQ(ClickAnswered("ms_pro_device_export_btn"), "");
    EXPECT_EQ(m_dialogKinds.back(), ui::FileDialogKind::Save);
    EXPECT_EQ(FileBytes(m_folder / "out.config"), FileBytes(ms / "profile2.config"));
}

TEST_F(ProfileOperationsTest, AnImportThatIsNoProfileChangesNothing) {
    Open();
    const std::filesystem::path ms = m_folder / "ms";
    const std::array lists{"ms_device_profile_combo", "ms_deng_profile_combo",
                           "ms_key_profile_combo"};
    for (const char* list : lists) {
        Combo(list).SelectItem(0, false, true);
    }
    static_cast<void>(FlushedRecords());
    m_mouse->ClearLog();
    // The store's files, the lists and their selections.
    const auto state = [&] {
        Strings seen;
        for (const auto& entry : std::filesystem::directory_iterator(ms)) {
            seen.push_back(entry.path().filename().string() + FileBytes(entry.path()));
        }
        std::ranges::sort(seen);
        for (const char* list : lists) {
            seen.push_back(std::to_string(Combo(list).GetCurSel()));
            std::ranges::copy(Items(list), std::back_inserter(seen));
        }
        return seen;
    };
    const Strings before = state();
    std::ofstream(m_folder / "header.config", std::ios::binary)
        << std::string("\xAA\x55", 2) << std::string(14, '\0');
    ASSERT_EQ(::mkfifo((m_folder / "pipe.config").c_str(), 0600), 0);
    const struct {
        std::string_view button;
        std::string file;
        std::string message;
    } imports[] = {
        {"ms_pro_device_import_btn", "/etc/passwd", "message_text_9"},
        {"ms_pro_deng_import_btn", "/etc/passwd", "message_text_9"},
        {"ms_pro_key_import_btn", "/etc/passwd", "message_text_9"},
        {"ms_pro_device_import_btn", (m_folder / "header.config").string(), "message_text_9"},
        {"ms_pro_device_import_btn", (m_folder / "pipe.config").string(), "message_text_8"},
        {"ms_pro_device_import_btn", "/dev/zero", "message_text_8"},
    };
    for (const auto& [button, file, message] : imports) {
        m_answer = file;
        EXPECT_EQ(ClickAnswered(button), message) << button << " " << file;
        EXPECT_EQ(state(), before) << button << " " << file;
    }
    EXPECT_TRUE(NonFrameRequests(*m_mouse).empty());
}

TEST_F(ProfileOperationsTest, ADeviceResetRunsTwiceAndLeavesTheDesktopDefaults) {
    Open();
    ASSERT_EQ(ClickAnswered("ms_pro_device_reset_btn"), "");
    const Strings sent = Summaries(NonFrameRequests(*m_mouse));
    EXPECT_EQ(std::ranges::count(sent, std::string("09 len 56 @0")), 2);
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Find("ms_point_speed_slider"))->GetValue(), 4);
    EXPECT_EQ(m_window->Mirror().pointerSpeed.Get(), 10);
    EXPECT_EQ(m_window->Mirror().wheelLines.Get(), 3);
    EXPECT_EQ(Find("ms_gunlun_speed_edit")->GetText(), "3");

    ASSERT_EQ(ClickAnswered("ms_pro_deng_reset_btn"), "");
    EXPECT_EQ(m_window->Mirror().wheelLines.Get(), 1);
}

TEST_F(ProfileOperationsTest, LinksAreStoredRefusedTwiceAndClearedAndALightingLinkSwitchesNothing) {
    Open();
    ASSERT_EQ(ClickAnswered("ms_pro_device_add_btn"), "");
    auto& deviceCheck = *dynamic_cast<ui::COptionUI*>(Find("ms_device_profile_link_check"));
    m_answer = "/opt/game/bin/Game";
    deviceCheck.Selected(true, true);
    EXPECT_TRUE(m_dialogs.back().flags & ui::FileDialogOptions::kExecutablesOnly);
    EXPECT_EQ(Store().Read("PROFILELIKEDEVICEEXE", "1"), "1");
    EXPECT_EQ(Store().Read("DEVICEPROCESS", "1"), "/opt/game/bin/Game");
    EXPECT_EQ(Find("ms_device_profile_link_edit")->GetText(), "Game");

    // The same program for another entry is refused.
    Combo("ms_device_profile_combo").SelectItem(0, false, true);
    EXPECT_FALSE(deviceCheck.IsSelected());
    std::string shown;
    testing::AnswerMessage(shown);
    deviceCheck.Selected(true, true);
    EXPECT_EQ(shown, "message_text_13");
    EXPECT_FALSE(deviceCheck.IsSelected());
    EXPECT_EQ(Store().Read("PROFILELIKEDEVICEEXE", "0"), "0");

    // A lighting link is kept, and nothing follows it.
    Combo("ms_deng_profile_combo").SelectItem(0, false, true);
    m_answer = "/usr/bin/editor";
    dynamic_cast<ui::COptionUI*>(Find("ms_deng_profile_link_check"))->Selected(true, true);
    EXPECT_EQ(Store().Read("DENGPROCESS", "0"), "/usr/bin/editor");
    static_cast<void>(FlushedRecords());
    m_mouse->ClearLog();
    const int reads = m_foreground->reads;
    m_foreground->BringToFront("/usr/bin/editor");
    // The window has followed the program in front once it asked which it is.
    ASSERT_TRUE(RunUntil([&] { return m_foreground->reads > reads; }));
    EXPECT_EQ(Combo("ms_device_profile_combo").GetCurSel(), 0);
    EXPECT_TRUE(NonFrameRequests(*m_mouse).empty());

    // The linked program in front: a change of a setting goes to the user's
    // own profile.
    m_foreground->BringToFront("/opt/game/bin/Game");
    ASSERT_TRUE(RunUntil([&] { return Combo("ms_device_profile_combo").GetCurSel() == 1; }));
    const std::string linked = FileBytes(m_folder / "ms" / "profile2.config");
    ASSERT_TRUE(Driver().Click("ms_rich_Op_tab"));
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", 12));
    ASSERT_TRUE(RunUntil(
        [&] { return FileBytes(m_folder / "ms" / "profile1.config")[16 + 512 + 15] == 12; }));
    EXPECT_EQ(FileBytes(m_folder / "ms" / "profile2.config"), linked);

    // The cancel button clears the device link.
    if (!Find("ms_profile_fun_spead_tab")->IsVisible()) {
        ASSERT_TRUE(Driver().Click("ms_profile_fun_spread_btn"));
    }
    ASSERT_TRUE(Driver().Click("ms_device_cancle_link_btn"));
    EXPECT_EQ(Store().Read("PROFILELIKEDEVICEEXE", "1"), "0");
}

TEST_F(ProfileOperationsTest, ALongProgramPathIsLinkedWholeAndOneWithALineBreakIsRefused) {
    Open();
    ASSERT_EQ(ClickAnswered("ms_pro_device_add_btn"), "");
    auto& check = *dynamic_cast<ui::COptionUI*>(Find("ms_device_profile_link_check"));
    const std::string deep = "/opt/" + std::string(300, 'd') + "/Game";
    m_answer = deep;
    check.Selected(true, true);
    EXPECT_EQ(Store().FindWhole("DEVICEPROCESS", "1"), deep);
    EXPECT_EQ(Find("ms_device_profile_link_edit")->GetText(), "Game");
    Combo("ms_device_profile_combo").SelectItem(0, false, true);
    m_foreground->BringToFront(deep);
    ASSERT_TRUE(RunUntil([&] { return Combo("ms_device_profile_combo").GetCurSel() == 1; }));
    EXPECT_TRUE(check.IsSelected());
    EXPECT_EQ(Find("ms_device_profile_link_edit")->GetText(), "Game");

    // A line break cannot be stored: said, the box unticked, nothing linked.
    m_foreground->BringToFront("/usr/bin/editor");
    ASSERT_TRUE(RunUntil([&] { return Combo("ms_device_profile_combo").GetCurSel() == 0; }));
    m_answer = "/opt/two\nlines/Game";
    std::string shown;
    testing::AnswerMessage(shown);
    check.Selected(true, true);
    EXPECT_EQ(shown, "profile_message_bad_program");
    EXPECT_FALSE(check.IsSelected());
    EXPECT_EQ(Store().Read("PROFILELIKEDEVICEEXE", "0"), "0");
    EXPECT_EQ(Store().Read("DEVICEPROCESS", "0"), "");
}

TEST_F(ProfileOperationsTest, WithoutAProgramInFrontTheLinkControlsSayWhy) {
    // GNOME's Wayland session without our extension: the tooltip says how
    // to enable it.
    m_foreground = std::make_shared<testing::CountingForegroundProgram>(
        platform::ForegroundSupport::GnomeExtensionMissing);
    m_environment.foreground = m_foreground;
    Open();
    for (const char* name : {"ms_device_profile_link_check", "ms_deng_profile_link_btn",
                             "ms_device_cancle_link_btn"}) {
        const ui::CControlUI* control = Find(name);
        EXPECT_FALSE(control->IsEnabled()) << name;
        EXPECT_EQ(control->GetToolTip(), "profile_tip_links_gnome_extension") << name;
    }
    using Support = platform::ForegroundSupport;
    for (const Support support : {Support::NoX11Display, Support::UnsupportedCompositor,
                                  Support::KwinScriptNotLoaded, Support::CompositorUnreachable}) {
        const std::string_view tip = profiles::ProfileLinks::UnavailableTip(support);
        EXPECT_TRUE(tip.starts_with("profile_tip_links_")) << static_cast<int>(support);
        EXPECT_NE(ui::CResourceManager::GetInstance().GetText(tip), tip)
            << tip << " is in the language file";
    }
    EXPECT_EQ(profiles::ProfileLinks::UnavailableTip(Support::ThroughHelper), "");
}

TEST_F(ProfileOperationsTest, AHelperInTheCompositorLeavesTheLinkControlsEnabled) {
    m_foreground = std::make_shared<testing::CountingForegroundProgram>(
        platform::ForegroundSupport::ThroughHelper);
    m_environment.foreground = m_foreground;
    Open();
    EXPECT_TRUE(Find("ms_device_profile_link_check")->IsEnabled());
    EXPECT_EQ(Find("ms_device_profile_link_check")->GetToolTip(), "profile_tip_link_check")
        << "the layout's own tooltip";
}

// The lists without the window: choices and buttons go to the live
// profiles, which send at once what a choice has always sent and leave the
// record and the saves to the commit (a reset saves at once, before the
// desktop settings change).
TEST(ProfileListsSectionTest, ChoicesAndButtonsReachTheMouseAndTheFiles) {
    testing::PageHarness page;
    page.Add<profiles::ProfileListsPage>();
    page.Add<settings::PerformancePage>();
    page.Initialise();
    const auto byte = [&page](const char* file, std::size_t at) {
        return static_cast<std::uint8_t>(
            page.FileBytes(file).at(profiles::kProfileHeaderSize + at));
    };

    // The mouse arrives: the stored device profile is chosen; its record
    // goes out at once, then key block 0 is read and written back with the
    // profile's own block, and the record goes once more with the commit.
    page.Model().Notify(settings::MouseChange::MouseConnected);
    EXPECT_EQ(page.Get<ui::CComboUI>("ms_device_profile_combo").GetCurSel(), 0);
    EXPECT_EQ(page.Text("ms_device_profile_name_edit"), "profile1");
    std::vector<Request> sent = page.TakeRequests();
    const Strings summaries = Summaries(sent);
    ASSERT_EQ(summaries.size(), 21U);
    EXPECT_EQ(summaries[0], "06 len 50 @0");
    EXPECT_EQ(summaries[1], "08 len 56 @0");
    EXPECT_EQ(summaries[11], "09 len 56 @0");
    // The profile as the mouse runs it is saved before the key table takes
    // the mouse's other blocks: it holds the record sent.
    EXPECT_EQ(page.FileBytes("profile1.config").substr(profiles::kProfileHeaderSize + 512, 50),
              std::string(sent[0].data.begin(), sent[0].data.end()));
    page.Commit();
    EXPECT_EQ(Summaries(page.TakeRequests()), Strings{"06 len 56 @0"});
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));

    // A lighting reset: the default's record into the live settings, both
    // profiles saved at once with the desktop settings they had, the desktop
    // then at the reset's, the record sent with the commit.
    page.Mirror().pointerSpeed.Set(16);
    page.Mirror().wheelLines.Set(9);
    ASSERT_TRUE(page.Click("ms_pro_deng_reset_btn"));
    EXPECT_EQ(page.TakeSaves(), (Strings{"lighting", "device"}));
    EXPECT_EQ(byte("profile1.led", 50), 16);
    EXPECT_EQ(byte("profile1.led", 51), 9);
    EXPECT_EQ(byte("profile1.config", 562), 9);
    EXPECT_EQ(page.Text("ms_gunlun_speed_edit"), "1");
    EXPECT_EQ(page.Get<ui::CSliderUI>("ms_point_speed_slider").GetValue(), 4);
    EXPECT_TRUE(page.TakeRequests().empty());
    page.Commit();
    sent = page.TakeRequests();
    ASSERT_EQ(Summaries(sent), Strings{"06 len 56 @0"});
    EXPECT_EQ(page.FileBytes("profile1.led").substr(profiles::kProfileHeaderSize, 50),
              std::string(sent[0].data.begin(), sent[0].data.begin() + 50));
    page.WaitForDesktop();

    // A new key profile: the default under the next name, chosen, its key
    // table sent at once.
    ASSERT_TRUE(page.Click("ms_pro_key_add_btn"));
    EXPECT_EQ(page.Get<ui::CComboUI>("ms_key_profile_combo").GetCurSel(), 1);
    EXPECT_EQ(page.FileBytes("profile2.pro"),
              platform::testing::ReadBytes(page.InstallFolder() / "mskeydefault.pro"));
    EXPECT_EQ(Summaries(page.TakeRequests()).size(), 20U);

    // An export right after a change holds the change: what waits for the
    // commit is saved first.
    ASSERT_TRUE(page.Release("ms_DPI1_slider", 12));
    const std::filesystem::path exported = page.InstallFolder() / "out.config";
    ui::SetFileDialogAnswerProvider([&exported](ui::FileDialogKind, const ui::FileDialogOptions&) {
        return std::optional(exported.string());
    });
    ASSERT_TRUE(page.Click("ms_pro_device_export_btn"));
    ui::SetFileDialogAnswerProvider({});
    EXPECT_EQ(static_cast<std::uint8_t>(platform::testing::ReadBytes(exported).at(
                  profiles::kProfileHeaderSize + 512 + 15)),
              12);
    EXPECT_TRUE(page.Dialogs().shown.empty());
}

}  // namespace
}  // namespace varlok::app
