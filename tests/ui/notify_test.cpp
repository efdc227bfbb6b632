#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/checkboxui.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/editui.h"
#include "ui/listui.h"
#include "ui/optionui.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/windowwidget.h"
#include "ui/sliderui.h"

namespace varlok::ui::test {
namespace {

class NotifyTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(window.Create(nullptr, "controls"));
        window.ShowWindow();
        ProcessEvents();
        window.notifications.clear();
    }
    template <class T>
    T* Get(std::string_view name) {
        return window.GetPaintManager().FindControl<T>(name);
    }

    TestWindow window{"XML_CONTROLS"};
    UiDriver driver{window};
};

TEST_F(NotifyTest, WindowInitArrivesOnceAfterCreateAndWindowSizeOnResize) {
    TestWindow other("XML_CONTROLS");
    ASSERT_TRUE(other.Create(nullptr, "other"));
    EXPECT_TRUE(other.Of("windowinit").empty());  // queued, not during Create
    ProcessEvents();
    ASSERT_EQ(other.Of("windowinit").size(), 1u);
    EXPECT_EQ(other.Of("windowinit")[0].sender, "root");
    other.ShowWindow();
    other.MoveWindow(UiRect{0, 0, 600, 480});
    ProcessEvents();
    ASSERT_FALSE(other.Of("windowsize").empty());
    EXPECT_EQ(other.Of("windowsize").back().wParam, 600u);
    EXPECT_EQ(other.Of("windowsize").back().lParam, 480);
}

TEST_F(NotifyTest, ButtonClickAndDisabledButton) {
    ASSERT_TRUE(driver.Click("hoverbtn"));
    EXPECT_EQ(window.Trace(), "click:hoverbtn");
    window.notifications.clear();
    ASSERT_TRUE(driver.Click("disabledbtn"));
    EXPECT_EQ(window.Trace(), "");
    // A press that ends outside the button is no click.
    CControlUI* button = window.GetPaintManager().FindControl("hoverbtn");
    const UiRect rc = button->GetPos();
    ASSERT_TRUE(driver.DragFrom(UiPoint{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2},
                                UiPoint{0, 200}));
    EXPECT_EQ(window.Trace(), "");
}

TEST_F(NotifyTest, HoverSendsEnterAndLeave) {
    ASSERT_TRUE(driver.Hover("hoverbtn"));
    ASSERT_TRUE(driver.Leave("hoverbtn"));
    ASSERT_EQ(window.Of("msenter").size(), 1u);
    EXPECT_EQ(window.Of("msenter")[0].sender, "hoverbtn");
    ASSERT_EQ(window.Of("msleave").size(), 1u);
    EXPECT_EQ(window.Of("msleave")[0].sender, "hoverbtn");
}

TEST_F(NotifyTest, OptionsOfAGroupDeselectEachOtherWithNotifications) {
    auto* a = Get<COptionUI>("opt_a");
    auto* b = Get<COptionUI>("opt_b");
    auto* c = Get<COptionUI>("opt_c");
    ASSERT_TRUE(a->IsSelected());

    ASSERT_TRUE(driver.Click("opt_b"));
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    // Click first, then the deselection of the old option, then the new one.
    EXPECT_EQ(window.Trace(), "click:opt_b selectchanged:opt_a selectchanged:opt_b");
    EXPECT_EQ(window.Of("selectchanged")[0].wParam, 0u);
    EXPECT_EQ(window.Of("selectchanged")[1].wParam, 1u);

    // Clicking the selected option of a group keeps it selected, silently.
    window.notifications.clear();
    ASSERT_TRUE(driver.Click("opt_b"));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(window.Trace(), "click:opt_b");

    // From code: no notification unless asked, and the group still holds.
    window.notifications.clear();
    c->Selected(true);
    EXPECT_TRUE(c->IsSelected());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(window.Trace(), "");
    a->Selected(true, true);
    EXPECT_EQ(window.Trace(), "selectchanged:opt_c selectchanged:opt_a");
    // Asking for a state it already has sends nothing.
    window.notifications.clear();
    a->Selected(true, true);
    EXPECT_EQ(window.Trace(), "");
}

TEST_F(NotifyTest, OptionWithoutGroupAndCheckBoxToggle) {
    auto* solo = Get<COptionUI>("solo");
    auto* check = Get<CCheckBoxUI>("check");
    ASSERT_TRUE(driver.Click("solo"));
    ASSERT_TRUE(driver.Click("solo"));
    ASSERT_TRUE(driver.Click("check"));
    EXPECT_FALSE(solo->IsSelected());
    EXPECT_TRUE(check->GetCheck());
    EXPECT_EQ(window.Trace(),
              "click:solo selectchanged:solo click:solo selectchanged:solo "
              "click:check selectchanged:check");
    window.notifications.clear();
    check->SetCheck(false);
    EXPECT_EQ(window.Trace(), "");
    check->SetCheck(true, true);
    EXPECT_EQ(window.Trace(), "selectchanged:check");
}

TEST_F(NotifyTest, ComboSelectionByUserAndByCode) {
    auto* combo = Get<CComboUI>("combo");
    ASSERT_TRUE(driver.SelectComboItem("combo", 1));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_FALSE(combo->IsDropDownOpen());
    EXPECT_EQ(window.Trace(), "itemclick:combo_1 itemselect:combo");
    EXPECT_EQ(window.Of("itemselect")[0].wParam, 1u);
    EXPECT_EQ(window.Of("itemselect")[0].lParam, -1);

    // The user choosing the selected item again changes nothing.
    window.notifications.clear();
    ASSERT_TRUE(driver.SelectComboItem("combo", 1));
    EXPECT_EQ(window.Trace(), "itemclick:combo_1");

    // From code: "itemselect" by default, only on a change, and never when
    // the call asks for silence.
    window.notifications.clear();
    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_TRUE(combo->SelectItem(0, false, false));
    EXPECT_EQ(window.Trace(), "itemselect:combo");
    EXPECT_EQ(window.Of("itemselect")[0].lParam, 1);
    EXPECT_EQ(combo->GetCurSel(), 0);
    // Clearing the selection sends nothing.
    window.notifications.clear();
    EXPECT_FALSE(combo->SelectItem(-1));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(combo->SelectItem(7));
    EXPECT_EQ(window.Trace(), "");
}

TEST_F(NotifyTest, ListItemClicksAndCodeSelection) {
    auto* list = Get<CListUI>("list");
    ASSERT_TRUE(driver.ClickListItem("list", 1));
    EXPECT_EQ(window.Trace(), "itemclick:row_1 itemselect:list");
    // A click on a label inside a container row counts for the row.
    window.notifications.clear();
    ASSERT_TRUE(driver.Click("row_2_label"));
    EXPECT_EQ(window.Trace(), "itemclick:row_2 itemselect:list");
    EXPECT_EQ(list->GetCurSel(), 2);
    // A button inside a row handles its own click and leaves the selection.
    window.notifications.clear();
    ASSERT_TRUE(driver.Click("row_2_button"));
    EXPECT_EQ(window.Trace(), "click:row_2_button");

    window.notifications.clear();
    list->SelectItem(0);
    list->SelectItem(0);
    list->SelectItem(1, false, false);
    EXPECT_EQ(window.Trace(), "itemselect:list");
    EXPECT_EQ(list->GetCurSel(), 1);
}

TEST_F(NotifyTest, SliderDragClickAndCode) {
    auto* slider = Get<CSliderUI>("slider");
    ASSERT_TRUE(driver.DragSlider("slider", 9));
    EXPECT_EQ(slider->GetValue(), 9);
    const auto moves = window.Of("movevaluechanged");
    ASSERT_EQ(moves.size(), 6u);  // 4, 5, 6, 7, 8, 9
    EXPECT_EQ(moves.front().wParam, 4u);
    EXPECT_EQ(moves.back().wParam, 9u);
    ASSERT_EQ(window.Of("valuechanged").size(), 1u);
    EXPECT_EQ(window.Of("valuechanged")[0].wParam, 9u);
    EXPECT_EQ(window.Trace().rfind("valuechanged:slider"), window.Trace().size() - 19);

    // A click on the track jumps there with one "valuechanged".
    window.notifications.clear();
    const UiRect rc = slider->GetPos();
    ASSERT_TRUE(driver.ClickAt("slider", UiPoint{7, rc.Height() / 2}));
    EXPECT_EQ(slider->GetValue(), 0);
    EXPECT_EQ(window.Trace(), "valuechanged:slider");

    window.notifications.clear();
    slider->SetValue(12);
    slider->SetValue(99);
    EXPECT_EQ(slider->GetValue(), 15);
    EXPECT_EQ(window.Trace(), "");
}

TEST_F(NotifyTest, EditTypingFocusAndReturn) {
    auto* edit = Get<CEditUI>("edit2");
    ASSERT_TRUE(driver.Type("edit2", "300"));
    EXPECT_EQ(edit->GetText(), "300");
    EXPECT_EQ(window.Trace(), "textchanged:edit2 textchanged:edit2 textchanged:edit2");
    ASSERT_FALSE(window.Of("setfocus").empty());
    EXPECT_EQ(window.Of("setfocus")[0].sender, "edit2");

    // A handler that rewrites the text (clamping) triggers no new notification.
    window.notifications.clear();
    window.onNotify = [edit](TNotifyUI& msg) {
        if (msg.sType == "textchanged" && msg.pSender == edit) {
            edit->SetText("100");
        }
    };
    ASSERT_TRUE(driver.Type("edit2", "5"));
    EXPECT_EQ(edit->GetText(), "100");
    EXPECT_EQ(window.Of("textchanged").size(), 1u);
    window.onNotify = nullptr;

    window.notifications.clear();
    ASSERT_TRUE(driver.PressKey("Return"));
    driver.Blur();
    EXPECT_EQ(window.Trace(), "return:edit2");
    ASSERT_EQ(window.Of("killfocus").size(), 1u);
    EXPECT_EQ(window.Of("killfocus")[0].sender, "edit2");

    window.notifications.clear();
    edit->SetText("42");
    EXPECT_EQ(edit->GetText(), "42");
    EXPECT_EQ(window.Trace(), "");
}

// An edit that loses the focus with its window hears of it once Qt's
// activation change is done (a handler may open a modal window there); a
// focus move inside the window is told at once, before whatever moved it
// acts.
TEST_F(NotifyTest, AFocusLostWithTheWindowIsToldAfterTheActivationChange) {
    TestWindow other("XML_CONTROLS");
    ASSERT_TRUE(other.Create(nullptr, "other"));
    other.ShowWindow(true, false);
    ASSERT_TRUE(driver.Focus("edit2"));
    window.notifications.clear();
    QApplication::setActiveWindow(other.GetWindowWidget());
    EXPECT_TRUE(window.Of("killfocus").empty());
    ProcessEvents();
    ASSERT_EQ(window.Of("killfocus").size(), 1u);
    EXPECT_EQ(window.Of("killfocus")[0].sender, "edit2");

    ASSERT_TRUE(driver.Focus("edit2"));
    window.notifications.clear();
    QWidget& edit = Get<CEditUI>("edit")->Widget();
    (edit.focusProxy() != nullptr ? edit.focusProxy() : &edit)->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(window.Of("killfocus").size(), 1u);
    EXPECT_EQ(window.Of("killfocus")[0].sender, "edit2");
}

TEST_F(NotifyTest, PalettePickSendsColourChangedButCodeDoesNot) {
    auto* palette = Get<CColorPaletteUI>("palette");
    palette->SetSelectColor(0xFF0199CBu);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF0199CBu);
    EXPECT_EQ(window.Trace(), "");
    // Top-left of the field is hue 0 at full saturation: pure red at full
    // brightness.
    palette->SetSelectColor(0xFFFFFFFFu);
    ASSERT_TRUE(driver.PickPaletteColour("palette", 0.0, 0.0));
    ASSERT_EQ(window.Of("colorchanged").size(), 1u);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    EXPECT_EQ(window.Of("colorchanged")[0].wParam, 0xFFFF0000u);
    // The left end of the brightness bar is black.
    ASSERT_TRUE(driver.PickPaletteColour("palette", 0.0, 0.5, true));
    EXPECT_EQ(palette->GetSelectColor(), 0xFF000000u);
    EXPECT_EQ(window.Of("colorchanged").size(), 2u);
}

TEST_F(NotifyTest, AnotherReceiverAndRemovalDuringNotify) {
    struct Counter : INotifyUI {
        int count = 0;
        void Notify(TNotifyUI&) override { ++count; }
    } counter;
    CPaintManagerUI& pm = window.GetPaintManager();
    pm.AddNotifier(&counter);
    window.onNotify = [&pm, &counter](TNotifyUI&) { pm.RemoveNotifier(&counter); };
    ASSERT_TRUE(driver.Click("hoverbtn"));
    // The window (first receiver) removed the counter before its turn.
    EXPECT_EQ(counter.count, 0);
    window.onNotify = nullptr;
}

}  // namespace
}  // namespace varlok::ui::test
