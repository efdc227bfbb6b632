// The skins and the About window joined to the real main window through its
// shell hooks, as the program starts them (the main window's start-up runs
// the device workers, hence a threads test).

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <string>
#include <vector>

#include "app/dialoghooks.h"
#include "app/skinobserver.h"
#include "app/support/mainwindowfixture.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "ui/controlui.h"
#include "ui/menuwnd.h"
#include "ui/qt/windowwidget.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using ui::test::UiDriver;

class ShellHooksTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        InstallShellHooks(m_environment.shellHooks, m_environment.mainIni);
        // Keeps the main window on screen after its start-up.
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
    }

    // The visible windows of a window class (the class names are the Qt
    // windows' object names).
    static std::vector<ui::WindowImplBase*> VisibleWindows(std::string_view className) {
        std::vector<ui::WindowImplBase*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<ui::qt::WindowWidget*>(widget);
            if (window != nullptr && window->isVisible() && window->Owner() != nullptr &&
                window->objectName().toStdString() == className) {
                windows.push_back(window->Owner());
            }
        }
        return windows;
    }

    void ChooseMenuItem(std::string_view item) {
        ASSERT_TRUE(UiDriver(*m_window).Click("menubtn"));
        ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
        ASSERT_TRUE(m_window->PopupMenu()->ChooseItem(item));
    }
};

TEST_F(ShellHooksTest, TheStoredPictureIsTheBackgroundFromTheStart) {
    platform::testing::WriteBytes(m_environment.mainIni,
                                  "[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=common/bg_hex.png\r\n");
    CreateWindow();
    Initialise();
    EXPECT_EQ(Find("root")->GetBkImage(), "common/bg_hex.png");
    EXPECT_EQ(Find("root")->GetBkColor(), 0u);
}

TEST_F(ShellHooksTest, TheSkinButtonsPopupChangesTheWindowAndClosesOnAClickElsewhere) {
    CreateWindow();
    Initialise();
    ASSERT_TRUE(UiDriver(*m_window).Click("skinbtn"));
    ASSERT_TRUE(RunUntil([] { return VisibleWindows("UISkinFrame").size() == 1; }));
    UiDriver popup(*VisibleWindows("UISkinFrame").front());

    ASSERT_TRUE(popup.Click("skin_color"));
    ASSERT_TRUE(popup.Click("skin_color_btn"));
    EXPECT_EQ(Find("root")->GetBkColor(), popup.Find("skin_color_btn")->GetBkColor());
    EXPECT_EQ(Find("root")->GetBkImage(), "");

    ASSERT_TRUE(popup.Click("skin_image"));
    ASSERT_TRUE(popup.Click("skin_image_btn"));
    const std::string picture = popup.Find("skin_image_btn")->GetUserData();
    EXPECT_EQ(Find("root")->GetBkImage(), picture);
    EXPECT_EQ(platform::IniFile(m_environment.mainIni).Read("SKINIMAGE", "IMAGE"), picture);

    ASSERT_TRUE(UiDriver(*m_window).Click("main_waiting_title"));
    EXPECT_TRUE(RunUntil([] { return VisibleWindows("UISkinFrame").empty(); }));
    EXPECT_EQ(Find("root")->GetBkImage(), picture);
}

TEST_F(ShellHooksTest, EveryAboutChoiceOpensAnotherWindowThatIsNotModal) {
    CreateWindow();
    Initialise();
    ChooseMenuItem("About_setting");
    ASSERT_TRUE(RunUntil([] { return VisibleWindows("UICOPYRIGHT").size() == 1; }));
    ChooseMenuItem("About_setting");
    ASSERT_TRUE(RunUntil([] { return VisibleWindows("UICOPYRIGHT").size() == 2; }));
    EXPECT_FALSE(VisibleWindows("UICOPYRIGHT").front()->IsModal());
    ASSERT_TRUE(UiDriver(*VisibleWindows("UICOPYRIGHT").front()).Click("closebtn"));
    EXPECT_TRUE(RunUntil([] { return VisibleWindows("UICOPYRIGHT").size() == 1; }));
}

TEST_F(ShellHooksTest, TheWindowLeavesThePublisherWhenItGoes) {
    const std::size_t before = SkinPublisher().Receivers().size();
    CreateWindow();
    EXPECT_EQ(SkinPublisher().Receivers().size(), before + 1);
    CloseWindow();
    m_window.reset();
    EXPECT_EQ(SkinPublisher().Receivers().size(), before);
    EXPECT_EQ(SkinPublisher().PublishSkinChange(SkinChangedParam{true, 0xFF102030u, {}}), 0);
}

}  // namespace
}  // namespace varlok::app
