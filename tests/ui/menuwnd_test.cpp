#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>

#include "recordingtarget.h"
#include "support/uidriver.h"
#include "ui/menuwnd.h"
#include "ui/qt/menulayout.h"
#include "ui/qt/menuwndimpl.h"
#include "ui/resourcemanager.h"
#include "ui/windowmessages.h"

namespace varlok::ui {
namespace {

using test::RecordingTarget;

const std::string kMenus = std::string(VARLOK_TEST_DATA_DIR) + "/ui/menus/";

// Answers the menu's language keys as a window's QueryControlText would.
class MenuTexts : public IQueryControlText {
public:
    std::optional<std::string> QueryControlText(std::string_view id) override {
        if (id == "menu_about") {
            return "About VARLOK";
        }
        if (id == "menu_language") {
            return "Language";
        }
        return std::nullopt;
    }
};

class MenuWnd : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        m_previousQuery = CResourceManager::GetInstance().GetTextQueryInterface();
        CResourceManager::GetInstance().SetTextQueryInterface(&m_texts);
    }
    void TearDown() override {
        CResourceManager::GetInstance().SetTextQueryInterface(m_previousQuery);
    }

    // The choice the owner received last, redeemed.
    static std::optional<MenuChoice> LastChoice(const RecordingTarget& owner) {
        if (owner.received.empty() || owner.received.back().message != 0x0479U) {
            return std::nullopt;
        }
        return TakeMenuChoice(owner.received.back().wParam);
    }

    MenuTexts m_texts;
    IQueryControlText* m_previousQuery = nullptr;
};

TEST_F(MenuWnd, LayoutGivesItemsInOrderWithShownTexts) {
    RecordingTarget owner;
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {100, 100}));
    EXPECT_TRUE(menu.IsOpen());
    const std::vector<MenuItemInfo> items = menu.Items();
    ASSERT_EQ(items.size(), 7U);
    EXPECT_EQ(items[0].name, "lan_menu");
    EXPECT_EQ(items[0].shownText, "Language");
    EXPECT_TRUE(items[0].hasSubMenu);
    EXPECT_EQ(items[1].name, "lan_cn");
    EXPECT_EQ(items[1].depth, 1);
    EXPECT_EQ(items[1].shownText, "中文");
    EXPECT_EQ(items[1].userData, "0");
    EXPECT_TRUE(items[1].checkable);
    EXPECT_FALSE(items[1].checked);
    EXPECT_TRUE(items[2].checked);
    EXPECT_TRUE(items[3].separator);
    EXPECT_EQ(items[3].depth, 0);
    EXPECT_EQ(items[4].name, "Menu_Import");
    EXPECT_FALSE(items[4].enabled);
    EXPECT_EQ(items[5].text, "menu_about");
    EXPECT_EQ(items[5].shownText, "About VARLOK");
    // A key nobody knows is shown as itself.
    EXPECT_EQ(items[6].shownText, "message_text_5");
}

TEST_F(MenuWnd, ChoiceReachesTheOwnerAs0x0479AndIsRedeemedOnce) {
    RecordingTarget owner;
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
    ASSERT_TRUE(menu.ChooseItem("About_setting"));
    EXPECT_FALSE(menu.IsOpen());
    test::DeliverPosted();
    ASSERT_EQ(owner.received.size(), 1U);
    EXPECT_EQ(owner.received[0].message, kMenuCommandMessage);
    EXPECT_EQ(owner.received[0].lParam, 0);
    const WParam ticket = owner.received[0].wParam;
    const std::optional<MenuChoice> choice = TakeMenuChoice(ticket);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "About_setting");
    EXPECT_EQ(choice->userData, "about");
    EXPECT_EQ(choice->text, "menu_about");
    EXPECT_EQ(TakeMenuChoice(ticket), std::nullopt);
    EXPECT_EQ(TakeMenuChoice(0), std::nullopt);
}

TEST_F(MenuWnd, TheMenusOwnKeyboardActivationReportsTheChoice) {
    RecordingTarget owner;
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
    CMenuWnd::Impl& impl = menu.Internals();
    ASSERT_TRUE(impl.menu->isVisible());
    impl.menu->setActiveAction(impl.items[6].action);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(impl.menu.get(), &press);
    test::DeliverPosted();
    const auto choice = LastChoice(owner);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "Unknown_item");
    EXPECT_EQ(choice->text, "message_text_5");
    EXPECT_FALSE(menu.IsOpen());
}

TEST_F(MenuWnd, AddedElementIsLastAndChosenByName) {
    RecordingTarget owner;
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
    menu.AddElement("exit", "Cerrar");
    menu.ResizeMenu();
    const auto items = menu.Items();
    EXPECT_EQ(items.back().name, "exit");
    EXPECT_EQ(items.back().shownText, "Cerrar");
    EXPECT_EQ(items.back().depth, 0);
    ASSERT_TRUE(menu.ChooseItem("exit"));
    test::DeliverPosted();
    const auto choice = LastChoice(owner);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "exit");
    EXPECT_EQ(choice->text, "Cerrar");
}

TEST_F(MenuWnd, ItemsThatCannotBeChosen) {
    RecordingTarget owner;
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
    EXPECT_FALSE(menu.ChooseItem("Menu_Import"));  // disabled
    EXPECT_FALSE(menu.ChooseItem("lan_menu"));     // opens a sub-menu
    EXPECT_FALSE(menu.ChooseItem("nothing"));
    EXPECT_FALSE(menu.ChooseItem(""));  // the separator has no name
    EXPECT_TRUE(menu.IsOpen());
    test::DeliverPosted();
    EXPECT_TRUE(owner.received.empty());
}

TEST_F(MenuWnd, CheckMapIsShownAndToggledAcrossMenus) {
    RecordingTarget owner;
    auto checks = std::make_shared<MenuCheckMap>();
    (*checks)["lan_cn"] = true;
    (*checks)["lan_en"] = false;
    {
        CMenuWnd menu;
        ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}, checks));
        EXPECT_TRUE(menu.Items()[1].checked);
        EXPECT_FALSE(menu.Items()[2].checked);
        ASSERT_TRUE(menu.ChooseItem("lan_en"));
    }
    EXPECT_TRUE((*checks)["lan_en"]);
    CMenuWnd again;
    ASSERT_TRUE(again.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}, checks));
    EXPECT_TRUE(again.Items()[2].checked);
    ASSERT_TRUE(again.ChooseItem("lan_cn"));
    EXPECT_FALSE((*checks)["lan_cn"]);
    test::DeliverPosted();
    EXPECT_EQ(owner.received.size(), 2U);
}

TEST_F(MenuWnd, FilesThatAreNoMenuOpenNothing) {
    RecordingTarget owner;
    CMenuWnd menu;
    EXPECT_FALSE(menu.Init(owner.Handle(), kMenus + "missing.xml", {0, 0}));
    EXPECT_FALSE(menu.Init(owner.Handle(), kMenus + "notamenu.xml", {0, 0}));
    EXPECT_FALSE(menu.Init(owner.Handle(), kMenus + "broken.xml", {0, 0}));
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_TRUE(menu.Items().empty());
    menu.AddElement("exit", "Close");
    EXPECT_TRUE(menu.Items().empty());
    EXPECT_FALSE(menu.ChooseItem("exit"));
}

TEST_F(MenuWnd, DestroyMenuClosesEveryOpenMenu) {
    RecordingTarget owner;
    CMenuWnd first;
    CMenuWnd second;
    ASSERT_TRUE(first.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
    ASSERT_TRUE(second.Init(owner.Handle(), kMenus + "menu.xml", {50, 50}));
    CMenuWnd::DestroyMenu();
    EXPECT_FALSE(first.IsOpen());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(first.Internals().menu->isVisible());
}

TEST_F(MenuWnd, OnlyTheNewestUnredeemedChoicesAreKept) {
    RecordingTarget owner;
    for (int i = 0; i < 70; ++i) {
        CMenuWnd menu;
        ASSERT_TRUE(menu.Init(owner.Handle(), kMenus + "menu.xml", {10, 10}));
        menu.AddElement("item", std::to_string(i));
        ASSERT_TRUE(menu.ChooseItem("item"));
    }
    test::DeliverPosted();
    ASSERT_EQ(owner.received.size(), 70U);
    EXPECT_EQ(TakeMenuChoice(owner.received[5].wParam), std::nullopt);
    const auto kept = TakeMenuChoice(owner.received[6].wParam);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->text, "6");
    EXPECT_EQ(TakeMenuChoice(owner.received[69].wParam)->text, "69");
}

TEST(MenuLayout, ParsesNestingAndSkipsStrangers) {
    const QByteArray xml = R"(<Menu>
        <MenuElement name="a" text="A"><Other><MenuElement name="hidden"/></Other>
          <MenuElement name="a1" text="A1" enabled="0" checkable="TRUE"/>
        </MenuElement>
        <MenuElement name="b" text="key" resourcetext="1" userdata="7"/>
      </Menu>)";
    const auto items = qt::ParseMenuLayout(xml);
    ASSERT_TRUE(items.has_value());
    ASSERT_EQ(items->size(), 3U);
    EXPECT_TRUE((*items)[0].info.hasSubMenu);
    EXPECT_EQ((*items)[1].info.name, "a1");
    EXPECT_EQ((*items)[1].info.depth, 1);
    EXPECT_FALSE((*items)[1].info.enabled);
    EXPECT_TRUE((*items)[1].info.checkable);
    EXPECT_FALSE((*items)[1].resourceText);
    EXPECT_TRUE((*items)[2].resourceText);
    EXPECT_EQ((*items)[2].info.userData, "7");
    EXPECT_FALSE(qt::ParseMenuLayout("").has_value());
    EXPECT_FALSE(qt::ParseMenuLayout("<Menu><MenuElement></Menu>").has_value());

    QByteArray deep = "<Menu>";
    for (int i = 0; i < 12; ++i) {
        deep += "<MenuElement name=\"" + QByteArray::number(i) + "\">";
    }
    for (int i = 0; i < 12; ++i) {
        deep += "</MenuElement>";
    }
    deep += "</Menu>";
    const auto nested = qt::ParseMenuLayout(deep);
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(nested->size(), static_cast<std::size_t>(qt::kMaxMenuDepth + 1));
}

}  // namespace
}  // namespace varlok::ui
