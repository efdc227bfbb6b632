#include "app/msgwnd.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <string>

#include "dialogtestsupport.h"
#include "platform/debugoutput.h"
#include "ui/controlui.h"
#include "ui/qt/windowwidget.h"
#include "ui/windowmessages.h"

namespace varlok::app {
namespace {

using ui::test::UiDriver;

class MsgWndTest : public testing::DialogTest {};

TEST_F(MsgWndTest, ConfirmAnswersOneAndEveryOtherWayOutZero) {
    UiDriver::ClickInNextModal("confirm_btn");
    EXPECT_EQ(ShowMessageBox(&Owner(), {}, "message_text_12"), 1);
    // A delete asked with the close button must not be carried out.
    UiDriver::ClickInNextModal("closebtn");
    EXPECT_EQ(ShowMessageBox(&Owner(), {}, "message_text_12"), 0);
    UiDriver::ClickInNextModal("cancel_btn");
    EXPECT_EQ(ShowMessageBox(&Owner(), {}, "message_text_12"), 0);
    // A close request from the desktop (Alt+F4, the task bar).
    ui::ModalAnswers::Push(
        [](ui::WindowImplBase& box) { box.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE); });
    EXPECT_EQ(ShowMessageBox(nullptr, {}, "message_text_12"), 0);
}

TEST_F(MsgWndTest, TextShowsTheCurrentLanguageAndFollowsASwitch) {
    std::string title;
    std::string before;
    std::string after;
    bool key = false;
    UiDriver::AnswerNextModal([&](UiDriver& box) {
        title = box.Find("MessageTitle")->GetShownText();
        before = box.Find("MessageText")->GetShownText();
        key = box.Find("MessageText")->GetText() == "message_text_20";
        ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
        resources.SetLanguage("jap");
        ASSERT_TRUE(resources.LoadLanguage("lan_jap.xml"));
        resources.ReloadText();
        after = box.Find("MessageText")->GetShownText();
        box.Click("confirm_btn");
    });
    EXPECT_EQ(ShowMessageBox(&Owner(), {}, "message_text_20"), 1);
    EXPECT_TRUE(key);
    EXPECT_EQ(title, "Notice");
    EXPECT_EQ(before, "The mouse was disconnected.");
    EXPECT_EQ(after, "マウスが切断されました。");
}

TEST_F(MsgWndTest, TitleAndTextAreTakenAsTheyAreWithoutTheKeyFlag) {
    std::string title;
    std::string text;
    UiDriver::AnswerNextModal([&](UiDriver& box) {
        title = box.Find("MessageTitle")->GetShownText();
        text = box.Find("MessageText")->GetShownText();
        box.Click("cancel_btn");
    });
    EXPECT_EQ(ShowMessageBox(&Owner(), "msg_title as typed", "message_text_1", false), 0);
    EXPECT_EQ(title, "msg_title as typed");
    EXPECT_EQ(text, "message_text_1");
}

TEST_F(MsgWndTest, TimedMessageClosesItselfWithoutAClick) {
    // Only a guard against a broken timer: if the box is still open after
    // this long, the guard closes it and the test fails. It goes with the
    // box's window.
    constexpr int kMustNotHangMs = 30000;
    bool guardFired = false;
    ui::ModalAnswers::Push([&guardFired](ui::WindowImplBase& box) {
        QTimer::singleShot(kMustNotHangMs, box.GetWindowWidget(), [&guardFired, &box] {
            guardFired = true;
            box.Close(0);
        });
    });
    ShowTimedMessage(true, &Owner(), {}, "message_text_20");
    EXPECT_FALSE(guardFired);
    EXPECT_FALSE(IsMessageShowing("message_text_20"));
}

TEST_F(MsgWndTest, WithoutAutoCloseTheTimedVariantWaitsForTheUser) {
    bool stillOpen = false;
    UiDriver::AnswerNextModal([&](UiDriver& box) {
        ui::test::ProcessEvents();
        stillOpen = box.Window().IsWindowVisible();
        box.Click("confirm_btn");
    });
    ShowTimedMessage(false, &Owner(), {}, "message_text_20");
    EXPECT_TRUE(stillOpen);
}

TEST_F(MsgWndTest, ShowingGuardFollowsNestedBoxes) {
    bool outerShowing = false;
    bool innerShowingInside = false;
    bool outerShowingInside = false;
    bool innerShowingAfter = true;
    int innerResult = -1;
    UiDriver::AnswerNextModal([&](UiDriver& outer) {
        outerShowing = IsMessageShowing("message_text_1");
        UiDriver::AnswerNextModal([&](UiDriver& inner) {
            innerShowingInside = IsMessageShowing("message_text_3");
            outerShowingInside = IsMessageShowing("message_text_1");
            inner.Click("confirm_btn");
        });
        innerResult = ShowMessageBox(&outer.Window(), {}, "message_text_3");
        innerShowingAfter = IsMessageShowing("message_text_3");
        outer.Click("cancel_btn");
    });
    EXPECT_FALSE(IsMessageShowing("message_text_1"));
    EXPECT_EQ(ShowMessageBox(&Owner(), {}, "message_text_1"), 0);
    EXPECT_TRUE(outerShowing);
    EXPECT_TRUE(innerShowingInside);
    EXPECT_TRUE(outerShowingInside);
    EXPECT_EQ(innerResult, 1);
    EXPECT_FALSE(innerShowingAfter);
    EXPECT_FALSE(IsMessageShowing("message_text_1"));
}

TEST_F(MsgWndTest, MissingLayoutShowsNothingAndSaysWhy) {
    ui::CResourceManager::GetInstance().Release();
    ui::CResourceManager::GetInstance().SetResourcePath(VARLOK_TEST_DATA_DIR "/app");
    platform::DebugCapture debug;
    // Would close a box that showed anyway, so that the test cannot hang;
    // left in the queue, it proves that no box ran.
    ui::ModalAnswers::Push([](ui::WindowImplBase& box) { box.Close(0); });
    EXPECT_EQ(ShowMessageBox(nullptr, {}, "message_text_8"), 0);
    EXPECT_EQ(ui::ModalAnswers::Pending(), 1u);
    bool said = false;
    for (const std::string& line : debug.Lines()) {
        said = said || line.find("message_text_8") != std::string::npos;
    }
    EXPECT_TRUE(said);
}

}  // namespace
}  // namespace varlok::app
