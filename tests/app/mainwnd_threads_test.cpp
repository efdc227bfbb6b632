#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/languagesettings.h"
#include "app/languagetable.h"
#include "app/mainwindowhandle.h"
#include "app/support/mainwindowfixture.h"
#include "platform/autostartentry.h"
#include "platform/debugoutput.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "platform/tempfolder.h"
#include "ui/buttonui.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/containerui.h"
#include "ui/lightpictureui.h"
#include "ui/modalanswers.h"
#include "ui/optionui.h"
#include "ui/recordingtarget.h"
#include "ui/resourcemanager.h"
#include "ui/support/uidriver.h"
#include "ui/tablayoutui.h"
#include "ui/trayicon.h"
#include "ui/windowmessages.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;

class MainWindowTest : public testing::MainWindowFixture {
protected:
    [[nodiscard]] int PageOf(std::string_view tabLayout) const {
        auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(Find(tabLayout));
        return tabs != nullptr ? tabs->GetCurSel() : -2;
    }
    [[nodiscard]] bool IsSelected(std::string_view option) const {
        auto* control = dynamic_cast<ui::COptionUI*>(Find(option));
        return control != nullptr && control->IsSelected();
    }
    [[nodiscard]] bool IsVisible(std::string_view name) const {
        const ui::CControlUI* control = Find(name);
        return control != nullptr && control->IsVisible();
    }
    // The mouse page as the presence monitor leaves it on connection.
    void ShowMousePage() {
        Find("ms_tab")->SetVisible(true);
        Find("ms_tab_panel")->SetVisible(true);
        ui::test::UiDriver(*m_window).Click("ms_tab");
    }
    // A new macro with a recording not saved: edits the section keeps.
    void MakeUnsavedMacroEdits() {
        ui::test::UiDriver driver(*m_window);
        ASSERT_TRUE(driver.Click("ms_macro_btn_name_add"));
        ASSERT_TRUE(driver.Click("ms_macro_btn_redio"));
        ASSERT_TRUE(driver.Click("ms_macro_btn_redio"));
        ASSERT_TRUE(IsVisible("ms_macro_tab_saveorcancel"));
    }
    void PostTrayRelease(ui::MessageId mouseMessage) {
        m_window->GetHandle().Post(ui::kTrayIconMessage, 1, static_cast<ui::LParam>(mouseMessage));
    }
};

TEST_F(MainWindowTest, InitWindowPreparesTheControlsTheHandleAndTheTrayIcon) {
    CMainWnd& window = CreateWindow();
    EXPECT_EQ(MainWindowHandle(), window.GetHandle());
    EXPECT_EQ(ui::CResourceManager::GetInstance().GetTextQueryInterface(), &window);
    EXPECT_TRUE(window.TrayIcon().IsCreated());
    EXPECT_EQ(window.TrayIcon().ToolTip(), "VARLOK");
    // The lighting section starts at the accent colour once the window
    // initialises, and the mouse picture's 24 LEDs are fully faded.
    Initialise();
    const auto* picture = dynamic_cast<const ui::CLightPictureUI*>(Find("ms_mouse_body"));
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->GetLightCount(), 24u);
    for (std::size_t i = 0; i < 24; ++i) {
        EXPECT_EQ(picture->GetLightAlpha(i), 0) << i;
    }
    auto* palette = dynamic_cast<ui::CColorPaletteUI*>(Find("ms_deng_Color_Pallet"));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF0199CBU);
    EXPECT_EQ(Find("ms_Deng_colordp_btn")->GetBkColor(), 0xFF0199CBU);
    EXPECT_EQ(Find("ms_Deng_edit_G")->GetText(), "153");
    CloseWindow();
    EXPECT_EQ(MainWindowHandle().Id(), 0U);
}

TEST_F(MainWindowTest, LayoutClassesBuildTheirSubLayoutsWhateverTheirCase) {
    CMainWnd& window = CreateWindow();
    const auto page = window.CreateControl("ms_dpi_ui");
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->FindControlByName("ms_dpi_section"), nullptr);
    const auto lighting = window.CreateControl("MS_DENG_UI");
    ASSERT_NE(lighting, nullptr);
    EXPECT_NE(lighting->FindControlByName("ms_deng_Color_Pallet"), nullptr);
    EXPECT_EQ(window.CreateControl("circleprogress")->GetClass(), "CircleProgress");
    EXPECT_EQ(window.CreateControl("DeviceKeyButton")->GetClass(), "DeviceKeyButton");
    EXPECT_EQ(window.CreateControl("MS_Mystery_UI"), nullptr);
    // A sub-layout file that cannot be built gives no controls.
    std::filesystem::remove(m_skin / "Mouse_cursor.xml");
    EXPECT_EQ(window.CreateControl("MS_CURSOR_UI"), nullptr);
    // The window's own layout holds every section.
    for (const char* name : {"ms_deng_section", "ms_macro_section", "ms_key_section",
                             "ms_dpi_section", "ms_cursor_section"}) {
        EXPECT_NE(Find(name), nullptr) << name;
    }
}

TEST_F(MainWindowTest, QueryControlTextAnswersTheTwoTitleKeysByLanguage) {
    CMainWnd& window = CreateWindow();
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage("en");
    EXPECT_EQ(window.QueryControlText("TitleText"), "Duilib Demo v1.1");
    EXPECT_EQ(window.QueryControlText("hometext"), "{a}Home Page{/a}");
    resources.SetLanguage("cn");
    EXPECT_EQ(window.QueryControlText("titletext"), "mouse");
    EXPECT_EQ(window.QueryControlText("HOMETEXT"), "{a}演示官网{/a}");
    EXPECT_EQ(window.QueryControlText("message_text_1"), std::nullopt);
}

TEST_F(MainWindowTest, FunctionTabsSwitchTheMousePageSections) {
    CreateWindow();
    Initialise();
    ShowMousePage();
    EXPECT_EQ(PageOf("tab_switch"), 1);
    ui::test::UiDriver driver(*m_window);
    const std::pair<const char*, int> tabs[] = {{"ms_macro_Op_tab", 1},
                                                {"ms_rich_Op_tab", 3},
                                                {"ms_cursor_Op_tab", 4},
                                                {"ms_deng_Op_tab", 0}};
    for (const auto& [tab, page] : tabs) {
        ASSERT_TRUE(driver.Click(tab)) << tab;
        EXPECT_EQ(PageOf("ms_tab_switch"), page) << tab;
    }
    // The key section shows its function editor when it is chosen from
    // another section.
    EXPECT_FALSE(IsVisible("ms_tab_function"));
    ASSERT_TRUE(driver.Click("ms_key_Op_tab"));
    EXPECT_EQ(PageOf("ms_tab_switch"), 2);
    EXPECT_TRUE(IsVisible("ms_tab_function"));
}

TEST_F(MainWindowTest, UnsavedMacroEditsKeepTheMacroSection) {
    CreateWindow();
    Initialise();
    ShowMousePage();
    ui::test::UiDriver driver(*m_window);
    ASSERT_TRUE(driver.Click("ms_macro_Op_tab"));
    MakeUnsavedMacroEdits();
    std::string shown;
    testing::AnswerMessage(shown);
    ASSERT_TRUE(driver.Click("ms_deng_Op_tab"));
    EXPECT_EQ(shown, "message_text_3");
    EXPECT_TRUE(IsSelected("ms_macro_Op_tab"));
    EXPECT_FALSE(IsSelected("ms_deng_Op_tab"));
    EXPECT_TRUE(IsSelected("ms_tab"));
    EXPECT_EQ(PageOf("ms_tab_switch"), 1);
    EXPECT_EQ(PageOf("tab_switch"), 1);
    // Without unsaved edits the same click switches.
    ASSERT_TRUE(driver.Click("ms_macro_btn_cancel"));
    ASSERT_TRUE(driver.Click("ms_deng_Op_tab"));
    EXPECT_EQ(PageOf("ms_tab_switch"), 0);
}

TEST_F(MainWindowTest, AProgramSwitchThatUnticksALinkPassesUnsavedMacroEdits) {
    std::filesystem::create_directories(m_folder / "ms");
    platform::IniFile store(m_folder / "ms" / "msProfile.ini");
    for (const auto& [section, key, value] : {std::tuple{"PROFILEDEVICECOUNT", "count", "2"},
                                              {"PROFILEDEVICENAME", "0", "Desk"},
                                              {"PROFILEDEVICENAME", "1", "Game"},
                                              {"PROFILELIKEDEVICEEXE", "1", "1"},
                                              {"DEVICEPROCESS", "1", "/opt/game/bin/Game"}}) {
        ASSERT_EQ(store.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    CreateWindow();
    Initialise();
    ShowMousePage();
    ASSERT_TRUE(Driver().Click("ms_macro_Op_tab"));
    MakeUnsavedMacroEdits();
    const auto& devices = dynamic_cast<const ui::CComboUI&>(*Find("ms_device_profile_combo"));
    m_foreground->BringToFront("/opt/game/bin/Game");
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 1; }));
    ASSERT_TRUE(IsSelected("ms_device_profile_link_check"));

    // Leaving the game unticks the link's box with its notification, on the
    // way back to the user's own profile: no section is left.
    std::string shown;
    testing::AnswerMessage(shown);
    m_foreground->BringToFront("/usr/bin/editor");
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 0; }));
    EXPECT_EQ(shown, "");
    EXPECT_FALSE(IsSelected("ms_device_profile_link_check"));
    EXPECT_TRUE(IsSelected("ms_macro_Op_tab"));
    EXPECT_EQ(PageOf("ms_tab_switch"), 1);
    ui::ModalAnswers::Clear();
}

TEST_F(MainWindowTest, FocusOnAFunctionTabHidesTheProfilePanel) {
    CreateWindow();
    Initialise();
    ShowMousePage();
    // The profile operations' panel, as their layout will add it.
    auto panel = std::make_unique<ui::CControlUI>();
    panel->SetName("ms_profile_fun_spead_tab");
    auto* column = dynamic_cast<ui::CContainerUI*>(Find("ms_device_column"));
    ASSERT_NE(column, nullptr);
    ui::CControlUI* added = column->Add(std::move(panel));
    ASSERT_TRUE(added->IsVisible());
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Focus("ms_rich_Op_tab"));
    EXPECT_FALSE(added->IsVisible());
}

TEST_F(MainWindowTest, TheSkinHooksRunAtTheirPointsOfTheWindowsLife) {
    std::vector<std::string> calls;
    auto& hooks = m_environment.shellHooks;
    hooks.registerSkinReceiver = [&calls](CMainWnd&) { calls.emplace_back("register"); };
    hooks.applySavedBackground = [&calls](CMainWnd&) { calls.emplace_back("background"); };
    hooks.openSkinFrame = [&calls](CMainWnd&, ui::CControlUI& button) {
        calls.push_back("frame under " + button.GetName());
    };
    hooks.unregisterSkinReceiver = [&calls](CMainWnd&) { calls.emplace_back("unregister"); };
    CreateWindow();
    EXPECT_EQ(calls, std::vector<std::string>{"register"});
    Initialise();
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("skinbtn"));
    CloseWindow();
    EXPECT_EQ(calls, (std::vector<std::string>{"register", "background", "frame under skinbtn",
                                               "unregister"}));
}

TEST_F(MainWindowTest, TheScaleButtonSetsTheInterfaceScaleFromItsUserData) {
    CreateWindow();
    Initialise();
    ShowMousePage();
    auto button = std::make_unique<ui::CButtonUI>();
    button->SetName("dpi_btn");
    button->SetUserData("120");
    button->SetFixedWidth(40);
    auto* column = dynamic_cast<ui::CContainerUI*>(Find("caption"));
    ASSERT_NE(column, nullptr);
    column->Add(std::move(button));
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("dpi_btn"));
    EXPECT_EQ(m_window->GetPaintManager().GetDPI(), 120);
}

TEST_F(MainWindowTest, ClosingBeforeAnyWorkerStartedReportsThemAllEnded) {
    CreateWindow();
    platform::DebugCapture debug;
    m_window->Close();
    EXPECT_TRUE(RunUntil([this] { return m_window->GetWindowWidget() == nullptr; }, 5s));
    EXPECT_TRUE(debug.Contains("退出测试"));
    EXPECT_TRUE(debug.Contains("所有对象处于激发状态\n"));
    EXPECT_FALSE(debug.Contains("所有对象处于非激发状态，超时\n"));
    EXPECT_TRUE(m_window->HaveWorkersEnded());
    EXPECT_FALSE(m_window->TrayIcon().IsCreated());
}

TEST_F(MainWindowTest, RightClickOnTheTrayOffersExitInTheStoredLanguage) {
    SetMainIniLanguage("3");
    CreateWindow();
    Initialise();
    // No registry value: main.ini keeps its index.
    EXPECT_EQ(MainIniLanguage(), "3");
    PostTrayRelease(ui::WM_RBUTTONUP);
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    const auto items = m_window->PopupMenu()->Items();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back().name, "exit");
    EXPECT_EQ(items.back().text, "Cerrar");
    // Choosing it closes the window.
    EXPECT_TRUE(m_window->PopupMenu()->ChooseItem("exit"));
    EXPECT_TRUE(RunUntil([this] { return m_window->GetWindowWidget() == nullptr; }));
}

TEST_F(MainWindowTest, TheExitCaptionFollowsEveryLanguageIndex) {
    CreateWindow();
    Initialise();
    const auto lastCaption = [this] {
        ui::CMenuWnd* menu = m_window->PopupMenu();
        return menu != nullptr && !menu->Items().empty() ? menu->Items().back().text
                                                         : std::string();
    };
    for (const LanguageRow& language : LanguageTable()) {
        SetMainIniLanguage(std::to_string(language.index));
        PostTrayRelease(ui::WM_RBUTTONUP);
        EXPECT_TRUE(RunUntil([&] { return lastCaption() == language.exitCaption; }))
            << language.index << ": " << lastCaption();
    }
    // An index no language carries shows the base language's caption.
    SetMainIniLanguage("12");
    PostTrayRelease(ui::WM_RBUTTONUP);
    EXPECT_TRUE(RunUntil([&] { return lastCaption() == "关闭"; })) << lastCaption();
}

TEST_F(MainWindowTest, TrayClickWithoutADeviceKeepsTheWindowHiddenAndExplainsOnce) {
    ui::CTrayIcon::OverrideSystemTrayAvailable(true);
    CreateWindow();
    Initialise();
    // Started hidden in the tray.
    EXPECT_FALSE(m_window->IsWindowVisible());
    std::string shown;
    bool hiddenWhileOpen = false;
    testing::AnswerMessage(shown, [this, &hiddenWhileOpen] {
        hiddenWhileOpen = !m_window->IsWindowVisible();
        // A second click while the message is open opens no second one:
        // it would take the answer queued below.
        PostTrayRelease(ui::WM_LBUTTONUP);
        ui::test::DeliverPosted();
    });
    std::string second;
    testing::AnswerMessage(second);
    PostTrayRelease(ui::WM_LBUTTONUP);
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_1");
    EXPECT_TRUE(hiddenWhileOpen);
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(ui::ModalAnswers::Pending(), 1U);
    EXPECT_FALSE(m_window->IsWindowVisible());
}

TEST_F(MainWindowTest, AnActivationRequestWithoutADeviceExplainsInsteadOfShowing) {
    ui::CTrayIcon::OverrideSystemTrayAvailable(true);
    CreateWindow();
    Initialise();
    std::string shown;
    testing::AnswerMessage(shown);
    m_window->GetHandle().Post(m_environment.activateMessage);
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_1");
    EXPECT_FALSE(m_window->IsWindowVisible());
}

TEST_F(MainWindowTest, WithoutASystemTrayTheWindowIsNeverHidden) {
    ui::CTrayIcon::OverrideSystemTrayAvailable(false);
    CreateWindow();
    Initialise();
    EXPECT_TRUE(m_window->IsWindowVisible());
    std::string shown;
    testing::AnswerMessage(shown);
    PostTrayRelease(ui::WM_LBUTTONUP);
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_TRUE(m_window->IsWindowVisible());
}

class LanguageAtStartTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        WriteLanguageFile("lan_cn.xml", "probe", "中文");
        WriteLanguageFile("lan_en.xml", "probe", "English");
        WriteLanguageFile("lan_jap.xml", "probe", "日本語");
    }
    [[nodiscard]] static std::string Probe() {
        return ui::CResourceManager::GetInstance().GetText("probe");
    }
    [[nodiscard]] static std::string Language() {
        return ui::CResourceManager::GetInstance().GetLanguage();
    }
};

TEST_F(LanguageAtStartTest, TheRegistryCodeChoosesTheLanguageAndIsKeptInMainIni) {
    SetRegistryLanguage("5050");
    CreateWindow();
    // Before "windowinit" the window shows the base language.
    EXPECT_EQ(Probe(), "中文");
    Initialise();
    EXPECT_EQ(MainIniLanguage(), "4");
    EXPECT_EQ(Language(), "jap");
    EXPECT_EQ(Probe(), "日本語");
}

TEST_F(LanguageAtStartTest, WithoutARegistryValueMainIniDecides) {
    SetMainIniLanguage("2");
    CreateWindow();
    Initialise();
    EXPECT_EQ(MainIniLanguage(), "2");
    EXPECT_EQ(Language(), "en");
    EXPECT_EQ(Probe(), "English");
}

TEST_F(LanguageAtStartTest, AnUnknownRegistryCodeMeansChinese) {
    SetRegistryLanguage("9999");
    SetMainIniLanguage("2");
    CreateWindow();
    Initialise();
    EXPECT_EQ(MainIniLanguage(), "0");
    EXPECT_EQ(Language(), "cn");
    EXPECT_EQ(Probe(), "中文");
}

TEST_F(LanguageAtStartTest, AnIndexNoLanguageCarriesLeavesTheBaseFile) {
    SetMainIniLanguage("12");
    CreateWindow();
    Initialise();
    EXPECT_EQ(MainIniLanguage(), "12");
    EXPECT_EQ(Language(), "");
    EXPECT_EQ(Probe(), "中文");
}

TEST_F(LanguageAtStartTest, ChoosingALanguageFromTheMenuStoresItEverywhere) {
    // Chinese at the start, whatever the locale of the test's run.
    SetMainIniLanguage("0");
    CreateWindow();
    Initialise();
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("menubtn"));
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    platform::DebugCapture debug;
    ASSERT_TRUE(m_window->PopupMenu()->ChooseItem("lan_en"));
    ASSERT_TRUE(RunUntil([] { return Language() == "en"; }));
    EXPECT_EQ(Probe(), "English");
    EXPECT_EQ(MainIniLanguage(), "2");
    EXPECT_EQ(platform::Registry(m_environment.registryFile)
                  .ReadString(LanguageSettings::kRegistryKeyPath, LanguageSettings::kRegistryValue),
              "3030");
    EXPECT_TRUE(debug.Contains("写成功！"));
    // The menus show the language in force.
    ASSERT_TRUE(ui::test::UiDriver(*m_window).Click("menubtn"));
    ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
    for (const auto& item : m_window->PopupMenu()->Items()) {
        if (item.name.starts_with("lan_")) {
            EXPECT_EQ(item.checked, item.name == "lan_en") << item.name;
        }
    }
}

TEST_F(MainWindowTest, MenuItemsWithoutAHandlerShowTheirTextAsAMessage) {
    int aboutOpened = 0;
    m_environment.shellHooks.openAbout = [&aboutOpened](CMainWnd&) { ++aboutOpened; };
    // A skin's menu with an item of its own.
    platform::testing::WriteBytes(m_skin / "menu.xml",
                                  "<Menu resourcetext=\"true\">"
                                  "<MenuElement name=\"About_setting\" text=\"menu_about\"/>"
                                  "<MenuElement name=\"Menu_Import\" text=\"menu_import\"/>"
                                  "<MenuElement name=\"Skin_help\" text=\"message_text_5\"/>"
                                  "</Menu>");
    CreateWindow();
    Initialise();
    ui::test::UiDriver driver(*m_window);
    const auto choose = [&](std::string_view item) {
        ASSERT_TRUE(driver.Click("menubtn"));
        ASSERT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
        ASSERT_TRUE(m_window->PopupMenu()->ChooseItem(item));
        ui::test::DeliverPosted();
    };
    choose("About_setting");
    EXPECT_EQ(aboutOpened, 1);
    // Import and export stand for nothing: no message either.
    std::string unexpected;
    testing::AnswerMessage(unexpected);
    choose("Menu_Import");
    EXPECT_TRUE(unexpected.empty());
    ASSERT_EQ(ui::ModalAnswers::Pending(), 1U);
    ui::ModalAnswers::Clear();
    std::string shown;
    testing::AnswerMessage(shown);
    choose("Skin_help");
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_5");
    // The plain menu offers nothing of the virtual mouse.
    for (const auto& item : m_window->PopupMenu()->Items()) {
        EXPECT_FALSE(item.name.starts_with("sim_")) << item.name;
    }
}

TEST_F(MainWindowTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry) {
    CreateWindow();
    Initialise();
    ui::test::UiDriver driver(*m_window);
    // The main menu's check mark, as the menu shows it when it opens.
    const auto checked = [&] {
        EXPECT_TRUE(driver.Click("menubtn"));
        EXPECT_TRUE(RunUntil([this] { return m_window->PopupMenu() != nullptr; }));
        for (const auto& item : m_window->PopupMenu()->Items()) {
            if (item.name == "menu_autostart") {
                EXPECT_TRUE(item.checkable);
                return item.checked;
            }
        }
        ADD_FAILURE() << "no autostart item";
        return false;
    };
    const auto choose = [&] {
        ASSERT_TRUE(m_window->PopupMenu()->ChooseItem("menu_autostart"));
        ui::test::DeliverPosted();
    };
    const std::filesystem::path& file = m_environment.autostartFile;
    const std::string entry = platform::AutostartEntry::EntryText(platform::RunningExecutable());

    EXPECT_FALSE(checked());
    choose();
    EXPECT_EQ(platform::testing::ReadBytes(file), entry);
    EXPECT_TRUE(checked());
    // Switched off in the desktop's own settings, it shows unchecked, and
    // choosing it switches it on again.
    platform::testing::WriteBytes(
        file, "[Desktop Entry]\nExec=varlok\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(checked());
    choose();
    EXPECT_EQ(platform::testing::ReadBytes(file), entry);
    EXPECT_TRUE(checked());
    choose();
    EXPECT_FALSE(std::filesystem::exists(file));

    // Where the entry cannot be written, the user is told.
    std::filesystem::remove_all(file.parent_path());
    platform::testing::WriteBytes(file.parent_path(), "not a folder");
    std::string shown;
    testing::AnswerMessage(shown);
    EXPECT_FALSE(checked());
    choose();
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_autostart_failed");
    EXPECT_FALSE(checked());
}

}  // namespace
}  // namespace varlok::app
