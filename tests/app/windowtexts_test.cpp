// Every text and tooltip the main window and its dialogs show, in every
// language, on every page and section in the states that show other
// controls: none shows its language key instead of a text, and none is cut
// or shortened by the room its control gives it.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/copyright.h"
#include "app/languagesettings.h"
#include "app/languagetable.h"
#include "app/mainwindowmessages.h"
#include "app/msgwnd.h"
#include "app/palletdialog.h"
#include "app/skinframe.h"
#include "app/skinobserver.h"
#include "app/support/mainwindowfixture.h"
#include "keys/storemessage.h"
#include "platform/udevrulefile.h"
#include "profiles/page/profileoperations.h"
#include "ui/comboui.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/listui.h"
#include "ui/paintmanagerui.h"
#include "ui/renderengine.h"
#include "ui/resourcemanager.h"
#include "ui/tablayoutui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

bool Inside(const ui::UiRect& inner, const ui::UiRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A text the lookup left as its key: language keys have a lowercase letter,
// symbols and numbers shown as they are have none.
bool LeftAsKey(const std::string& raw, const std::string& shown, bool isKey) {
    const ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    if (shown.empty()) {
        return false;
    }
    if (resources.HasText(shown)) {
        return true;  // a key shown without its lookup
    }
    return isKey && shown == raw &&
           std::ranges::any_of(raw, [](char c) { return c >= 'a' && c <= 'z'; });
}

class WindowTextsTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
        OpenMousePage("ms_deng_Op_tab");
    }

    // Looks at the window as it is now in every language, as `view`.
    void CheckWindow(const std::string& view) {
        CheckInEveryLanguage(m_window->GetPaintManager(), view);
    }

    void CheckInEveryLanguage(ui::CPaintManagerUI& manager, const std::string& view) {
        for (const LanguageRow& language : LanguageTable()) {
            // As a change from the menu shows it, without storing the choice.
            ASSERT_TRUE(LoadInterfaceLanguage(language));
            ui::CResourceManager::GetInstance().ReloadText();
            manager.UpdateLayout();
            m_language = language.file;
            const ui::CControlUI* root = manager.GetRoot();
            ASSERT_NE(root, nullptr);
            Check(*root, root->GetPos(), view);
        }
    }

    // Each text a control can be given by the page, in turn.
    void CheckTexts(std::string_view name, std::initializer_list<std::string_view> texts) {
        ui::CControlUI* control = Find(name);
        control->SetVisible(true);
        for (const std::string_view text : texts) {
            control->SetText(text);
            CheckWindow(std::string(text));
        }
    }
    void Click(std::string_view name) { ASSERT_TRUE(Driver().Click(name)) << name; }
    void Select(std::string_view combo, int index) {
        auto* control = dynamic_cast<ui::CComboUI*>(Find(combo));
        ASSERT_NE(control, nullptr) << combo;
        control->SelectItem(index, false, true);
        ui::test::ProcessEvents();
    }
    [[nodiscard]] int Count(std::string_view container) const {
        return dynamic_cast<ui::CContainerUI*>(Find(container))->GetCount();
    }

    // What was found, each with the view that showed it first.
    std::map<std::string, std::string> m_findings;

private:
    // `room`: what the control's containers leave visible of the window.
    void Check(const ui::CControlUI& control, const ui::UiRect& room, const std::string& view) {
        if (!control.IsVisible()) {
            return;
        }
        const auto report = [&](const std::string& problem) {
            m_findings.emplace(m_language + ": " + Describe(control) + " " + problem, view);
        };
        if (LeftAsKey(control.GetToolTip(), control.GetShownToolTip(),
                      control.IsResourceToolTip())) {
            report("tooltip shows its key " + control.GetShownToolTip());
        }
        if (const auto placement = control.GetTextPlacement()) {
            if (LeftAsKey(control.GetText(), placement->text, control.IsResourceText())) {
                report("shows its key " + placement->text);
            } else if (!placement->text.empty() &&
                       !ui::CRenderEngine::TextFits(control.GetManager(), *placement)) {
                report("clips \"" + placement->text + "\"" + Room(control, *placement));
            }
        }
        if (dynamic_cast<const ui::CContainerUI*>(&control) == nullptr &&
            !Inside(control.GetPos(), room)) {
            report("lies outside its containers");
        }
        if (const auto* combo = dynamic_cast<const ui::CComboUI*>(&control)) {
            // Each item shows in the combo's box once chosen.
            auto placement = combo->GetTextPlacement();
            for (int i = 0; placement && i < combo->GetCount(); ++i) {
                const ui::CControlUI* item = combo->GetItemAt(i);
                placement->text = item->GetShownText();
                if (LeftAsKey(item->GetText(), placement->text, item->IsResourceText())) {
                    report("item shows its key " + placement->text);
                } else if (!ui::CRenderEngine::TextFits(control.GetManager(), *placement)) {
                    report("clips item \"" + placement->text + "\"" + Room(control, *placement));
                }
            }
            return;
        }
        if (const auto* container = dynamic_cast<const ui::CContainerUI*>(&control)) {
            const ui::UiRect& pos = control.GetPos();
            // A list's rows scroll; the rows are measured, not the scrolling.
            const ui::UiRect inner =
                dynamic_cast<const ui::CListUI*>(&control) != nullptr
                    ? room
                    : ui::UiRect{std::max(room.left, pos.left), std::max(room.top, pos.top),
                                 std::min(room.right, pos.right),
                                 std::min(room.bottom, pos.bottom)};
            for (int i = 0; i < container->GetCount(); ++i) {
                Check(*container->GetItemAt(i), inner, view);
            }
        }
    }

    static std::string Room(const ui::CControlUI& control, const ui::TextPlacement& placement) {
        const ui::UiSize needs = ui::CRenderEngine::TextExtent(control.GetManager(), placement);
        return " (needs " + std::to_string(needs.cx) + "x" + std::to_string(needs.cy) + ", has " +
               std::to_string(placement.box.Width()) + "x" +
               std::to_string(placement.box.Height()) + ")";
    }

    static std::string Describe(const ui::CControlUI& control) {
        if (!control.GetName().empty()) {
            return control.GetName();
        }
        const ui::CControlUI* named = control.GetParent();
        while (named != nullptr && named->GetName().empty()) {
            named = named->GetParent();
        }
        return std::string(control.GetClass()) + " \"" + control.GetText() + "\" in " +
               (named != nullptr ? named->GetName() : std::string("the window"));
    }

    std::string m_language;
};

std::string Listed(const std::map<std::string, std::string>& findings) {
    std::string text;
    for (const auto& [finding, view] : findings) {
        text += finding + " (" + view + ")\n";
    }
    return text;
}

TEST_F(WindowTextsTest, EveryPageSectionAndDialogShowsWholeTextsInEveryLanguage) {
    // The waiting page, and the help shown while the mouse may not be opened.
    auto* pages = dynamic_cast<ui::CTabLayoutUI*>(Find("tab_switch"));
    const int mousePage = pages->GetCurSel();
    pages->SelectItem(0);
    CheckWindow("waiting");
    Find("main_waiting")->SetVisible(false);
    Find("main_permission")->SetVisible(true);
    // With the rule and its commands as a build tree names them.
    const platform::UdevRuleFile& rule = *m_environment.udevRule;
    Find("main_permission_rule")->SetText(rule.path.string());
    const std::vector<std::string> commands = platform::UdevRuleCommands(rule);
    Find("main_permission_copy")->SetText(commands.front());
    Find("main_permission_reload")->SetText(commands.back());
    CheckTexts("main_permission_text", {"main_permission_text", "main_permission_text_installed"});
    pages->SelectItem(mousePage);

    // Lighting, every mode.
    for (int mode = 0; mode < Count("ms_deng_combo_modeSelect0"); ++mode) {
        Select("ms_deng_combo_modeSelect0", mode);
        CheckWindow("lighting mode " + std::to_string(mode));
    }
    Click("ms_rich_Op_tab");
    CheckTexts("ms_desktop_notice", {"performance_desktop_neither", "performance_desktop_no_speed",
                                     "performance_desktop_no_wheel"});
    Click("ms_cursor_Op_tab");
    CheckWindow("cursor");

    // Buttons: every category of a button's editor, and the repeat count,
    // with the status line of a save to the mouse.
    m_window->SendMessage(MessageNumber(WindowMessage::SaveStarted));
    Click("ms_key_Op_tab");
    Click("ms_key_1");
    for (int category = 0; category < Count("ms_key_fct_combo"); ++category) {
        Select("ms_key_fct_combo", category);
        CheckWindow("buttons category " + std::to_string(category));
    }
    Select("ms_key_fct_combo", 6);
    CheckTexts("ms_key_capture_hint", {"key_page_capture_hint", "key_page_capture_hint_window"});
    Select("ms_key_fct_combo_24", 4);
    CheckWindow("buttons macro repeated");
    Select("ms_key_fct_combo", 0);

    // Macros: recording, the key and mouse editors, the insert panels, and
    // the unsaved-changes bar.
    Click("ms_macro_Op_tab");
    CheckWindow("macros");
    Click("ms_macro_btn_name_add");
    Click("ms_macro_btn_redio");
    ASSERT_TRUE(m_capture->Type({0x100, 0x6B, 0}));  // numeric-keypad +
    ASSERT_TRUE(m_capture->Type({0x101, 0x6B, 0x80}));
    CheckWindow("macros recording");
    Click("ms_macro_btn_redio");
    ASSERT_TRUE(Driver().ClickListItem("ms_Macro_list", 0));
    CheckWindow("macros key editor");
    Click("ms_macro_btn_shubiao");
    for (const char* button : {"ms_macro_inset_leftkey_btn", "ms_macro_inset_moudlekey_btn",
                               "ms_macro_inset_rightkey_btn", "ms_macro_inset_forwardkey_btn",
                               "ms_macro_inset_backkey_btn"}) {
        Click(button);
        CheckWindow(std::string("macros insert ") + button);
    }
    Click("ms_macro_inset_moveleftkey_btn");
    ASSERT_TRUE(Driver().ClickListItem("ms_Macro_list", 0));
    CheckWindow("macros mouse editor");
    Click("ms_macro_btn_shubiao");
    Click("ms_macro_btn_save");
    CheckWindow("macros saved");

    // The profile panel with every list's name field.
    Click("ms_profile_fun_spread_btn");
    Click("ms_pro_deng_edit_btn");
    Click("ms_pro_key_edit_btn");
    CheckWindow("profile panel");

    // The dialogs.
    Ccopyright about;
    ASSERT_TRUE(about.Open(*m_window));
    CheckInEveryLanguage(about.GetPaintManager(), "about");
    about.Close();

    SkinPublisherType publisher;
    CSkinFrame skins(publisher, m_folder / "main.ini");
    ASSERT_TRUE(skins.Open(*m_window, *Find("skinbtn")));
    CheckInEveryLanguage(skins.GetPaintManager(), "skins");
    skins.Close();

    ui::test::UiDriver::AnswerNextModal([this](ui::test::UiDriver& dialog) {
        CheckInEveryLanguage(dialog.Window().GetPaintManager(), "colour");
        dialog.Click("okbtn");
    });
    EXPECT_TRUE(CPalletDialog::Pick(*m_window, 0xFF123456, {100, 100}));

    // Every message the program shows, in its box.
    ui::test::UiDriver::AnswerNextModal([this](ui::test::UiDriver& box) {
        std::vector<std::string> messages = {
            std::string(keys::kBadNameMessage),
            std::string(keys::kRenameBlockedMessage),
            std::string(keys::kUnreadableFileMessage),
            std::string(keys::kWriteFailedMessage),
            std::string(keys::kScriptTableTooLongMessage),
            std::string(profiles::ProfileOperations::kNoSelectionMessage),
            std::string(profiles::ProfileOperations::kBadNameMessage),
            "profile_message_bad_program"};
        messages.push_back(std::string(PopupMenus::kAutostartFailedMessage));
        for (int i = 1; i <= 20; ++i) {
            messages.push_back("message_text_" + std::to_string(i));
        }
        for (const std::string& message : messages) {
            box.Find("MessageText")->SetText(message);
            CheckInEveryLanguage(box.Window().GetPaintManager(), "message " + message);
        }
        box.Click("confirm_btn");
    });
    EXPECT_EQ(ShowMessageBox(m_window.get(), {}, "message_text_1"), 1);

    EXPECT_TRUE(m_findings.empty()) << Listed(m_findings);
}

}  // namespace
}  // namespace varlok::app
