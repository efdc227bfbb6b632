#include <gtest/gtest.h>

#include <string>

#include "app/support/filechoice.h"
#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "keys/cursorscripts.h"
#include "keys/macrofile.h"
#include "keys/macrotable.h"
#include "keys/page/cursorpage.h"
#include "platform/tempfolder.h"
#include "sim/virtualmouse.h"
#include "ui/buttonui.h"
#include "ui/controlui.h"
#include "ui/filedialog.h"
#include "ui/notify.h"
#include "ui/optionui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using keys::CursorPage;

class CursorPageTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
        OpenMousePage("ms_cursor_Op_tab");
    }
    void TearDown() override {
        ui::SetFileDialogAnswerProvider({});
        MainWindowFixture::TearDown();
    }

    // What the user's typing sends: the edit's text, then its notification.
    void Type(std::string_view edit, const std::string& text) {
        ui::CControlUI* control = Find(edit);
        control->SetText(text);
        ui::TNotifyUI changed{std::string(ui::msgtype::kTextChanged), control, 0, 0};
        m_window->Notify(changed);
    }
    // A click on an option: the option toggles (or joins its group) and
    // notifies, as a mouse click does.
    void Click(std::string_view name) {
        auto* control = dynamic_cast<ui::CButtonUI*>(Find(name));
        ASSERT_NE(control, nullptr) << name;
        control->Activate();
        ui::test::ProcessEvents();
    }
    std::string Action(int script, int position) const {
        return keys::ReadMacroActionText(
                   m_folder / "ms" / ("name_" + std::to_string(script + 1) + ".cur"), position)
            .value_or("missing");
    }
    bool EditorEnabled() const { return Find(CursorPage::kEditor)->IsEnabled(); }
    std::string Text(std::string_view name) const { return Find(name)->GetText(); }
};

TEST_F(CursorPageTest, EditingAShotChangesItsFileAtOnce) {
    // The first run put the four scripts in place and chose script 1, shot 1.
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "1");
    EXPECT_TRUE(EditorEnabled());
    EXPECT_EQ(Text(CursorPage::kPauseEdit), "100");
    Click("ms_gun_op_1");
    Click("ms_bullet_op_4");
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "5");
    Type(CursorPage::kHorizontalEdit, "300");
    EXPECT_EQ(Text(CursorPage::kHorizontalEdit), "255");
    EXPECT_EQ(Action(1, 28), "0,0,4,255,0,mouse_move_to_right_text");
    Click(CursorPage::kVerticalCheck);
    EXPECT_EQ(Text(CursorPage::kVerticalCheck), "mouse_move_to_up_text");
    EXPECT_EQ(Action(1, 29), "0,0,133,4,0,mouse_move_to_up_text");
    Type(CursorPage::kPauseEdit, "125");
    EXPECT_EQ(Action(1, 27), "12,0,5,0,0,mouse_move_to_down_text");
    // Shot 5 again: the pause shows as the 120 ms it is stored as.
    Click("ms_bullet_op_5");
    Click("ms_bullet_op_4");
    EXPECT_EQ(Text(CursorPage::kPauseEdit), "120");
    // The chosen shot clicked again: nothing to edit.
    Click("ms_bullet_op_4");
    EXPECT_FALSE(EditorEnabled());
    EXPECT_EQ(Action(0, 28), "0,0,4,0,0,mouse_move_to_right_text");
}

TEST_F(CursorPageTest, ShotButtonsStopAtTheEndsAndResetRestoresTheDefault) {
    Click(CursorPage::kPreviousButton);
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "1");
    Click("ms_bullet_op_29");
    Click(CursorPage::kNextButton);
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "30");
    Click(CursorPage::kPreviousButton);
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "29");
    Type(CursorPage::kVerticalEdit, "9");
    EXPECT_EQ(Action(0, 6 * 28 + 5), "0,0,5,9,0,mouse_move_to_down_text");
    Click(CursorPage::kResetButton);
    EXPECT_EQ(Action(0, 6 * 28 + 5), "0,0,5,2,0,mouse_move_to_down_text");
    EXPECT_EQ(Text(CursorPage::kShotIndexLabel), "1");
}

TEST_F(CursorPageTest, ImportOfTooLongAScriptShowsTheMessageAndSendUploads) {
    const std::filesystem::path longer = m_folder / "long.cur";
    platform::testing::WriteBytes(longer, "[MACROACTIONCOUNT]\r\ncount=181\r\n");
    ui::SetFileDialogAnswerProvider(
        [&longer](ui::FileDialogKind,
                  const ui::FileDialogOptions& options) -> std::optional<std::string> {
            EXPECT_EQ(options.filter, "(*.cur) | *.cur ||");
            return longer.string();
        });
    const std::string before = platform::testing::ReadBytes(m_folder / "ms" / "name_1.cur");
    std::string shown;
    testing::AnswerMessage(shown);
    Click(CursorPage::kImportButton);
    EXPECT_EQ(shown, "message_text_18");
    EXPECT_EQ(platform::testing::ReadBytes(m_folder / "ms" / "name_1.cur"), before);
    m_mouse->ClearLog();
    Click(CursorPage::kSendButton);
    const keys::CursorScripts scripts(m_folder / "ms", m_folder.Path());
    const auto table = keys::BuildMacroTable(scripts.LoadAllScripts());
    const sim::CursorTableBytes memory = m_mouse->CursorTable();
    EXPECT_TRUE(std::equal(table->begin(), table->end(), memory.begin()));
}

TEST_F(CursorPageTest, ImportingAFileThatIsNoScriptChangesNothing) {
    Click("ms_gun_op_2");
    const std::filesystem::path script = m_folder / "ms" / "name_3.cur";
    const std::string before = platform::testing::ReadBytes(script);
    for (const std::string path : {"/etc/passwd", "/dev/null"}) {
        EXPECT_EQ(
            testing::MessageWithFileChosen(path, [this] { Click(CursorPage::kImportButton); }),
            "message_macro_file_unreadable")
            << path;
        EXPECT_EQ(platform::testing::ReadBytes(script), before) << path;
        EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(Find("ms_gun_op_2"))->IsSelected()) << path;
    }
}

// The section without the window: a shot's edit is in its script's file at
// once and recorded in the model; the flush tick sends nothing of it, the
// send button the whole table.
TEST(CursorSectionTest, AShotEditIsInItsFileAtOnceAndTheSendButtonSendsTheTable) {
    testing::PageHarness page;
    page.Add<CursorPage>();
    page.Initialise();
    ASSERT_TRUE(page.Tick("ms_gun_op_1", true));
    ASSERT_TRUE(page.Tick("ms_bullet_op_4", true));
    ASSERT_TRUE(page.Type(CursorPage::kHorizontalEdit, "300"));
    EXPECT_EQ(page.Text(CursorPage::kHorizontalEdit), "255");
    EXPECT_EQ(keys::ReadMacroActionText(page.DataFolder() / "name_2.cur", 28),
              "0,0,4,255,0,mouse_move_to_right_text");
    EXPECT_EQ(page.Model().Pending(), settings::Touch::CursorTable);
    page.Commit();
    EXPECT_TRUE(page.TakeRequests().empty());
    EXPECT_TRUE(page.TakeSaves().empty());

    ASSERT_TRUE(page.Click(CursorPage::kSendButton));
    const std::vector<settings::testing::Request> requests = page.TakeRequests();
    ASSERT_GE(requests.size(), 3U);
    EXPECT_EQ(requests.front().Summary(), "01 len 0 @0");
    EXPECT_EQ(requests.back().Summary(), "02 len 0 @0");
    const auto table = keys::BuildMacroTable(page.CursorScripts().LoadAllScripts());
    ASSERT_TRUE(table.has_value());
    const sim::CursorTableBytes memory = page.Mouse().CursorTable();
    EXPECT_TRUE(std::equal(table->begin(), table->end(), memory.begin()));
}

}  // namespace
}  // namespace varlok::app
