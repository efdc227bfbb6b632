#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "keys/keystestsupport.h"
#include "keys/macrofile.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "keys/storeupload.h"
#include "keys/storeuploader.h"
#include "platform/debugoutput.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "platform/unreadablefiles.h"

namespace varlok::keys::test {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;

MacroAction Key(std::uint8_t usage, bool down, int pauseMs) {
    MacroAction action;
    action.code = static_cast<std::uint8_t>(kKeyboardKeyCode | (down ? kDownBit : 0));
    action.value = usage;
    action.downFlag = down ? 1 : 0;
    action.label = "keyboard_key_A";
    action.SetPauseMs(pauseMs);
    return action;
}

std::vector<MacroAction> Actions(int count) {
    std::vector<MacroAction> actions;
    for (int i = 0; i < count; ++i) {
        actions.push_back(Key(static_cast<std::uint8_t>(0x04 + i), i % 2 == 0, 10 * i));
    }
    return actions;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class MacroStoreTest : public ::testing::Test {
protected:
    // Adds count macros, macro i with sizes[i] actions.
    void Fill(const std::vector<int>& sizes) {
        for (const int size : sizes) {
            const MacroStoreResult added = m_store.AddMacro();
            ASSERT_EQ(added.status, MacroStoreStatus::Done);
            ASSERT_EQ(m_store.SaveMacroActions(added.index, Actions(size)).status,
                      MacroStoreStatus::Done);
        }
    }
    std::vector<std::string> FolderFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::ranges::sort(names);
        return names;
    }

    TempFolder m_folder;
    MacroStore m_store{m_folder.Path()};
};

TEST(MacroActionTest, TextRoundTripsAndPausesAreLimitedNeverWrapped) {
    // 120 ms, 40 ms and 3000 ms are 12, 4 and 300 units of 10 ms.
    const std::vector<std::pair<int, std::pair<int, int>>> pauses{
        {120, {12, 0}}, {40, {4, 0}},         {0, {0, 0}},          {3000, {44, 1}},
        {125, {12, 0}}, {655350, {255, 255}}, {700000, {255, 255}}, {-5, {0, 0}}};
    for (const auto& [ms, bytes] : pauses) {
        MacroAction action;
        action.SetPauseMs(ms);
        EXPECT_EQ(std::pair(int{action.delayLow}, int{action.delayHigh}), bytes) << ms;
    }
    const MacroAction key = Key(0x04, true, 3000);
    EXPECT_EQ(FormatMacroAction(key), "44,1,138,4,1,keyboard_key_A");
    EXPECT_EQ(ParseMacroAction(FormatMacroAction(key)), key);
    // Split from the right: everything before the fifth comma from the right
    // is delay low. A pause written whole into delay low is kept, limited.
    EXPECT_EQ(ParseMacroAction("300,0,5,3,0,mouse_move_to_down_text")->PauseUnits(), 300);
    EXPECT_EQ(ParseMacroAction("70000,0,5,3,0,x")->PauseUnits(), kMaxPauseUnits);
    EXPECT_EQ(ParseMacroAction("1,1,1,1,1,")->label, "");
    for (const char* bad : {"0", "1,2,3,4,label", "", "0,0,300,1,0,x", "0,0,5,-1,0,x"}) {
        EXPECT_FALSE(ParseMacroAction(bad)) << bad;
    }
}

TEST_F(MacroStoreTest, AddGeneratesFreeNamesAndStopsAtFifty) {
    platform::IniFile list(m_store.ListFilePath());
    ASSERT_EQ(list.Write("MACROCOUNT", "count", "2"), platform::IniWriteResult::Ok);
    ASSERT_EQ(list.Write("MACRONAME", "0", "name_1"), platform::IniWriteResult::Ok);
    ASSERT_EQ(list.Write("MACRONAME", "1", "NAME_3"), platform::IniWriteResult::Ok);
    const MacroStoreResult added = m_store.AddMacro();
    EXPECT_EQ(added.index, 2);
    EXPECT_EQ(m_store.LoadMacroList(), (std::vector<std::string>{"name_1", "NAME_3", "name_4"}));
    EXPECT_TRUE(m_store.LoadMacroActions(2).empty());
    EXPECT_FALSE(std::filesystem::exists(m_folder / "name_4.mac"));
    while (m_store.LoadMacroList().size() < MacroStore::kMaxMacros) {
        ASSERT_EQ(m_store.AddMacro().status, MacroStoreStatus::Done);
    }
    const MacroStoreResult refused = m_store.AddMacro();
    EXPECT_EQ(refused.status, MacroStoreStatus::Refused);
    EXPECT_EQ(refused.message, (StoreMessage{"message_text_17", 50}));
    EXPECT_EQ(m_store.LoadMacroList().size(), 50U);
}

TEST_F(MacroStoreTest, SavedFileIsTheIniTextByteForByte) {
    Fill({0});
    std::vector<MacroAction> actions{Key(0x04, true, 120), Key(0x04, false, 40),
                                     Key(0x05, true, 0)};
    ASSERT_EQ(m_store.SaveMacroActions(0, actions).status, MacroStoreStatus::Done);
    EXPECT_EQ(ReadBytes(m_folder / "name_1.mac"),
              "[MACROACTIONCOUNT]\r\ncount=3\r\n[MACROSELECTNAME]\r\nname=name_1\r\n"
              "[MACROACTION]\r\n0=12,0,138,4,1,keyboard_key_A\r\n1=4,0,10,4,0,keyboard_key_A\r\n"
              "2=0,0,138,5,1,keyboard_key_A\r\n");
    EXPECT_EQ(m_store.LoadMacroActions(0), actions);
    // A shorter save leaves the stale key above the count, which is never read.
    actions.pop_back();
    ASSERT_EQ(m_store.SaveMacroActions(0, actions).status, MacroStoreStatus::Done);
    EXPECT_EQ(m_store.LoadMacroActions(0), actions);
}

TEST_F(MacroStoreTest, RenameRefusesDuplicatesAndBadNamesAndMovesTheFile) {
    Fill({1, 2});
    EXPECT_EQ(m_store.RenameMacro(1, "NAME_1").message, (StoreMessage{"message_text_5", {}}));
    EXPECT_EQ(m_store.RenameMacro(1, "Name_2").status, MacroStoreStatus::Unchanged);
    ASSERT_EQ(m_store.RenameMacro(1, "Reload").status, MacroStoreStatus::Done);
    EXPECT_EQ(m_store.LoadMacroList(), (std::vector<std::string>{"name_1", "Reload"}));
    EXPECT_EQ(m_store.LoadMacroActions(1), Actions(2));
    EXPECT_EQ(platform::IniFile(m_folder / "Reload.mac").Read("MACROSELECTNAME", "name"), "Reload");
    // A stray file under the new name: the macro keeps name, list and file.
    WriteText(m_folder / "stray.MAC", "x");
    const MacroStoreResult blocked = m_store.RenameMacro(1, "Stray", Actions(1));
    EXPECT_EQ(blocked.message, (StoreMessage{"message_macro_rename_blocked", {}}));
    EXPECT_EQ(m_store.LoadMacroList()[1], "Reload");
    EXPECT_EQ(m_store.LoadMacroActions(1), Actions(2));
    EXPECT_EQ(ReadBytes(m_folder / "stray.MAC"), "x");
    // Nor does a new macro take over a stray file.
    WriteText(m_folder / "name_3.mac", "[MACROACTIONCOUNT]\ncount=1\n");
    ASSERT_EQ(m_store.AddMacro().index, 2);
    EXPECT_EQ(m_store.LoadMacroList()[2], "name_4");
}

TEST_F(MacroStoreTest, MaliciousNamesAreRefusedAndNothingLeavesTheFolder) {
    Fill({2});
    const std::filesystem::path outside = m_folder.Path().parent_path();
    const auto before = FolderFiles();
    for (const std::string& name : std::vector<std::string>{
             "../escape", "..", "a/b", "a\\b", "", " padded", "line\nbreak", "tab\tname",
             "key=value", "[section]", std::string("nul\0x", 5)}) {
        EXPECT_EQ(m_store.RenameMacro(0, name).message,
                  (StoreMessage{"message_macro_name_refused", {}}))
            << name;
    }
    EXPECT_EQ(FolderFiles(), before);
    EXPECT_FALSE(std::filesystem::exists(outside / "escape.mac"));
    // A damaged list naming a path: the entry has no file and nothing is
    // read or written through it.
    WriteText(outside / "victim.mac", "[MACROACTIONCOUNT]\r\ncount=1\r\n");
    ASSERT_EQ(platform::IniFile(m_store.ListFilePath()).Write("MACRONAME", "0", "../victim"),
              platform::IniWriteResult::Ok);
    EXPECT_TRUE(m_store.LoadMacroActions(0).empty());
    EXPECT_EQ(m_store.SaveMacroActions(0, Actions(3)).status, MacroStoreStatus::Refused);
    EXPECT_EQ(m_store.DeleteMacro(0).status, MacroStoreStatus::Done);
    EXPECT_EQ(ReadBytes(outside / "victim.mac"), "[MACROACTIONCOUNT]\r\ncount=1\r\n");
    std::filesystem::remove(outside / "victim.mac");
}

TEST_F(MacroStoreTest, DeleteRewritesTheListWithTheCursorNames) {
    Fill({1, 2, 3});
    ASSERT_EQ(m_store.DeleteMacro(1).status, MacroStoreStatus::Done);
    EXPECT_EQ(m_store.LoadMacroList(), (std::vector<std::string>{"name_1", "name_3"}));
    EXPECT_EQ(m_store.LoadMacroActions(1), Actions(3));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "name_2.mac"));
    ASSERT_EQ(m_store.DeleteMacro(0).status, MacroStoreStatus::Done);
    ASSERT_EQ(m_store.DeleteMacro(0).status, MacroStoreStatus::Done);
    EXPECT_EQ(ReadBytes(m_store.ListFilePath()),
              "[MACROCOUNT]\r\ncount=0\r\n[CURSORCOUNT]\r\ncount=4\r\n[CURSORNAME]\r\n"
              "0=name_1\r\n1=name_2\r\n2=name_3\r\n3=name_4\r\n");
    EXPECT_EQ(FolderFiles(), std::vector<std::string>{"msMacro.ini"});
}

TEST_F(MacroStoreTest, AFailingDiskLeavesListAndFilesWhole) {
    Fill({2});
    const std::string list = ReadBytes(m_store.ListFilePath());
    const std::string file = ReadBytes(m_folder / "name_1.mac");
    MacroStore failing(m_folder.Path(), [](platform::AtomicWriteStep step) {
        return step != platform::AtomicWriteStep::Rename;
    });
    EXPECT_EQ(failing.SaveMacroActions(0, Actions(5)).message,
              (StoreMessage{"message_store_write_failed", {}}));
    EXPECT_EQ(failing.AddMacro().status, MacroStoreStatus::Failed);
    EXPECT_EQ(failing.DeleteMacro(0).status, MacroStoreStatus::Failed);
    EXPECT_EQ(failing.RenameMacro(0, "other").status, MacroStoreStatus::Failed);
    EXPECT_EQ(failing.ImportMacro(m_folder / "name_1.mac").status, MacroStoreStatus::Failed);
    // The imported file is written, the list is not: the file goes again.
    int writes = 0;
    MacroStore listFails(m_folder.Path(), [&writes](platform::AtomicWriteStep step) {
        return step != platform::AtomicWriteStep::CreateTemporary || ++writes == 1;
    });
    EXPECT_EQ(listFails.ImportMacro(m_folder / "name_1.mac").status, MacroStoreStatus::Failed);
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(ReadBytes(m_store.ListFilePath()), list);
    EXPECT_EQ(ReadBytes(m_folder / "name_1.mac"), file);
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"msMacro.ini", "name_1.mac"}));
}

// A program killed at any moment of a rename, a delete or an import: before
// every write the store makes, each macro the list names keeps its file.
TEST_F(MacroStoreTest, NoStepOfARenameOrImportLeavesAListedMacroWithoutItsFile) {
    Fill({2, 3});
    std::vector<std::string> torn;
    MacroStore checked(m_folder.Path(), [&](platform::AtomicWriteStep step) {
        if (step == platform::AtomicWriteStep::CreateTemporary) {
            const std::optional<platform::IniDocument> list =
                LoadStoreDocument(m_store.ListFilePath());
            const int count = std::stoi(
                list ? FindStoreValue(*list, kMacroCountSection, kListCountKey).value_or("0")
                     : "0");
            for (int i = 0; i < count; ++i) {
                const std::string name =
                    FindStoreValue(*list, kMacroNameSection, std::to_string(i)).value_or("");
                if (!std::filesystem::exists(m_folder / (name + ".mac"))) {
                    torn.push_back(name);
                }
            }
        }
        return true;
    });
    ASSERT_EQ(checked.RenameMacro(1, "Reload").status, MacroStoreStatus::Done);
    ASSERT_EQ(checked.RenameMacro(0, "Jump", Actions(4)).status, MacroStoreStatus::Done);
    ASSERT_EQ(checked.DeleteMacro(0).status, MacroStoreStatus::Done);
    ASSERT_EQ(checked.ImportMacro(m_folder / "Reload.mac").index, 1);
    EXPECT_EQ(torn, std::vector<std::string>{});
    EXPECT_EQ(m_store.LoadMacroActions(0), Actions(3));
    EXPECT_EQ(m_store.LoadMacroActions(1), Actions(3));
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"Reload.mac", "msMacro.ini", "name_2.mac"}));
}

TEST_F(MacroStoreTest, ImportRefusesUnreadableFilesAndExportCopiesBytes) {
    const std::filesystem::path good = m_folder / "good.txt";
    const std::string goodBytes =
        "[MACROACTIONCOUNT]\ncount=2\n[MACROACTION]\n0=70000,0,138,4,1,keyboard_key_A\n"
        "1=0,0,10,4,0,keyboard_key_A\n[MACROSELECTNAME]\nname=theirs\n";
    WriteText(good, goodBytes);
    WriteText(m_folder / "bad.txt", "[MACROACTIONCOUNT]\ncount=2\n[MACROACTION]\n0=1,2,3\n");
    EXPECT_EQ(m_store.ImportMacro(m_folder / "bad.txt").message,
              (StoreMessage{"message_macro_file_unreadable", {}}));
    EXPECT_EQ(m_store.ImportMacro(m_folder / "missing.mac").status, MacroStoreStatus::Refused);
    // No macro file whatever its contents: text without the action count,
    // a device, and a macro beyond the size any mouse could take.
    WriteText(m_folder / "passwd", "root:x:0:0:root:/root:/bin/bash\nbin=x:2:2::/bin\n");
    WriteText(m_folder / "nocount.mac", "[MACROACTIONCOUNT]\ncount=none\n");
    WriteText(m_folder / "nul.mac", goodBytes + '\0');
    const std::filesystem::path large = m_folder / "large.mac";
    WriteText(large, goodBytes);
    std::filesystem::resize_file(large, kMaxImportFileBytes + 1);
    for (const std::filesystem::path& file :
         {m_folder / "passwd", m_folder / "nocount.mac", m_folder / "nul.mac",
          std::filesystem::path("/dev/null"), large}) {
        EXPECT_EQ(m_store.ImportMacro(file).message,
                  (StoreMessage{"message_macro_file_unreadable", {}}))
            << file;
    }
    ASSERT_TRUE(m_store.LoadMacroList().empty());
    EXPECT_FALSE(std::filesystem::exists(m_store.ListFilePath()));
    const MacroStoreResult imported = m_store.ImportMacro(good);
    ASSERT_EQ(imported.status, MacroStoreStatus::Done);
    EXPECT_EQ(ReadBytes(m_folder / "name_1.mac"), goodBytes);
    EXPECT_EQ(m_store.LoadMacroActions(0).front().PauseUnits(), kMaxPauseUnits);
    ASSERT_EQ(m_store.ExportMacro(0, m_folder / "out.mac").status, MacroStoreStatus::Done);
    EXPECT_EQ(ReadBytes(m_folder / "out.mac"), goodBytes);
}

TEST_F(MacroStoreTest, StoredUnreadableActionsAreLeftOutWithADebugLine) {
    WriteText(m_folder / "msMacro.ini", "[MACROCOUNT]\ncount=1\n[MACRONAME]\n0=hand\n");
    WriteText(m_folder / "hand.mac",
              "[MACROACTIONCOUNT]\ncount=3\n[MACROACTION]\n0=1,0,138,4,1,a\n1=garbage\n"
              "2=2,0,10,4,0,a\n");
    const platform::DebugCapture debug;
    const std::vector<MacroAction> actions = m_store.LoadMacroActions(0);
    ASSERT_EQ(actions.size(), 2U);
    EXPECT_EQ(actions[1].PauseUnits(), 2);
    EXPECT_TRUE(
        debug.Contains("hand.mac: 1 action(s) unreadable and left out, first at position 1"));
}

// At start a listed macro's file that is no macro (not text, no action
// count, an action that cannot be read) is set aside with its bytes, and so
// is a list that is not text; whole files, files no entry names and macros
// without a file stay. The macro then has no actions until it is saved.
TEST_F(MacroStoreTest, TheRecoverySetsAsideListedFilesThatAreNoMacro) {
    Fill({2, 0, 0, 0});
    const std::vector<std::string> damaged{
        std::string("[MACROACTIONCOUNT]\ncount=1\n\0\0", 29), "[MACROACTION]\n0=1,0,138,4,1,a\n",
        "[MACROACTIONCOUNT]\ncount=2\n[MACROACTION]\n0=1,0,138,4,1,a\n1=garbage\n"};
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        WriteText(m_folder / ("name_" + std::to_string(i + 2) + ".mac"), damaged[i]);
    }
    ASSERT_EQ(m_store.AddMacro().index, 4);
    WriteText(m_folder / "stray.mac", "no list names this");
    static_cast<void>(platform::TakeSetAsideFiles());

    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 3);
    const std::vector<std::filesystem::path> setAside = platform::TakeSetAsideFiles();
    ASSERT_EQ(setAside.size(), 3U);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        EXPECT_TRUE(setAside[i].filename().string().starts_with("name_" + std::to_string(i + 2) +
                                                                ".mac.unreadable-"));
        EXPECT_EQ(ReadBytes(setAside[i]), damaged[i]);
        EXPECT_TRUE(m_store.LoadMacroActions(static_cast<int>(i) + 1).empty());
    }
    EXPECT_EQ(m_store.LoadMacroActions(0), Actions(2));
    EXPECT_EQ(m_store.LoadMacroList().size(), 5U);
    EXPECT_TRUE(std::filesystem::exists(m_folder / "stray.mac"));
    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 0);

    WriteText(m_store.ListFilePath(), std::string("[MACROCOUNT]\0", 13));
    EXPECT_EQ(m_store.SetAsideUnreadableFiles(), 1);
    EXPECT_EQ(platform::TakeSetAsideFiles().size(), 1U);
    EXPECT_TRUE(m_store.LoadMacroList().empty());
}

TEST(MacroTableTest, TwoMacrosMakeTheFortyEightByteTable) {
    const std::vector<std::vector<MacroAction>> macros{Actions(2), Actions(3)};
    const auto table = BuildMacroTable(macros);
    ASSERT_TRUE(table);
    std::vector<std::uint8_t> expected{0xAA, 0x55, 48, 0, 2,  0, 0,  0, 0, 0, 0, 0,
                                       0,    0,    0,  0, 20, 0, 32, 0, 2, 0, 0, 0};
    for (const auto& macro : macros) {
        if (&macro == &macros[1]) {
            expected.insert(expected.end(), {3, 0, 0, 0});
        }
        for (const MacroAction& action : macro) {
            const auto bytes = action.WireBytes();
            expected.insert(expected.end(), bytes.begin(), bytes.end());
        }
    }
    EXPECT_EQ(*table, expected);
    EXPECT_EQ(MacroTableLength({}), 0U);
    EXPECT_FALSE(BuildMacroTable({}));
    const std::vector<std::vector<MacroAction>> empty(1);
    EXPECT_EQ(BuildMacroTable(empty),
              (std::vector<std::uint8_t>{0xAA, 0x55, 22, 0, 1, 0,  0, 0, 0, 0, 0,
                                         0,    0,    0,  0, 0, 18, 0, 0, 0, 0, 0}));
}

class UploadTest : public MacroStoreTest {
protected:
    LinkedMouse m_mouse;
};

TEST_F(UploadTest, MacrosGoOutBracketedAndLandInTheMouse) {
    Fill({2, 3});
    const TableUpload upload = m_store.UploadMacros(m_mouse.link, 4096);
    EXPECT_EQ(upload.status, UploadStatus::Sent);
    EXPECT_EQ(upload.link, device::LinkResult::Success);
    EXPECT_EQ(upload.length, 48U);
    EXPECT_EQ(m_mouse.Commands(), (std::vector<std::uint8_t>{0x01, 0x15, 0x02}));
    const std::vector<std::uint8_t> memory = m_mouse.mouse->MacroTable();
    const auto table = BuildMacroTable(m_store.LoadAllMacros());
    EXPECT_TRUE(std::equal(table->begin(), table->end(), memory.begin()));
    // The request carries the whole table at offset 0.
    const std::vector<sim::LoggedReport> log = m_mouse.mouse->Log();
    const auto write = std::ranges::find_if(log, [](const sim::LoggedReport& report) {
        return report.direction == sim::LoggedReport::Direction::HostToDevice &&
               report.bytes[device::ReportFrame::kCommandIndex] == 0x15;
    });
    ASSERT_NE(write, log.end());
    EXPECT_EQ(write->bytes[device::ReportFrame::kLengthIndex], 48);
    EXPECT_EQ(write->bytes[device::ReportFrame::kOffsetLowIndex], 0);
    EXPECT_TRUE(std::equal(table->begin(), table->end(),
                           write->bytes.begin() + device::ReportFrame::kDataIndex));
}

TEST_F(UploadTest, TooLargeForTheMouseIsRefusedWithTheActionsToRemove) {
    // 16 + 6 + 4 x 30 = 142 bytes against 128: (142 - 128) / 4 + 1 = 4
    // actions to remove.
    Fill({30});
    const TableUpload refused = m_store.UploadMacros(m_mouse.link, 128);
    EXPECT_EQ(refused.status, UploadStatus::Refused);
    EXPECT_EQ(refused.message, (StoreMessage{"message_text_16", 4}));
    EXPECT_TRUE(m_mouse.mouse->Log().empty());
    EXPECT_EQ(FormatStoreMessage("Remove %d of %s", 4), "Remove 4 of %s");
}

TEST_F(UploadTest, StoresGoOutCursorScriptsFirstThenMacros) {
    Fill({2});
    CursorScripts scripts(m_folder.Path(), VARLOK_SOURCE_DIR "/data");
    ASSERT_TRUE(scripts.PrepareCursorScripts());
    m_mouse.mouse->ClearLog();
    const StoreUpload upload = UploadStores(m_mouse.link, scripts, m_store, 4096);
    EXPECT_FALSE(upload.Refused());
    std::vector<std::uint8_t> commands{0x01};
    // 16 + 24 + 4 x 720 = 2920 bytes in chunks of 56.
    EXPECT_EQ(upload.cursorScripts.length, 2920U);
    commands.insert(commands.end(), (2920 + 55) / 56, 0x17);
    commands.insert(commands.end(), {0x02, 0x01, 0x15, 0x02});
    EXPECT_EQ(m_mouse.Commands(), commands);
    const auto table = BuildMacroTable(scripts.LoadAllScripts());
    const sim::CursorTableBytes memory = m_mouse.mouse->CursorTable();
    EXPECT_TRUE(std::equal(table->begin(), table->end(), memory.begin()));
    // Refused macros: the scripts went, the macros did not.
    m_mouse.mouse->ClearLog();
    EXPECT_TRUE(UploadStores(m_mouse.link, scripts, m_store, 0).Refused());
    EXPECT_EQ(std::ranges::count(m_mouse.Commands(), 0x15), 0);
    // Refused scripts (too long for the mouse): nothing at all went.
    std::vector<MacroAction> longer = ReadMacroFile(scripts.ScriptFile(0)).actions;
    longer.resize(longer.size() + 39);
    ASSERT_EQ(WriteMacroFile(scripts.ScriptFile(0), longer), platform::IniWriteResult::Ok);
    m_mouse.mouse->ClearLog();
    const StoreUpload refused = UploadStores(m_mouse.link, scripts, m_store, 4096);
    ASSERT_EQ(refused.Refusal(), &refused.cursorScripts);
    EXPECT_TRUE(m_mouse.Commands().empty());
}

// What a save to the mouse gets: sent tables, or a refusal told once.
TEST_F(UploadTest, TheSavesUploaderTellsARefusal) {
    Fill({30});
    CursorScripts scripts(m_folder.Path(), VARLOK_SOURCE_DIR "/data");
    ASSERT_TRUE(scripts.PrepareCursorScripts());
    std::vector<StoreMessage> told;
    StoreUploader uploader(scripts, m_store,
                           [&told](const StoreMessage& message) { told.push_back(message); });
    EXPECT_EQ(uploader.UploadTables(m_mouse.link, 4096), settings::UploadResult::Sent);
    EXPECT_TRUE(told.empty());
    m_mouse.mouse->ClearLog();
    EXPECT_EQ(uploader.UploadTables(m_mouse.link, 128), settings::UploadResult::Refused);
    EXPECT_EQ(told, (std::vector<StoreMessage>{{"message_text_16", 4}}));
    EXPECT_EQ(std::ranges::count(m_mouse.Commands(), 0x15), 0);
}

}  // namespace
}  // namespace varlok::keys::test
