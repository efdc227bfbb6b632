#include <gtest/gtest.h>
#include <QImage>
#include <QPointer>
#include <QTimer>

#include "recordingtarget.h"
#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/buttonui.h"
#include "ui/comboui.h"
#include "ui/containerui.h"
#include "ui/dialogbuilder.h"
#include "ui/labelui.h"
#include "ui/listcontainerelementui.h"
#include "ui/listlabelelementui.h"
#include "ui/listui.h"
#include "ui/progressui.h"
#include "ui/qt/controlwidget.h"
#include "ui/renderengine.h"
#include "ui/sliderui.h"
#include "ui/tablayoutui.h"

namespace varlok::ui::test {
namespace {

// A button that records when it is destroyed, so that tests can tell when a
// removed control really goes.
class ProbeButton : public CButtonUI {
public:
    explicit ProbeButton(bool& destroyed) : m_destroyed(destroyed) {}
    ~ProbeButton() override { m_destroyed = true; }
    ProbeButton(const ProbeButton&) = delete;
    ProbeButton& operator=(const ProbeButton&) = delete;

private:
    bool& m_destroyed;
};

// A receiver added after the window: it looks at the sender of every click
// after the window has handled it.
struct LaterReceiver : INotifyUI {
    std::vector<std::string> clicks;
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == msgtype::kClick) {
            clicks.push_back(std::string(msg.pSender->GetClass()) + ":" + msg.pSender->GetName());
        }
    }
};

class ControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(window.Create(nullptr, "controls"));
        window.ShowWindow();
        ProcessEvents();
        window.notifications.clear();
    }
    template <class T = CControlUI>
    T* Get(std::string_view name) {
        return window.GetPaintManager().FindControl<T>(name);
    }
    // The colour of a control's centre pixel as painted.
    QRgb CentrePixel(CControlUI& control) {
        window.GetPaintManager().UpdateLayout();
        const QImage image = control.Widget().grab().toImage();
        return image.pixel(image.width() / 2, image.height() / 2);
    }

    void TearDown() override {
        window.onNotify = nullptr;
        window.GetPaintManager().RemoveNotifier(&later);
        UiTest::TearDown();
    }
    // Appends a row "probe_row" holding the ProbeButton "probe_button" to the
    // list (index 3), watches the button's widget and adds the later receiver.
    void AddProbe() {
        auto row = std::make_unique<CListContainerElementUI>();
        row->SetName("probe_row");
        row->SetFixedHeight(22);
        auto button = std::make_unique<ProbeButton>(probeDestroyed);
        button->SetName("probe_button");
        probeWidget = &button->Widget();
        row->Add(std::move(button));
        Get<CListUI>("list")->Add(std::move(row));
        window.GetPaintManager().AddNotifier(&later);
    }

    // Declared before the window, which may destroy the probe last.
    bool probeDestroyed = false;
    QPointer<QWidget> probeWidget;
    LaterReceiver later;
    TestWindow window{"XML_CONTROLS"};
    UiDriver driver{window};
};

TEST_F(ControlsTest, FindControlReturnsTheControlOrNone) {
    EXPECT_EQ(Get("hoverbtn")->GetName(), "hoverbtn");
    EXPECT_EQ(Get("hoverbtn")->GetClass(), "ButtonUI");
    EXPECT_EQ(Get("no_such_control"), nullptr);
    EXPECT_EQ(Get(""), nullptr);
    EXPECT_EQ(window.GetPaintManager().FindControl<CComboUI>("hoverbtn"), nullptr);
    // A renamed control is found under its new name only.
    Get("hoverbtn")->SetName("renamed");
    EXPECT_EQ(Get("hoverbtn"), nullptr);
    EXPECT_NE(Get("renamed"), nullptr);
}

TEST_F(ControlsTest, VisibilityEnabledTooltipUserDataAndFixedHeight) {
    CControlUI* button = Get("hoverbtn");
    button->SetToolTip("tip");
    EXPECT_EQ(button->GetToolTip(), "tip");
    button->SetUserData("common/background.png");
    EXPECT_EQ(button->GetUserData(), "common/background.png");
    button->SetVisible(false);
    EXPECT_FALSE(button->IsVisible());
    EXPECT_FALSE(driver.Click("hoverbtn"));
    button->SetVisible(true);
    button->SetEnabled(false);
    EXPECT_FALSE(button->IsEnabled());
    ASSERT_TRUE(driver.Click("hoverbtn"));
    EXPECT_EQ(window.Trace(), "");
    button->SetEnabled(true);

    // A disabled container disables what it holds.
    CControlUI* list = Get("list");
    list->SetEnabled(false);
    EXPECT_TRUE(Get("row_1")->IsEnabled());
    EXPECT_FALSE(Get("row_1")->IsEffectivelyEnabled());
    ASSERT_TRUE(driver.ClickListItem("list", 1));
    EXPECT_EQ(window.Trace(), "");
    list->SetEnabled(true);

    // Mouse input off: clicks pass through without notifications.
    list->SetMouseEnabled(false);
    driver.ClickListItem("list", 0);
    EXPECT_EQ(window.Trace(), "");
    list->SetMouseEnabled(true);

    CControlUI* progress = Get("progress");
    progress->SetFixedHeight(18);
    window.GetPaintManager().UpdateLayout();
    EXPECT_EQ(progress->GetFixedHeight(), 18);
    EXPECT_EQ(progress->GetPos().Height(), 18);
}

TEST_F(ControlsTest, ItemsOfAContainerDeclaredHiddenShowAndHideWithIt) {
    CDialogBuilder builder;
    const auto root = builder.CreateFromText(
        "<VerticalLayout><HorizontalLayout visible=\"false\"><Label/>"
        "<HorizontalLayout visible=\"false\"><Label/></HorizontalLayout>"
        "</HorizontalLayout></VerticalLayout>",
        nullptr, &window.GetPaintManager());
    ASSERT_NE(root, nullptr) << builder.GetLastError();
    auto* box = dynamic_cast<CContainerUI*>(dynamic_cast<CContainerUI&>(*root).GetItemAt(0));
    ASSERT_NE(box, nullptr);
    CControlUI* text = box->GetItemAt(0);
    auto* inner = dynamic_cast<CContainerUI*>(box->GetItemAt(1));
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(text->IsVisible());

    box->SetVisible(true);
    EXPECT_TRUE(text->IsVisible());
    // A container hidden in its own right keeps its items hidden.
    EXPECT_FALSE(inner->IsVisible());
    EXPECT_FALSE(inner->GetItemAt(0)->IsVisible());
    inner->SetVisible(true);
    EXPECT_TRUE(inner->GetItemAt(0)->IsVisible());

    box->SetVisible(false);
    EXPECT_FALSE(text->IsVisible());
    EXPECT_FALSE(inner->GetItemAt(0)->IsVisible());
    box->SetVisible(true);
    EXPECT_TRUE(inner->GetItemAt(0)->IsVisible());
}

TEST_F(ControlsTest, BackgroundColourImageAndChangerOverlayArePainted) {
    CControlUI* page = Get("caption_free");
    page->SetBkColor(0xFF102030u);
    EXPECT_EQ(page->GetBkColor(), 0xFF102030u);
    EXPECT_EQ(CentrePixel(*page), qRgb(0x10, 0x20, 0x30));

    page->SetIsChangerColor(true);
    page->SetChangerColor(0x00FF0000u);
    page->SetChangerAlpha(0);
    EXPECT_EQ(CentrePixel(*page), qRgb(0x10, 0x20, 0x30));  // alpha 0 is invisible
    page->SetChangerAlpha(255);
    EXPECT_EQ(CentrePixel(*page), qRgb(0xFF, 0x00, 0x00));
    page->SetChangerAlpha(300);
    EXPECT_EQ(page->GetChangerAlpha(), 255);
    page->SetChangerAlpha(128);
    const QRgb mixed = CentrePixel(*page);
    EXPECT_NEAR(qRed(mixed), (0x10 * 127 + 0xFF * 128) / 255, 2);
    EXPECT_NEAR(qBlue(mixed), 0x30 * 127 / 255, 2);
    page->SetIsChangerColor(false);
    EXPECT_EQ(CentrePixel(*page), qRgb(0x10, 0x20, 0x30));

    // A background picture drawn over the colour; a missing one leaves it.
    page->SetBkImage("pictures/green.svg");
    EXPECT_EQ(CentrePixel(*page), qRgb(0x00, 0xFF, 0x00));
    page->SetBkImage("file='pictures/missing.png'");
    EXPECT_EQ(CentrePixel(*page), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(page->GetBkImage(), "file='pictures/missing.png'");
}

TEST_F(ControlsTest, TextPlacementIsMeasuredAsItIsPainted) {
    CLabelUI label;
    label.SetText("A label that needs some room");
    label.SetTextPadding({10, 0, 6, 0});
    label.SetPos({0, 0, 1000, 30});
    auto placement = label.GetTextPlacement();
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->box, (UiRect{10, 0, 994, 30}));
    const UiSize extent = CRenderEngine::TextExtent(nullptr, *placement);
    EXPECT_GT(extent.cx, 100);
    // The padding is room the text does not get.
    label.SetPos({0, 0, extent.cx + 16, 30});
    EXPECT_TRUE(CRenderEngine::TextFits(nullptr, *label.GetTextPlacement()));
    label.SetPos({0, 0, extent.cx + 15, 30});
    EXPECT_FALSE(CRenderEngine::TextFits(nullptr, *label.GetTextPlacement()));
    // Wrapped, it needs two lines' height.
    label.SetTextStyle(textstyle::kWordBreak);
    label.SetPos({0, 0, extent.cx / 2 + 30, extent.cy + 2});
    EXPECT_FALSE(CRenderEngine::TextFits(nullptr, *label.GetTextPlacement()));
    label.SetPos({0, 0, extent.cx / 2 + 30, 3 * extent.cy});
    EXPECT_TRUE(CRenderEngine::TextFits(nullptr, *label.GetTextPlacement()));

    // A combo box places its chosen item's text beside the arrow.
    auto* combo = Get<CComboUI>("combo");
    combo->SelectItem(1, false, false);
    window.GetPaintManager().UpdateLayout();
    placement = combo->GetTextPlacement();
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->text, "item_one");
    EXPECT_LT(placement->box.right, combo->GetPos().right - 16);
}

TEST_F(ControlsTest, ComboItemOperations) {
    auto* combo = Get<CComboUI>("combo");
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetItemAt(1)->GetText(), "item_one");
    EXPECT_EQ(combo->GetItemAt(3), nullptr);
    auto item = std::make_unique<CListLabelElementUI>();
    item->SetText("added");
    combo->Add(std::move(item));
    EXPECT_EQ(combo->GetCount(), 4);
    combo->SelectItem(3, false, false);
    EXPECT_EQ(combo->GetText(), "added");
    // Removing an item above the selection keeps the same item selected.
    EXPECT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "added");
    // Removing the selected item clears the selection, silently.
    EXPECT_TRUE(combo->RemoveAt(2));
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(combo->RemoveAt(5));
    EXPECT_EQ(window.Trace(), "");
    // Items added later take part in the user's selection.
    ASSERT_TRUE(driver.SelectComboItem("combo", 1));
    EXPECT_EQ(combo->GetCurSel(), 1);
    combo->RemoveAll();
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_FALSE(driver.SelectComboItem("combo", 0));
}

TEST_F(ControlsTest, ListItemsInsertRemoveAndScrollIntoView) {
    auto* list = Get<CListUI>("list");
    for (int i = 0; i < 20; ++i) {
        auto row = std::make_unique<CListLabelElementUI>();
        row->SetText("row " + std::to_string(i));
        row->SetUserData(std::to_string(i));
        row->SetFixedHeight(25);
        list->Add(std::move(row));
    }
    EXPECT_EQ(list->GetCount(), 23);
    auto inserted = std::make_unique<CListContainerElementUI>();
    inserted->SetName("inserted");
    list->AddAt(std::move(inserted), 1);
    EXPECT_EQ(list->GetItemIndex(Get("inserted")), 1);
    EXPECT_EQ(dynamic_cast<IListItemUI*>(list->GetItemAt(2))->GetIndex(), 2);

    // Selecting an item far down scrolls it into view; a user click on it works.
    list->SelectItem(22, false, false);
    window.GetPaintManager().UpdateLayout();
    const UiRect listRect = list->GetPos();
    const UiRect itemRect = list->GetItemAt(22)->GetPos();
    EXPECT_GE(itemRect.top, listRect.top);
    EXPECT_LE(itemRect.bottom, listRect.bottom);
    ASSERT_TRUE(driver.ClickListItem("list", 23));
    EXPECT_EQ(list->GetCurSel(), 23);
    EXPECT_EQ(list->GetItemAt(23)->GetUserData(), "19");

    // Removing the selected row clears the selection; others keep order.
    EXPECT_TRUE(list->Remove(list->GetItemAt(23)));
    EXPECT_EQ(list->GetCurSel(), -1);
    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(Get("row_0"), nullptr);
}

TEST_F(ControlsTest, TabPagesSliderAndProgressRanges) {
    auto* tabs = Get<CTabLayoutUI>("tabs");
    EXPECT_EQ(tabs->GetCurSel(), 1);  // selectedid from the layout
    EXPECT_TRUE(Get("page_1")->IsVisible());
    EXPECT_FALSE(Get("page_0")->IsVisible());
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(Get("page_1")->IsVisible());
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->GetCurSel(), 2);

    auto* slider = Get<CSliderUI>("slider");
    EXPECT_EQ(slider->GetMinValue(), 0);
    EXPECT_EQ(slider->GetMaxValue(), 15);
    EXPECT_EQ(slider->GetValue(), 3);
    slider->SetMaxValue(7);
    EXPECT_EQ(slider->GetValue(), 3);
    slider->SetValue(-4);
    EXPECT_EQ(slider->GetValue(), 0);

    auto* progress = Get<CProgressUI>("progress");
    EXPECT_EQ(progress->GetMaxValue(), 200);
    progress->SetValue(250);
    EXPECT_EQ(progress->GetValue(), 200);
    progress->SetMinValue(10);
    progress->SetMaxValue(110);
    progress->SetValue(60);
    EXPECT_EQ(progress->GetValue(), 60);
}

TEST_F(ControlsTest, SetAttributeByNameCoversTheLayoutAttributes) {
    CControlUI* label = Get("caption_free");
    label->SetAttribute("bkcolor", "#80112233");
    label->SetAttribute("USERDATA", "x");  // names without regard to case
    label->SetAttribute("padding", "1,2,3,4");
    label->SetAttribute("height", "17");
    label->SetAttribute("visible", "false");
    label->SetAttribute("no_such_attribute", "1");
    EXPECT_EQ(label->GetBkColor(), 0x80112233u);
    EXPECT_EQ(label->GetUserData(), "x");
    EXPECT_EQ(label->GetPadding().bottom, 4);
    EXPECT_EQ(label->GetFixedHeight(), 17);
    EXPECT_FALSE(label->IsVisible());
    label->ApplyAttributeList(R"(visible="true" bkcolor='#FF000000' tooltip="hi")");
    EXPECT_TRUE(label->IsVisible());
    EXPECT_EQ(label->GetBkColor(), 0xFF000000u);
    EXPECT_EQ(label->GetToolTip(), "hi");
    // A malformed colour reads as no colour.
    label->SetAttribute("bkcolor", "#12");
    EXPECT_EQ(label->GetBkColor(), 0u);
}

TEST_F(ControlsTest, ControlRemovedFromItsOwnNotificationIsSafe) {
    auto* list = Get<CListUI>("list");
    window.onNotify = [list](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "row_2_button") {
            list->RemoveAt(2);
        }
    };
    ASSERT_TRUE(driver.Click("row_2_button"));
    ProcessEvents();
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(Get("row_2_button"), nullptr);
    window.onNotify = nullptr;
}

TEST_F(ControlsTest, ListRowRemovedFromItsOwnItemClickSelectsNoOtherRow) {
    auto* list = Get<CListUI>("list");
    window.onNotify = [list](TNotifyUI& msg) {
        if (msg.sType == "itemclick" && msg.pSender->GetName() == "row_0") {
            list->Remove(msg.pSender);
        }
    };
    ASSERT_TRUE(driver.ClickListItem("list", 0));
    // The row finishes the press after leaving the list: no other row takes
    // its place as the selection.
    EXPECT_EQ(window.Trace(), "itemclick:row_0");
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetCount(), 2);
    window.onNotify = nullptr;
}

TEST_F(ControlsTest, ControlRemovedFromANotificationSentByCodeOutlivesTheDelivery) {
    AddProbe();
    auto* list = Get<CListUI>("list");
    window.onNotify = [list](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "probe_button") {
            list->RemoveAt(3);
        }
    };
    // No input event is being handled: page code clicks the button itself.
    Get<CButtonUI>("probe_button")->Activate();
    EXPECT_EQ(later.clicks, std::vector<std::string>{"ButtonUI:probe_button"});
    // Gone from the window at once, destroyed with its widget on the next turn.
    EXPECT_EQ(Get("probe_button"), nullptr);
    EXPECT_EQ(list->GetCount(), 3);
    EXPECT_FALSE(probeDestroyed);
    EXPECT_FALSE(probeWidget.isNull());
    ProcessEvents();
    EXPECT_TRUE(probeDestroyed);
    EXPECT_TRUE(probeWidget.isNull());
}

TEST_F(ControlsTest, ControlRemovedBeforeAModalLoopInItsNotificationOutlivesTheLoop) {
    AddProbe();
    auto* list = Get<CListUI>("list");
    bool aliveAfterLoop = false;
    window.onNotify = [this, list, &aliveAfterLoop](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "probe_button") {
            list->RemoveAll();
            // As a message box would: the nested loop serves everything queued.
            ModalLoop loop;
            QTimer::singleShot(0, [&loop] { loop.End(1); });
            EXPECT_EQ(RunGuarded(loop), 1);
            aliveAfterLoop = !probeDestroyed;
        }
    };
    ASSERT_TRUE(driver.Click("probe_button"));
    EXPECT_TRUE(aliveAfterLoop);
    EXPECT_EQ(later.clicks, std::vector<std::string>{"ButtonUI:probe_button"});
    EXPECT_EQ(list->GetCount(), 0);
    ProcessEvents();
    EXPECT_TRUE(probeDestroyed);
    EXPECT_TRUE(probeWidget.isNull());
}

TEST_F(ControlsTest, WindowContentReplacedFromANotificationOutlivesTheDelivery) {
    AddProbe();
    CPaintManagerUI& pm = window.GetPaintManager();
    window.onNotify = [&pm](TNotifyUI& msg) {
        if (msg.sType == "click" && msg.pSender->GetName() == "probe_button") {
            auto page = std::make_unique<CButtonUI>();
            page->SetName("new_root");
            pm.AttachDialog(std::move(page));
        }
    };
    ASSERT_TRUE(driver.Click("probe_button"));
    EXPECT_EQ(later.clicks, std::vector<std::string>{"ButtonUI:probe_button"});
    EXPECT_TRUE(probeDestroyed);
    EXPECT_TRUE(probeWidget.isNull());
    EXPECT_EQ(Get("list"), nullptr);
    ASSERT_NE(Get("new_root"), nullptr);
    EXPECT_TRUE(driver.Click("new_root"));
    EXPECT_EQ(later.clicks.back(), "ButtonUI:new_root");
}

}  // namespace
}  // namespace varlok::ui::test
