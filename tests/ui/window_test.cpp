#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/buttonui.h"
#include "ui/labelui.h"
#include "ui/qt/windowwidget.h"
#include "ui/windowmessages.h"

namespace varlok::ui::test {
namespace {

class WindowTest : public UiTest {
protected:
    static UiPoint Centre(CPaintManagerUI& pm, std::string_view name) {
        pm.UpdateLayout();
        const UiRect rc = pm.FindControl(name)->GetPos();
        return UiPoint{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
};

TEST_F(WindowTest, CaptionDragsExceptOverButtonsOptionsTextsAndEdits) {
    TestWindow window("XML_CONTROLS");
    ASSERT_TRUE(window.Create(nullptr, "drag"));
    window.ShowWindow();
    ProcessEvents();
    CPaintManagerUI& pm = window.GetPaintManager();
    UiDriver driver(window);
    EXPECT_TRUE(pm.IsCaptionPoint(Centre(pm, "caption_free")));
    EXPECT_TRUE(pm.IsCaptionPoint(Centre(pm, "caption_label")));
    for (const char* name : {"caption_button", "caption_option", "caption_check", "caption_text",
                             "caption_edit", "caption_slider"}) {
        EXPECT_FALSE(pm.IsCaptionPoint(Centre(pm, name))) << name;
    }
    // Below the caption rectangle nothing drags.
    EXPECT_FALSE(pm.IsCaptionPoint(Centre(pm, "palette")));

    const UiRect before = window.GetWindowRect();
    ASSERT_TRUE(driver.DragFrom(Centre(pm, "caption_free"), UiPoint{30, 20}));
    const UiRect after = window.GetWindowRect();
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);
    EXPECT_EQ(after.Width(), before.Width());
    // Dragging from a button moves nothing.
    ASSERT_TRUE(driver.DragFrom(Centre(pm, "caption_button"), UiPoint{30, 20}));
    EXPECT_EQ(window.GetWindowRect().left, after.left);
    EXPECT_EQ(window.Trace(), "");
}

TEST_F(WindowTest, SetDpiScalesWindowLayoutAndFonts) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "dpi"));
    window.ShowWindow();
    ProcessEvents();
    CPaintManagerUI& pm = window.GetPaintManager();
    EXPECT_EQ(pm.GetDPI(), 96);
    ASSERT_TRUE(pm.SetDPI(144));
    ProcessEvents();
    EXPECT_EQ(window.GetClientSize().cx, 600);
    EXPECT_EQ(window.GetClientSize().cy, 450);
    EXPECT_EQ(pm.GetInitSize().cx, 600);
    pm.UpdateLayout();
    EXPECT_EQ(pm.FindControl("caption")->GetPos().Height(), 54);
    EXPECT_EQ(pm.FindControl("closebtn")->GetPos().Width(), 54);
    EXPECT_EQ(pm.FindControl("styled_button")->GetPos().Height(), 45);
    // Sizes as set stay in 96-dpi units.
    EXPECT_EQ(pm.FindControl("styled_button")->GetFixedHeight(), 30);
    EXPECT_EQ(pm.ScaleValue(12), 18);
    EXPECT_FALSE(pm.SetDPI(10));
    EXPECT_EQ(pm.GetDPI(), 144);
    ASSERT_TRUE(pm.SetDPI(96));
    ProcessEvents();
    EXPECT_EQ(window.GetClientSize().cx, 400);
}

TEST_F(WindowTest, WindowButtonsMinimiseMaximiseRestoreAndClose) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "buttons"));
    window.ShowWindow();
    ProcessEvents();
    UiDriver driver(window);
    CPaintManagerUI& pm = window.GetPaintManager();
    ASSERT_TRUE(driver.Click("maxbtn"));
    EXPECT_TRUE(window.IsMaximized());
    EXPECT_FALSE(pm.FindControl("maxbtn")->IsVisible());
    EXPECT_TRUE(pm.FindControl("restorebtn")->IsVisible());
    ASSERT_TRUE(driver.Click("restorebtn"));
    EXPECT_FALSE(window.IsMaximized());
    EXPECT_TRUE(pm.FindControl("maxbtn")->IsVisible());
    window.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(window.IsMinimized());
    window.Restore();
    EXPECT_FALSE(window.IsMinimized());

    ASSERT_TRUE(driver.Click("closebtn"));
    ProcessEvents();
    EXPECT_FALSE(window.IsWindow());
    EXPECT_EQ(window.finalMessageCalls, 1);
    // WM_DESTROY went through HandleCustomMessage before the controls went.
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), WM_DESTROY),
              window.messages.end());
    EXPECT_EQ(pm.FindControl("closebtn"), nullptr);
    window.Close(3);  // a second close is ignored
    EXPECT_EQ(window.finalMessageCalls, 1);
}

TEST_F(WindowTest, TopmostCentreAndRoundCorners) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "shape"));
    window.ShowWindow();
    window.SetTopmost(true);
    EXPECT_TRUE(window.IsTopmost());
    EXPECT_TRUE(window.GetWindowWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.IsWindowVisible());
    window.SetTopmost(false);
    EXPECT_FALSE(window.GetWindowWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.IsWindowVisible());

    window.CenterWindow();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const UiRect rc = window.GetWindowRect();
    EXPECT_NEAR((rc.left + rc.right) / 2, screen.center().x(), 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, screen.center().y(), 1);

    // Round corners of 8: the corner pixel is outside the window's shape.
    const QRegion mask = window.GetWindowWidget()->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(4, 4)));
    EXPECT_TRUE(mask.contains(QPoint(200, 0)));
}

TEST_F(WindowTest, ModalWindowIsAnsweredByAQueuedAnswer) {
    TestWindow owner("main.xml");
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    owner.ShowWindow();
    TestWindow dialog("main.xml");
    ASSERT_TRUE(dialog.Create(&owner, "modal"));
    dialog.onNotify = [&dialog](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "styled_button") {
            dialog.Close(7);
        }
    };
    UiDriver::ClickInNextModal("styled_button");
    EXPECT_EQ(dialog.ShowModal(), 7);
    EXPECT_EQ(dialog.Trace(), "click:styled_button");
    EXPECT_FALSE(dialog.IsWindow());
    EXPECT_EQ(ModalAnswers::Pending(), 0u);

    // The window's own close button answers 0.
    TestWindow second("main.xml");
    ASSERT_TRUE(second.Create(&owner, "modal 2"));
    UiDriver::ClickInNextModal("closebtn");
    EXPECT_EQ(second.ShowModal(), 0);
}

TEST_F(WindowTest, WindowObjectDestroyedWhileAnEventIsDeliveredGetsNothingQueued) {
    TestWindow owner("XML_CONTROLS");
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    owner.ShowWindow();
    ProcessEvents();
    std::unique_ptr<TestWindow> other;
    owner.onNotify = [&other](TNotifyUI& msg) {
        if (msg.sType != "click" || msg.pSender->GetName() != "hoverbtn") {
            return;
        }
        // Its "windowinit", a relayout and the close are queued, then the
        // object goes while the click is still being handled.
        other = std::make_unique<TestWindow>("main.xml");
        ASSERT_TRUE(other->Create(nullptr, "other"));
        other->ShowWindow();
        other->GetPaintManager().FindControl("styled_button")->SetVisible(false);
        other->Close();
        other.reset();
    };
    UiDriver driver(owner);
    ASSERT_TRUE(driver.Click("hoverbtn"));
    ProcessEvents();
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(owner.Trace(), "click:hoverbtn");
    owner.onNotify = nullptr;
}

TEST_F(WindowTest, WindowObjectDestroyedByAReceiverOfItsOwnNotification) {
    auto window = std::make_unique<TestWindow>("XML_CONTROLS");
    ASSERT_TRUE(window->Create(nullptr, "doomed"));
    window->ShowWindow();
    ProcessEvents();
    // Page code listening beside the window decides to drop the whole window.
    struct Dropper : INotifyUI {
        std::unique_ptr<TestWindow>* window = nullptr;
        void Notify(TNotifyUI& msg) override {
            if (msg.sType == "click" && msg.pSender->GetName() == "hoverbtn") {
                window->reset();
            }
        }
    } dropper;
    dropper.window = &window;
    struct ClickCounter : INotifyUI {
        int clicks = 0;
        void Notify(TNotifyUI& msg) override { clicks += msg.sType == "click" ? 1 : 0; }
    } after;
    window->GetPaintManager().AddNotifier(&dropper);
    window->GetPaintManager().AddNotifier(&after);
    UiDriver driver(*window);
    ASSERT_TRUE(driver.Click("hoverbtn"));
    ProcessEvents();
    EXPECT_EQ(window, nullptr);
    // The window's receivers went with it.
    EXPECT_EQ(after.clicks, 0);
}

TEST_F(WindowTest, ModalWindowThatGoesAwayInItsFinalMessageEndsItsLoop) {
    TestWindow owner("main.xml");
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    owner.ShowWindow();
    // Owned by nobody once it is torn down, as windows that delete
    // themselves when they are gone.
    auto dialog = std::make_unique<TestWindow>("main.xml");
    ASSERT_TRUE(dialog->Create(&owner, "self-owned"));
    dialog->onNotify = [&dialog](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "styled_button") {
            dialog->Close(5);
        }
    };
    dialog->onFinalMessage = [&dialog] { dialog.reset(); };
    UiDriver::ClickInNextModal("styled_button");
    EXPECT_EQ(dialog->ShowModal(), 5);
    EXPECT_EQ(dialog, nullptr);
}

TEST_F(WindowTest, TimersAndMessagesReachTheWindow) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "timers"));
    ASSERT_TRUE(window.GetHandle().IsValid());
    window.SendMessage(WM_TIMER, 4);
    ASSERT_EQ(window.timers.size(), 1u);
    EXPECT_EQ(window.timers[0], 4u);
    // Posted from the handle: arrives through the message loop.
    ASSERT_TRUE(window.GetHandle().Post(0x0C05, 1, 2));
    ProcessEvents();
    EXPECT_NE(std::find(window.messages.begin(), window.messages.end(), 0x0C05u),
              window.messages.end());
    window.Close();
    ProcessEvents();
    EXPECT_FALSE(window.GetHandle().IsValid());
}

using Activations = std::vector<std::pair<WParam, LParam>>;
const std::pair<WParam, LParam> kActive{WA_ACTIVE, 0};
const std::pair<WParam, LParam> kInactive{WA_INACTIVE, 0};

TEST_F(WindowTest, ActivationChangesArriveAsWmActivateOncePerChange) {
    TestWindow first("main.xml");
    TestWindow second("main.xml");
    ASSERT_TRUE(first.Create(nullptr, "first"));
    ASSERT_TRUE(second.Create(nullptr, "second"));
    EXPECT_TRUE(first.activations.empty()) << "created, not yet shown";

    first.ShowWindow();
    ProcessEvents();
    EXPECT_EQ(first.activations, (Activations{kActive}));

    second.ShowWindow();
    ProcessEvents();
    EXPECT_EQ(first.activations, (Activations{kActive, kInactive}));
    EXPECT_EQ(second.activations, (Activations{kActive}));

    // Activating the active window again changes nothing.
    ActivateWindow(second);
    EXPECT_EQ(second.activations, (Activations{kActive}));

    // A click on the first window moves the activation back.
    ASSERT_TRUE(UiDriver(first).Click("styled_button"));
    EXPECT_EQ(first.activations, (Activations{kActive, kInactive, kActive}));
    EXPECT_EQ(second.activations, (Activations{kActive, kInactive}));

    // The desktop (or another program) takes it.
    DeactivateAllWindows();
    EXPECT_EQ(first.activations, (Activations{kActive, kInactive, kActive, kInactive}));
    EXPECT_EQ(second.activations, (Activations{kActive, kInactive}));
    first.Close();
    second.Close();
    ProcessEvents();
}

TEST_F(WindowTest, ClosingTheActiveWindowDeactivatesItBeforeWmDestroy) {
    TestWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "closing"));
    window.ShowWindow();
    ProcessEvents();
    ASSERT_EQ(window.activations, (Activations{kActive}));
    window.Close();
    ProcessEvents();
    EXPECT_EQ(window.activations, (Activations{kActive, kInactive}));
    const auto deactivated = std::find(window.messages.begin(), window.messages.end(), WM_ACTIVATE);
    const auto destroyed = std::find(window.messages.begin(), window.messages.end(), WM_DESTROY);
    ASSERT_NE(destroyed, window.messages.end());
    EXPECT_LT(std::find(deactivated + 1, window.messages.end(), WM_ACTIVATE), destroyed);
    EXPECT_EQ(window.finalMessageCalls, 1);

    // An inactive window closes without any.
    TestWindow other("main.xml");
    TestWindow active("main.xml");
    ASSERT_TRUE(other.Create(nullptr, "other"));
    ASSERT_TRUE(active.Create(nullptr, "active"));
    other.ShowWindow();
    active.ShowWindow();
    ProcessEvents();
    ASSERT_EQ(other.activations, (Activations{kActive, kInactive}));
    other.Close();
    ProcessEvents();
    EXPECT_EQ(other.activations, (Activations{kActive, kInactive}));
    active.Close();
    ProcessEvents();
}

TEST_F(WindowTest, AWindowMayCloseOrDestroyItselfWhenDeactivated) {
    auto popup = std::make_unique<TestWindow>("main.xml");
    TestWindow closing("main.xml");
    TestWindow other("main.xml");
    ASSERT_TRUE(popup->Create(nullptr, "popup"));
    ASSERT_TRUE(closing.Create(nullptr, "closing"));
    ASSERT_TRUE(other.Create(nullptr, "other"));
    popup->onActivate = [&popup](WParam state) {
        if (state == WA_INACTIVE) {
            popup.reset();
        }
    };
    closing.onActivate = [&closing](WParam state) {
        if (state == WA_INACTIVE) {
            closing.Close(7);
        }
    };
    other.ShowWindow();
    popup->ShowWindow();
    ProcessEvents();
    ASSERT_NE(popup, nullptr);
    ActivateWindow(other);
    EXPECT_EQ(popup, nullptr);

    closing.ShowWindow();
    ProcessEvents();
    ActivateWindow(other);
    EXPECT_FALSE(closing.IsWindow());
    EXPECT_EQ(closing.finalMessageCalls, 1);
    EXPECT_EQ(closing.activations, (Activations{kActive, kInactive}));
    EXPECT_TRUE(other.IsWindowVisible());
    other.Close();
    ProcessEvents();
}

}  // namespace
}  // namespace varlok::ui::test
