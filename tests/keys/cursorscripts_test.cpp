#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "keys/cursorscripts.h"
#include "keys/keystestsupport.h"
#include "keys/macrofile.h"
#include "keys/macrostore.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "platform/unreadablefiles.h"

namespace varlok::keys::test {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;

class CursorScriptsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_scripts.PrepareCursorScripts()); }

    [[nodiscard]] std::string Action(int script, int position) const {
        return ReadMacroActionText(m_scripts.ScriptFile(script), position).value_or("missing");
    }

    TempFolder m_folder;
    CursorScripts m_scripts{m_folder.Path(), VARLOK_SOURCE_DIR "/data"};
};

TEST_F(CursorScriptsTest, PrepareCopiesTheDefaultsOnceAndListsThem) {
    for (int script = 0; script < CursorScripts::kScriptCount; ++script) {
        const std::string name = "name_" + std::to_string(script + 1) + ".cur";
        EXPECT_EQ(m_scripts.ScriptFile(script), m_folder / name);
        EXPECT_EQ(ReadBytes(m_folder / name), ReadBytes(m_scripts.DefaultFile(script)));
        const MacroFileContents contents = ReadMacroFile(m_folder / name);
        EXPECT_EQ(contents.count, CursorScripts::kMaxActions);
        EXPECT_TRUE(contents.unreadable.empty());
    }
    EXPECT_EQ(platform::IniFile(m_folder / "msMacro.ini").Read("CURSORNAME", "3"), "name_4");
    // A script the user changed survives a second preparation, and one
    // missing since the first is not brought back: it goes out empty.
    ASSERT_TRUE(m_scripts.SaveShot(0, 0, {500, 7, true, 9, false}));
    std::filesystem::remove(m_folder / "name_2.cur");
    ASSERT_TRUE(m_scripts.PrepareCursorScripts());
    EXPECT_EQ(m_scripts.LoadShot(0, 0), (CursorScripts::Shot{500, 7, true, 9, false}));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "name_2.cur"));
    const std::vector<std::vector<MacroAction>> scripts = m_scripts.LoadAllScripts();
    ASSERT_EQ(scripts.size(), 4U);
    EXPECT_TRUE(scripts[1].empty());
}

// A script reads whatever shots it holds, so at start only a file that is
// not text is set aside; a sparse or odd one stays.
TEST_F(CursorScriptsTest, TheRecoverySetsAsideOnlyScriptsThatAreNotText) {
    std::ofstream(m_folder / "name_2.cur", std::ios::binary) << std::string("\0\x01garbage", 9);
    std::ofstream(m_folder / "name_3.cur", std::ios::binary) << "[MACROACTION]\n4=odd\n";
    static_cast<void>(platform::TakeSetAsideFiles());
    EXPECT_EQ(m_scripts.SetAsideUnreadableFiles(), 1);
    const std::vector<std::filesystem::path> setAside = platform::TakeSetAsideFiles();
    ASSERT_EQ(setAside.size(), 1U);
    EXPECT_EQ(ReadBytes(setAside[0]), std::string("\0\x01garbage", 9));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "name_2.cur"));
    EXPECT_EQ(ReadBytes(m_folder / "name_3.cur"), "[MACROACTION]\n4=odd\n");
}

TEST_F(CursorScriptsTest, ShotsEditOnlyTheirThreeActionsAndLimitValues) {
    const std::string before0 = Action(1, 0);
    const std::string before176 = Action(1, 176);
    const std::string before6 = Action(1, 6);
    // 125 ms is stored as 12 units and shows as 120 ms; 300 is limited to 255.
    ASSERT_TRUE(m_scripts.SaveShot(1, 0, {125, 300, true, 20, true}));
    EXPECT_EQ(Action(1, 3), "12,0,5,0,0,mouse_move_to_down_text");
    EXPECT_EQ(Action(1, 4), "0,0,132,255,0,mouse_move_to_left_text");
    EXPECT_EQ(Action(1, 5), "0,0,133,20,0,mouse_move_to_up_text");
    EXPECT_EQ(m_scripts.LoadShot(1, 0), (CursorScripts::Shot{120, 255, true, 20, true}));
    ASSERT_TRUE(m_scripts.SaveShot(1, 29, {65535, 1, false, 2, false}));
    EXPECT_EQ(Action(1, 177), "153,25,5,0,0,mouse_move_to_down_text");
    // The down flag of a move stays as the default has it.
    EXPECT_EQ(Action(1, 178), "0,0,4,1,1,mouse_move_to_right_text");
    EXPECT_EQ(Action(1, 179), "0,0,5,2,0,mouse_move_to_down_text");
    EXPECT_EQ(Action(1, 0), before0);
    EXPECT_EQ(Action(1, 176), before176);
    EXPECT_EQ(Action(1, 6), before6);
    EXPECT_FALSE(m_scripts.SaveShot(1, 30, {}));
    // Reset brings the default back.
    ASSERT_TRUE(m_scripts.ResetScript(1));
    EXPECT_EQ(ReadBytes(m_scripts.ScriptFile(1)), ReadBytes(m_scripts.DefaultFile(1)));
}

TEST_F(CursorScriptsTest, ImportRefusesMoreThan180ActionsAndExportCopies) {
    const std::filesystem::path longer = m_folder / "long.cur";
    std::ofstream(longer, std::ios::binary) << "[MACROACTIONCOUNT]\r\ncount=181\r\n";
    const std::string before = ReadBytes(m_scripts.ScriptFile(2));
    EXPECT_EQ(m_scripts.ImportScript(2, longer), (StoreMessage{"message_text_18", {}}));
    // No script: text without the action count, a device, a count with its
    // actions missing.
    const std::filesystem::path passwd = m_folder / "passwd";
    std::ofstream(passwd, std::ios::binary) << "root:x:0:0:root:/root:/bin/bash\n";
    const std::filesystem::path hollow = m_folder / "hollow.cur";
    std::ofstream(hollow, std::ios::binary) << "[MACROACTIONCOUNT]\r\ncount=180\r\n";
    for (const std::filesystem::path& file : {passwd, std::filesystem::path("/dev/null"), hollow}) {
        EXPECT_EQ(m_scripts.ImportScript(2, file),
                  (StoreMessage{"message_macro_file_unreadable", {}}))
            << file;
    }
    EXPECT_EQ(ReadBytes(m_scripts.ScriptFile(2)), before);
    ASSERT_TRUE(m_scripts.ExportScript(0, m_folder / "out.cur"));
    EXPECT_EQ(m_scripts.ImportScript(2, m_folder / "out.cur"), std::nullopt);
    EXPECT_EQ(ReadBytes(m_scripts.ScriptFile(2)), ReadBytes(m_scripts.ScriptFile(0)));
}

TEST_F(CursorScriptsTest, TableAboveItsRoomIsNotSent) {
    LinkedMouse mouse;
    // Four scripts of 180 actions: 2920 bytes, sent.
    EXPECT_EQ(m_scripts.UploadCursorScripts(mouse.link).status, UploadStatus::Sent);
    mouse.mouse->ClearLog();
    // 39 more actions make 3076 bytes: not sent, and the user is told.
    std::vector<MacroAction> actions = ReadMacroFile(m_scripts.ScriptFile(3)).actions;
    actions.resize(actions.size() + 39);
    ASSERT_EQ(WriteMacroFile(m_scripts.ScriptFile(3), actions), platform::IniWriteResult::Ok);
    const TableUpload upload = m_scripts.UploadCursorScripts(mouse.link);
    EXPECT_EQ(upload.length, 3076U);
    EXPECT_EQ(upload.status, UploadStatus::Refused);
    EXPECT_EQ(upload.message, (StoreMessage{"message_cursor_table_too_long", {}}));
    EXPECT_TRUE(mouse.mouse->Log().empty());
}

}  // namespace
}  // namespace varlok::keys::test
