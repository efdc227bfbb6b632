#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/mainwindowroutes.h"
#include "app/support/filechoice.h"
#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "keys/keyfunction.h"
#include "keys/page/devicehook.h"
#include "keys/page/keypage.h"
#include "keys/page/macrocontrols.h"
#include "keys/page/macropage.h"
#include "platform/fakeinputcapture.h"
#include "platform/tempfolder.h"
#include "ui/buttonui.h"
#include "ui/comboui.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/listui.h"
#include "ui/notify.h"
#include "ui/tablayoutui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using keys::MacroControls;

class MacroPageTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        m_environment.macroRecorderTicks = [this] { return m_now; };
        AttachMouse();
        OpenMousePage("ms_macro_Op_tab");
    }

    void Click(std::string_view name) {
        auto* control = dynamic_cast<ui::CButtonUI*>(Find(name));
        ASSERT_NE(control, nullptr) << name;
        control->Activate();
        ui::test::ProcessEvents();
    }
    void Type(std::string_view edit, const std::string& text) {
        ui::CControlUI* control = Find(edit);
        control->SetText(text);
        ui::TNotifyUI changed{std::string(ui::msgtype::kTextChanged), control, 0, 0};
        m_window->Notify(changed);
    }
    void Key(std::uint32_t message, std::uint32_t virtualKey, std::uint32_t flags = 0) {
        EXPECT_TRUE(m_capture->Type({message, virtualKey, flags})) << virtualKey;
    }
    ui::CListUI& List(std::string_view name) const {
        return *dynamic_cast<ui::CListUI*>(Find(name));
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        const ui::CListUI& list = List(MacroControls::kActionList);
        for (int index = 0; index < list.GetCount(); ++index) {
            rows.push_back(list.GetItemAt(index)->GetUserData());
        }
        return rows;
    }
    // The texts of a row's name, state and pause labels.
    std::vector<std::string> Labels(int row) const {
        auto* container =
            dynamic_cast<ui::CContainerUI*>(List(MacroControls::kActionList).GetItemAt(row));
        std::vector<std::string> texts;
        for (int index = 0; container != nullptr && index < container->GetCount(); ++index) {
            texts.push_back(container->GetItemAt(index)->GetText());
        }
        return texts;
    }
    bool Dirty() const { return Find(MacroControls::kSaveBar)->IsVisible(); }
    int EditorPage() const {
        return dynamic_cast<ui::CTabLayoutUI*>(Find(MacroControls::kEditorTab))->GetCurSel();
    }
    std::string MacroFile(const std::string& name) const {
        return platform::testing::ReadBytes(m_folder / "ms" / (name + ".mac"));
    }

    std::int64_t m_now = 5000;
};

TEST_F(MacroPageTest, RecordingTakesKeysAndClicksAndSaveWritesTheFile) {
    EXPECT_EQ(Find(MacroControls::kRecordButton)->GetToolTip(), "macro_record_tip");
    // Without a macro the record button does nothing.
    Click(MacroControls::kRecordButton);
    EXPECT_FALSE(m_capture->IsRunning());
    Click(MacroControls::kAddButton);
    Click(MacroControls::kRecordButton);
    ASSERT_TRUE(m_capture->CapturesKeyboard());
    EXPECT_TRUE(m_capture->CapturesMouse());
    EXPECT_TRUE(Dirty());
    EXPECT_EQ(Find(MacroControls::kRecordButton)->GetText(), "macro_btn_stop_redio_text");
    EXPECT_FALSE(Find(MacroControls::kKeyboardOption)->IsEnabled());

    Key(0x100, 'A');
    m_now += 60;
    Key(0x100, 'A');  // auto-repeat
    m_now += 65;
    Key(0x101, 'A', 0x80);
    m_now += 50;
    Key(0x100, 0xA0);
    m_now += 10;
    Key(0x101, 0xA0, 0x80);
    m_now += 300;
    for (const std::uint32_t message : {0x20AU, 0x200U, 0x20BU, 0x201U}) {
        m_capture->Click(message);
    }
    ASSERT_TRUE(RunUntil([this] { return Rows().size() == 5; }));
    Click(MacroControls::kRecordButton);
    EXPECT_FALSE(m_capture->IsRunning());
    // A button posted before the capture went away is not recorded.
    m_window->SendMessage(keys::kHookMacroMouseMessage, 0x202);
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "12,0,138,4,1,keyboard_key_A", "5,0,10,4,0,keyboard_key_A",
                          "1,0,137,2,1,keyboard_key_LShift", "30,0,9,2,0,keyboard_key_LShift",
                          "0,0,129,1,1,mouse_key_left"}));
    EXPECT_EQ(Labels(0), (std::vector<std::string>{"keyboard_key_A", "", "120"}));
    EXPECT_EQ(Labels(3), (std::vector<std::string>{"keyboard_key_LShift", "", "300"}));
    EXPECT_TRUE(Dirty());
    EXPECT_EQ(MacroFile("name_1"), "");

    Click(MacroControls::kSaveButton);
    EXPECT_FALSE(Dirty());
    EXPECT_EQ(MacroFile("name_1"),
              "[MACROACTIONCOUNT]\r\ncount=5\r\n[MACROSELECTNAME]\r\nname=name_1\r\n"
              "[MACROACTION]\r\n0=12,0,138,4,1,keyboard_key_A\r\n1=5,0,10,4,0,keyboard_key_A\r\n"
              "2=1,0,137,2,1,keyboard_key_LShift\r\n3=30,0,9,2,0,keyboard_key_LShift\r\n"
              "4=0,0,129,1,1,mouse_key_left\r\n");

    // The fixed pause; leaving the window ends the recording.
    Click(MacroControls::kFixedPauseOption);
    Click(MacroControls::kRecordButton);
    m_now += 777;
    Key(0x100, 'B');
    EXPECT_EQ(Rows()[4], "5,0,129,1,1,mouse_key_left");
    m_window->SendMessage(ui::WM_ACTIVATE, ui::WA_INACTIVE);
    EXPECT_FALSE(m_capture->IsRunning());
    EXPECT_EQ(Find(MacroControls::kRecordButton)->GetText(), "macro_btn_star_redio_text");
    Click(MacroControls::kCancelButton);
    EXPECT_EQ(Rows().size(), 5U);
    EXPECT_FALSE(Dirty());

    // The key editor: another key keeps the direction and the pause.
    ASSERT_TRUE(Driver().ClickListItem(MacroControls::kActionList, 0));
    EXPECT_EQ(EditorPage(), MacroControls::kKeyboardEditor);
    EXPECT_EQ(Find(MacroControls::kKeyPauseEdit)->GetText(), "12");
    auto* keys = dynamic_cast<ui::CComboUI*>(Find(MacroControls::kKeyCombo));
    EXPECT_EQ(keys->GetCurSel(), 8);   // A
    keys->SelectItem(1, false, true);  // Left Shift
    EXPECT_EQ(Rows()[0], "12,0,137,2,1,keyboard_key_LShift");
    dynamic_cast<ui::CComboUI*>(Find(MacroControls::kUpDownCombo))->SelectItem(0, false, true);
    EXPECT_EQ(Rows()[0], "12,0,9,2,0,keyboard_key_LShift");
    EXPECT_EQ(Labels(0), (std::vector<std::string>{"keyboard_key_LShift", "", "120"}));
}

TEST_F(MacroPageTest, InsertingEditingReorderingAndTheUnsavedGuard) {
    Click(MacroControls::kAddButton);
    Click(MacroControls::kAddButton);
    ASSERT_EQ(List(MacroControls::kNameList).GetCurSel(), 1);
    Click(MacroControls::kInsertOption);
    EXPECT_TRUE(Find(MacroControls::kInsertPanel)->IsVisible());
    EXPECT_FALSE(Find(MacroControls::kNamePanel)->IsVisible());
    Click("ms_macro_inset_backkey_btn");
    EXPECT_TRUE(Find("ms_macro_inset_backkey_tab")->IsVisible());
    EXPECT_FALSE(Find("ms_macro_inset_leftkey_tab")->IsVisible());
    Click("ms_macro_inset_backkeydown_btn");
    Type("ms_mouse_x_right_edit", "30");
    Click("ms_macro_inset_moverightkey_btn");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"5,0,4,30,0,mouse_move_to_right_text",
                                                "5,0,129,8,1,mouse_key_back"}));
    EXPECT_EQ(Labels(0), (std::vector<std::string>{"mouse_move_to_right_text", "30", "50"}));
    EXPECT_TRUE(Dirty());

    // Another macro may not be chosen with unsaved changes.
    std::string shown;
    testing::AnswerMessage(shown);
    List(MacroControls::kNameList).SelectItem(0, false, true);
    EXPECT_EQ(shown, "message_text_4");
    EXPECT_EQ(List(MacroControls::kNameList).GetCurSel(), 1);
    // Nor may the section be left.
    testing::AnswerMessage(shown);
    ASSERT_TRUE(Driver().Click("ms_cursor_Op_tab"));
    EXPECT_EQ(shown, "message_text_3");
    EXPECT_TRUE(Find(MacroControls::kActionList)->IsVisible());

    // The mouse editor: 70000 units of 10 ms are limited to 65535.
    ASSERT_TRUE(Driver().ClickListItem(MacroControls::kActionList, 1));
    EXPECT_EQ(EditorPage(), MacroControls::kMouseEditor);
    Type(MacroControls::kMousePauseEdit, "70000");
    EXPECT_EQ(Find(MacroControls::kMousePauseEdit)->GetText(), "65535");
    EXPECT_EQ(Rows()[1], "255,255,129,8,1,mouse_key_back");
    EXPECT_EQ(Labels(1).back(), "655350");
    // Insert in front of the chosen action, which stays chosen.
    Click("ms_macro_inset_leftkey_btn");
    Click("ms_macro_inset_leftkeyup_btn");
    EXPECT_EQ(Rows()[1], "5,0,1,1,0,mouse_key_left");
    EXPECT_EQ(List(MacroControls::kActionList).GetCurSel(), 2);
    Click(MacroControls::kTopButton);
    Click(MacroControls::kUpButton);  // at the top already: nothing happens
    EXPECT_EQ(Rows().front(), "255,255,129,8,1,mouse_key_back");
    EXPECT_EQ(List(MacroControls::kActionList).GetCurSel(), 0);
    Click(MacroControls::kDownButton);
    Click(MacroControls::kDeleteButton);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"5,0,4,30,0,mouse_move_to_right_text",
                                                "5,0,1,1,0,mouse_key_left"}));
    // Saved, edited as keys, then discarded.
    Click(MacroControls::kSaveButton);
    const std::string saved = MacroFile("name_2");
    ASSERT_TRUE(Driver().ClickListItem(MacroControls::kActionList, 1));
    EXPECT_TRUE(Dirty());
    Click(MacroControls::kDeleteAllButton);
    EXPECT_TRUE(Rows().empty());
    Click(MacroControls::kCancelButton);
    EXPECT_EQ(Rows().size(), 2U);
    EXPECT_EQ(MacroFile("name_2"), saved);
    List(MacroControls::kNameList).SelectItem(0, false, true);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Find(MacroControls::kNameEdit)->GetText(), "name_1");

    // Renaming: another macro's name in other letters is refused.
    testing::AnswerMessage(shown);
    Find(MacroControls::kNameEdit)->SetText("NAME_2");
    Click(MacroControls::kSaveNameButton);
    EXPECT_EQ(shown, "message_text_5");
    EXPECT_EQ(Find(MacroControls::kNameEdit)->GetText(), "name_1");
    List(MacroControls::kNameList).SelectItem(1, false, true);
    Find(MacroControls::kNameEdit)->SetText("Chat");
    Click(MacroControls::kSaveNameButton);
    EXPECT_EQ(List(MacroControls::kNameList).GetItemAt(1)->GetText(), "Chat");
    std::string renamed = saved;
    renamed.replace(renamed.find("name=name_2"), 11, "name=Chat");
    EXPECT_EQ(MacroFile("Chat"), renamed);
}

TEST_F(MacroPageTest, DeletingAMacroThatKeysRunMovesTheKeysOfEverySlot) {
    for (int macro = 0; macro < 3; ++macro) {
        Click(MacroControls::kAddButton);
    }
    settings::MouseMirror& mirror = m_window->Mirror();
    const keys::KeyFunction runsSecond{keys::KeyFunctionType::Macro, 1, 0};
    const keys::KeyFunction runsThird{keys::KeyFunctionType::MacroCounted, 2, 3};
    for (settings::KeySlot& slot : mirror.keySlots) {
        keys::SetKeyEntry(slot, 1, runsSecond);
        keys::SetKeyEntry(slot, 4, runsThird);
    }
    const auto before = mirror.keySlots;
    List(MacroControls::kNameList).SelectItem(1, false, true);
    // Answered "no": nothing changes.
    std::string used;
    ui::test::UiDriver::ClickInNextModal("cancel_btn");
    Click(MacroControls::kDeleteMacroButton);
    EXPECT_EQ(mirror.keySlots, before);
    EXPECT_EQ(List(MacroControls::kNameList).GetCount(), 3);

    std::string confirm;
    testing::AnswerMessage(used, [&confirm] { testing::AnswerMessage(confirm); });
    Click(MacroControls::kDeleteMacroButton);
    EXPECT_EQ(used, "message_text_2");
    EXPECT_EQ(confirm, "message_text_4");
    for (const settings::KeySlot& slot : mirror.keySlots) {
        EXPECT_EQ(keys::KeyEntry(slot, 1), keys::KeyEntry(mirror.factoryKeyMap, 1));
        EXPECT_EQ(keys::KeyEntry(slot, 4),
                  (keys::KeyFunction{keys::KeyFunctionType::MacroCounted, 1, 3}));
    }
    EXPECT_EQ(List(MacroControls::kNameList).GetCount(), 2);
    EXPECT_EQ(List(MacroControls::kNameList).GetItemAt(1)->GetText(), "name_3");
    // Key 4 is labelled with the name of the macro it runs now.
    EXPECT_EQ(Find("ms_key_4")->GetText(), "name_3");
}

TEST_F(MacroPageTest, TheClickOnStopIsLeftOutWhereverItsReleaseArrives) {
    Click(MacroControls::kAddButton);
    // The capture's release of the stop click may reach the page before the
    // button's click or after it.
    for (const bool releaseBeforeClick : {true, false}) {
        SCOPED_TRACE(releaseBeforeClick);
        Click(MacroControls::kRecordButton);
        Key(0x100, 'A');
        Key(0x101, 'A', 0x80);
        // A click elsewhere is recorded.
        m_capture->Click(0x201);
        m_capture->Click(0x202);
        ASSERT_TRUE(RunUntil([this] { return Rows().size() == 4; }));
        ASSERT_TRUE(Driver().Hover(MacroControls::kRecordButton));
        m_capture->Click(0x201);
        if (releaseBeforeClick) {
            m_capture->Click(0x202);
        }
        ui::test::ProcessEvents();
        ASSERT_TRUE(Driver().Click(MacroControls::kRecordButton));
        ASSERT_FALSE(m_capture->IsRunning());
        EXPECT_FALSE(m_capture->Click(0x202));
        ui::test::ProcessEvents();
        EXPECT_EQ(Rows(), (std::vector<std::string>{
                              "0,0,138,4,1,keyboard_key_A", "0,0,10,4,0,keyboard_key_A",
                              "0,0,129,1,1,mouse_key_left", "0,0,1,1,0,mouse_key_left"}));
        ASSERT_TRUE(Driver().Leave(MacroControls::kRecordButton));
        Click(MacroControls::kCancelButton);
    }
}

TEST_F(MacroPageTest, ImportingAFileThatIsNoMacroChangesNothing) {
    Click(MacroControls::kAddButton);
    Click(MacroControls::kAddButton);
    List(MacroControls::kNameList).SelectItem(0, false, true);
    const std::filesystem::path folder = m_folder / "ms";
    const std::string list = platform::testing::ReadBytes(folder / "msMacro.ini");
    const auto files = [&folder] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::ranges::sort(names);
        return names;
    };
    const std::vector<std::string> before = files();
    for (const std::string path : {"/etc/passwd", "/dev/null"}) {
        EXPECT_EQ(
            testing::MessageWithFileChosen(path, [this] { Click(MacroControls::kImportButton); }),
            "message_macro_file_unreadable")
            << path;
        EXPECT_EQ(platform::testing::ReadBytes(folder / "msMacro.ini"), list) << path;
        EXPECT_EQ(files(), before) << path;
        EXPECT_EQ(List(MacroControls::kNameList).GetCount(), 2) << path;
        EXPECT_EQ(List(MacroControls::kNameList).GetCurSel(), 0) << path;
    }
}

// Where only our own window is seen, the record button says so.
class MacroPageOwnWindowTest : public MacroPageTest {
protected:
    MacroPageOwnWindowTest() {
        m_capture = std::make_shared<platform::FakeInputCapture>(platform::CaptureReach::OwnWindow);
    }
};

TEST_F(MacroPageOwnWindowTest, TheRecordTipSaysKeysOfOtherProgramsAreNotSeen) {
    EXPECT_EQ(Find(MacroControls::kRecordButton)->GetToolTip(), "macro_record_window_only_tip");
}

// The section without the window: a recording is an unsaved edit until it is
// saved into the macro's file; the key section follows the macro list
// through the model, and deleting a macro that a key runs gives the key its
// factory function back.
TEST(MacroSectionTest, ARecordingSavedAndAMacroDeletedReachTheFilesAndTheKeys) {
    using C = keys::MacroControls;
    testing::PageHarness page;
    page.Add<keys::KeyPage>();
    const keys::MacroPage& macros = page.Add<keys::MacroPage>();
    page.Initialise();
    // The macro section in front, as the window shows it.
    for (const std::string_view option : {"ms_tab", "ms_macro_Op_tab"}) {
        const std::optional<PageRoute> route = FindPageRoute(option);
        ASSERT_TRUE(route.has_value()) << option;
        page.Get<ui::CTabLayoutUI>(route->tabLayout).SelectItem(route->page);
    }
    ASSERT_TRUE(page.Click(C::kAddButton));
    auto& runs = page.Get<ui::CComboUI>("ms_key_fct_combo_23");
    ASSERT_EQ(runs.GetCount(), 1);
    EXPECT_EQ(runs.GetItemAt(0)->GetText(), "name_1");

    ASSERT_TRUE(page.Click(C::kRecordButton));
    EXPECT_TRUE(macros.HasUnsavedEdits());
    EXPECT_TRUE(page.Find(C::kSaveBar)->IsVisible());
    EXPECT_TRUE(page.Capture().Type({0x100, 'A', 0}));
    page.ticks += 120;
    EXPECT_TRUE(page.Capture().Type({0x101, 'A', 0x80}));
    ASSERT_TRUE(page.Click(C::kRecordButton));
    EXPECT_FALSE(page.Capture().IsRunning());
    EXPECT_TRUE(macros.HasUnsavedEdits());
    ASSERT_TRUE(page.Click(C::kSaveButton));
    EXPECT_FALSE(macros.HasUnsavedEdits());
    EXPECT_FALSE(page.Find(C::kSaveBar)->IsVisible());
    EXPECT_EQ(platform::testing::ReadBytes(page.DataFolder() / "name_1.mac"),
              "[MACROACTIONCOUNT]\r\ncount=2\r\n[MACROSELECTNAME]\r\nname=name_1\r\n"
              "[MACROACTION]\r\n0=12,0,138,4,1,keyboard_key_A\r\n1=0,0,10,4,0,keyboard_key_A\r\n");
    EXPECT_TRUE(settings::HasAny(page.Model().Pending(), settings::Touch::MacroTable));

    ASSERT_TRUE(page.Tick("ms_key_4", true));
    ASSERT_TRUE(page.Choose("ms_key_fct_combo", 9));
    ASSERT_TRUE(page.Choose("ms_key_fct_combo_23", 0));
    EXPECT_EQ(page.Text("ms_key_4"), "name_1");
    ASSERT_TRUE(page.Click(C::kDeleteMacroButton));
    EXPECT_EQ(page.Dialogs().shown, (std::vector<std::string>{"message_text_2", "message_text_4"}));
    const settings::MouseMirror& mirror = page.Mirror();
    EXPECT_EQ(keys::KeyEntry(mirror.keySlots[0], 4), keys::KeyEntry(mirror.factoryKeyMap, 4));
    EXPECT_EQ(page.Text("ms_key_4"), "mouse_key_back");
    EXPECT_EQ(runs.GetCount(), 0);
    EXPECT_EQ(platform::testing::ReadBytes(page.DataFolder() / "msMacro.ini"),
              "[MACROCOUNT]\r\ncount=0\r\n[CURSORCOUNT]\r\ncount=4\r\n[CURSORNAME]\r\n"
              "0=name_1\r\n1=name_2\r\n2=name_3\r\n3=name_4\r\n");
}

}  // namespace
}  // namespace varlok::app
