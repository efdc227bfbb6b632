#include "profiles/profilestore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomicfile.h"
#include "platform/debugoutput.h"
#include "platform/inidocument.h"
#include "platform/tempfolder.h"
#include "platform/unreadablefiles.h"

namespace varlok::profiles {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;

template <std::size_t N>
std::array<std::uint8_t, N> Pattern(std::uint8_t start) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::uint8_t>(start + i);
    }
    return bytes;
}

std::string Envelope(std::span<const std::uint8_t> body) {
    return EncodeProfileFile(body, 2);
}

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest() {
        std::filesystem::create_directories(Data());
        std::filesystem::create_directories(Install());
        WriteBytes(Install() / "msdevicedefault.config", Envelope(Pattern<576>(0x10)));
        WriteBytes(Install() / "msdengdefault.led", Envelope(Pattern<64>(0x20)));
        WriteBytes(Install() / "mskeydefault.pro", Envelope(Pattern<512>(0x30)));
    }
    std::filesystem::path Data() const { return m_folder / "ms"; }
    std::filesystem::path Install() const { return m_folder / "install"; }
    std::string Ini() const { return ReadBytes(Data() / "msProfile.ini"); }

    TempFolder m_folder;
    settings::MouseMirror m_mirror;
    std::optional<int> m_desktopSpeed = 14;
    ProfileStore m_store{{Data(), Install()}, m_mirror, [this] { return m_desktopSpeed; }};
};

TEST_F(ProfileStoreTest, TheFirstRunCopiesEachDefaultToProfileOneAndListsIt) {
    const ProfileStore::ListNames lists = m_store.InitProfileLists();
    EXPECT_FALSE(lists.failure);
    for (const auto& names : lists.names) {
        EXPECT_EQ(names, std::vector<std::string>{"profile1"});
    }
    EXPECT_EQ(ReadBytes(Data() / "profile1.config"),
              ReadBytes(Install() / "msdevicedefault.config"));
    EXPECT_EQ(ReadBytes(Data() / "profile1.led"), ReadBytes(Install() / "msdengdefault.led"));
    EXPECT_EQ(ReadBytes(Data() / "profile1.pro"), ReadBytes(Install() / "mskeydefault.pro"));
    EXPECT_EQ(Ini(),
              "[PROFILEDEVICECOUNT]\r\ncount=1\r\n[PROFILELIKEDEVICEEXE]\r\n0=0\r\n"
              "[PROFILEDEVICENAME]\r\n0=profile1\r\n[PROFILEDEVICESELECT]\r\nselect=0\r\n"
              "[PROFILEDENGCOUNT]\r\ncount=1\r\n[PROFILELIKEDENGEXE]\r\n0=0\r\n"
              "[PROFILEDENGNAME]\r\n0=profile1\r\n[PROFILEDENGSELECT]\r\nselect=0\r\n"
              "[PROFILECOUNT]\r\ncount=1\r\n[PROFILELIKEEXE]\r\n0=0\r\n"
              "[PROFILENAME]\r\n0=profile1\r\n[PROFILESELECT]\r\nselect=0\r\n");

    // The next start lists the entries without opening the files.
    std::filesystem::remove(Data() / "profile1.pro");
    const ProfileStore::ListNames again = m_store.InitProfileLists();
    EXPECT_FALSE(again.failure);
    EXPECT_FALSE(std::filesystem::exists(Data() / "profile1.pro"));
}

// A first start killed at any of its writes: before every write it makes,
// each list is empty (to be filled at the next start) or names its entry,
// whose file is there.
TEST_F(ProfileStoreTest, NoStepOfTheFirstRunLeavesAListCountedWithoutItsEntry) {
    std::vector<std::string> torn;
    const auto check = [&](platform::AtomicWriteStep step) {
        const platform::FileContents ini = platform::ReadWholeFile(Data() / "msProfile.ini");
        if (step != platform::AtomicWriteStep::CreateTemporary ||
            ini.status != platform::FileReadStatus::Ok) {
            return true;
        }
        const platform::IniDocument document(ini.bytes);
        for (const ProfileCategoryInfo& info : kProfileCategories) {
            if (document.Find(info.countSection, kCountKey).value_or("0") == "0") {
                continue;
            }
            const std::optional<std::string> name = document.Find(info.nameSection, "0");
            if (!name || !std::filesystem::exists(Data() / (*name + std::string(info.extension)))) {
                torn.push_back(std::string(info.name) + ": " + name.value_or("no name"));
            }
        }
        return true;
    };
    ProfileStore checked({Data(), Install()}, m_mirror, {}, check);
    EXPECT_FALSE(checked.InitProfileLists().failure);
    EXPECT_EQ(torn, std::vector<std::string>{});
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        EXPECT_EQ(checked.Names(info.category), std::vector<std::string>{"profile1"});
    }
}

TEST_F(ProfileStoreTest, AMissingOrBadDefaultStopsTheFillWhereItIs) {
    WriteBytes(Data() / "profile1.config", "an old file");
    std::filesystem::remove(Install() / "msdengdefault.led");
    ProfileStore::ListNames lists = m_store.InitProfileLists();
    EXPECT_EQ(lists.failure, ProfileReadResult::Missing);
    EXPECT_EQ(lists.failedCategory, ProfileCategory::Lighting);
    // A count of 0 means a first run: the device list's file is replaced.
    EXPECT_EQ(ReadBytes(Data() / "profile1.config"),
              ReadBytes(Install() / "msdevicedefault.config"));
    EXPECT_EQ(lists.names[0], std::vector<std::string>{"profile1"});
    EXPECT_TRUE(lists.names[2].empty());
    EXPECT_FALSE(std::filesystem::exists(Data() / "profile1.pro"));

    WriteBytes(Install() / "msdengdefault.led", "no magic here, only text");
    lists = m_store.InitProfileLists();
    EXPECT_EQ(lists.failure, ProfileReadResult::BadMagic);
}

TEST_F(ProfileStoreTest, LoadingADeviceProfileReplacesTheLiveSettings) {
    auto body = Pattern<576>(0x40);
    body[562] = 0;  // wheel lines
    body[563] = 1;  // zone
    WriteBytes(Data() / "Work.config", Envelope(body));
    ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICENAME", "3", "Work"), platform::IniWriteResult::Ok);
    m_desktopSpeed = 0;

    platform::DebugCapture debug;
    EXPECT_EQ(m_store.LoadDeviceProfile(3), ProfileReadResult::Loaded);
    EXPECT_TRUE(std::equal(body.begin(), body.begin() + 512, m_mirror.keySlots[0].begin()));
    EXPECT_TRUE(std::equal(body.begin() + 512, body.end(), m_mirror.recordTable[0].begin()));
    const auto record = m_mirror.settingsRecord.Snapshot();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), body.begin() + 512));
    EXPECT_EQ(m_mirror.wheelLines.Get(), 1);
    EXPECT_EQ(m_mirror.mouseZoneSlot.Get(), 1);
    EXPECT_EQ(m_mirror.pointerSpeed.Get(), 1);

    // Missing and bad files leave everything as it is.
    const auto keys = m_mirror.keySlots[0];
    EXPECT_EQ(m_store.LoadDeviceProfile(4), ProfileReadResult::Missing);
    WriteBytes(Data() / "Work.config", "garbage");
    EXPECT_EQ(m_store.LoadDeviceProfile(3), ProfileReadResult::BadMagic);
    EXPECT_EQ(m_mirror.keySlots[0], keys);
    EXPECT_TRUE(debug.Contains("配置文件丢失 " + (Data() / "0.config").string()));
    EXPECT_TRUE(debug.Contains("配置文件格式错误 " + (Data() / "Work.config").string()));
}

TEST_F(ProfileStoreTest, SavesWriteTheSelectedEntryWithTheStagingAreasCarriedBytes) {
    ASSERT_EQ(m_store.Ini().Write("PROFILEDENGNAME", "0", "Evening"), platform::IniWriteResult::Ok);
    ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICENAME", "0", "Desk"), platform::IniWriteResult::Ok);
    // A device profile load fills the staging area's tail ...
    const auto device = Pattern<576>(0x50);
    WriteBytes(Data() / "Desk.config", Envelope(device));
    ASSERT_EQ(m_store.LoadDeviceProfile(0), ProfileReadResult::Loaded);
    m_mirror.settingsRecord.Set(14, 3);
    m_mirror.pointerSpeed.Set(12);
    m_mirror.wheelLines.Set(7);
    m_mirror.mouseZoneSlot.Set(2);
    // ... which a lighting save writes after the record, speed and lines.
    m_store.SaveLightingProfile();
    std::array<std::uint8_t, 64> led{};
    ASSERT_EQ(ReadProfileFile(Data() / "Evening.led", led), ProfileReadResult::Loaded);
    const auto record = m_mirror.settingsRecord.Snapshot();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), led.begin()));
    EXPECT_EQ(led[50], 12);
    EXPECT_EQ(led[51], 7);
    EXPECT_TRUE(std::equal(led.begin() + 52, led.end(), device.begin() + 512 + 52));

    m_store.SaveDeviceProfile();
    std::array<std::uint8_t, 576> config{};
    ASSERT_EQ(ReadProfileFile(Data() / "Desk.config", config), ProfileReadResult::Loaded);
    EXPECT_EQ(config[512 + 14], 3);
    EXPECT_EQ(config[562], 7);
    EXPECT_EQ(config[563], 2);
    EXPECT_TRUE(std::equal(config.begin() + 564, config.end(), device.begin() + 564));
    // The save leaves the staging area holding what it wrote.
    EXPECT_TRUE(std::equal(config.begin() + 512, config.end(), m_mirror.recordTable[0].begin()));
}

TEST_F(ProfileStoreTest, LoadingALightingProfileTakesEveryRecordByte) {
    auto body = Pattern<64>(0x60);
    body[50] = 0;
    body[51] = 0;
    WriteBytes(Data() / "0.led", Envelope(body));
    ASSERT_EQ(m_store.LoadLightingProfile(0), ProfileReadResult::Loaded);
    const auto record = m_mirror.settingsRecord.Snapshot();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), body.begin()));
    EXPECT_EQ(m_mirror.pointerSpeed.Get(), 1);
    EXPECT_EQ(m_mirror.wheelLines.Get(), 1);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), m_mirror.recordTable[0].begin()));
}

TEST_F(ProfileStoreTest, ASelectionWithoutANameSavesToTheFileNamedZero) {
    ASSERT_EQ(m_store.Ini().Write("PROFILESELECT", "select", "5"), platform::IniWriteResult::Ok);
    m_mirror.keySlots[0] = Pattern<512>(0x70);
    m_store.SaveKeyProfile();
    std::array<std::uint8_t, 512> read{};
    ASSERT_EQ(ReadProfileFile(Data() / "0.pro", read), ProfileReadResult::Loaded);
    EXPECT_EQ(read, m_mirror.keySlots[0]);
}

TEST_F(ProfileStoreTest, NamesThatCannotNameAFileAreNeverUsedAsPaths) {
    for (const char* name : {"../escaped", "/tmp/escaped", ".."}) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(m_folder / "escaped");
        // Written past the store's own checks, as a hand-edited file would be.
        WriteBytes(Data() / "msProfile.ini", std::string("[PROFILENAME]\r\n0=") + name +
                                                 "\r\n[PROFILESELECT]\r\nselect=0\r\n");
        m_store.SaveKeyProfile();
        EXPECT_EQ(m_store.LoadKeyProfile(0), ProfileReadResult::Missing);
        EXPECT_FALSE(std::filesystem::exists(m_folder / "escaped.pro"));
        EXPECT_FALSE(std::filesystem::exists(Data() / "escaped.pro"));
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/escaped.pro"));
    // Only the INI file was ever written in the data folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Data()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ProfileStoreTest, TheKeyProfileIsFoundWhateverCaseItsFileHas) {
    ASSERT_EQ(m_store.Ini().Write("PROFILENAME", "0", "profile1"), platform::IniWriteResult::Ok);
    const auto keys = Pattern<512>(0x11);
    WriteBytes(Data() / "PROFILE1.PRO", Envelope(keys));
    ASSERT_EQ(m_store.LoadKeyProfile(0), ProfileReadResult::Loaded);
    EXPECT_EQ(m_mirror.keySlots[0], keys);
    // The save goes to the same file, not to a second one beside it.
    m_mirror.keySlots[0] = Pattern<512>(0x22);
    m_store.SaveKeyProfile();
    EXPECT_FALSE(std::filesystem::exists(Data() / "profile1.pro"));
    std::array<std::uint8_t, 512> read{};
    ASSERT_EQ(ReadProfileFile(Data() / "PROFILE1.PRO", read), ProfileReadResult::Loaded);
    EXPECT_EQ(read, m_mirror.keySlots[0]);
}

// At start a file a list names that is no profile of its list (no magic,
// or cut short of its body) is set aside with its bytes; whole files,
// longer ones, missing ones and files no list names stay. Its entry then
// has no file, and the next save writes a whole one.
TEST_F(ProfileStoreTest, TheRecoverySetsAsideListedFilesThatAreNoProfileOfTheirList) {
    ASSERT_FALSE(m_store.InitProfileLists().failure);
    const std::string whole = Envelope(Pattern<576>(0x40));
    const std::vector<std::pair<std::string, std::string>> files{
        {"short.config", whole.substr(0, 400)},
        {"text.config", "a note, no profile"},
        {"longer.config", whole + "more"},
        {"stray.config", "no list names this"},
    };
    for (const auto& [name, bytes] : files) {
        WriteBytes(Data() / name, bytes);
    }
    // A lighting profile where a device profile should be is too short.
    WriteBytes(Data() / "led.config", Envelope(Pattern<64>(0x50)));
    const std::vector<std::string> names{"profile1", "short", "text", "longer", "missing", "led"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICENAME", std::to_string(i), names[i]),
                  platform::IniWriteResult::Ok);
    }
    ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICECOUNT", "count", "6"),
              platform::IniWriteResult::Ok);
    static_cast<void>(platform::TakeSetAsideFiles());

    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 3);
    const std::vector<std::filesystem::path> setAside = platform::TakeSetAsideFiles();
    ASSERT_EQ(setAside.size(), 3U);
    EXPECT_TRUE(setAside[0].filename().string().starts_with("short.config.unreadable-"));
    EXPECT_EQ(ReadBytes(setAside[0]), whole.substr(0, 400));
    EXPECT_EQ(ReadBytes(setAside[1]), "a note, no profile");
    EXPECT_TRUE(setAside[2].filename().string().starts_with("led.config.unreadable-"));
    for (const char* kept : {"profile1.config", "longer.config", "stray.config"}) {
        EXPECT_TRUE(std::filesystem::exists(Data() / kept)) << kept;
    }
    EXPECT_EQ(m_store.Names(ProfileCategory::Device), names);
    EXPECT_EQ(m_store.LoadDeviceProfile(1), ProfileReadResult::Missing);
    ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICESELECT", "select", "1"),
              platform::IniWriteResult::Ok);
    m_store.SaveDeviceProfile();
    EXPECT_EQ(std::filesystem::file_size(Data() / "short.config"), 16U + 576U);
    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 0);

    // A list file that is no text goes first, and the next fill starts anew.
    WriteBytes(Data() / "msProfile.ini", std::string("[PROFILEDEVICECOUNT]\0", 21));
    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 1);
    EXPECT_EQ(platform::TakeSetAsideFiles().size(), 1U);
    EXPECT_EQ(m_store.Count(ProfileCategory::Device), 0);
}

}  // namespace
}  // namespace varlok::profiles
