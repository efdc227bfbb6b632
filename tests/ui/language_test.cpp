#include <gtest/gtest.h>

#include "support/testwindow.h"
#include "support/uitest.h"
#include "ui/comboui.h"
#include "ui/labelui.h"
#include "ui/resourcemanager.h"

namespace varlok::ui::test {
namespace {

class LanguageTest : public UiTest {};

class QueryWindow : public TestWindow {
public:
    QueryWindow() : TestWindow("XML_CONTROLS") {}
    std::optional<std::string> QueryControlText(std::string_view id) override {
        if (id == "caption_text_key") {
            return CResourceManager::GetInstance().GetLanguage() == "en" ? "Home" : "Heim";
        }
        return std::nullopt;
    }
};

TEST_F(LanguageTest, LayoutKeysFollowALanguageSwitchWithReloadText) {
    CResourceManager& resources = CResourceManager::GetInstance();
    QueryWindow window;
    ASSERT_TRUE(window.Create(nullptr, "lang"));
    resources.SetTextQueryInterface(&window);
    CPaintManagerUI& pm = window.GetPaintManager();
    CControlUI* title = pm.FindControl("caption_label");
    CControlUI* button = pm.FindControl("caption_button");
    auto* combo = pm.FindControl<CComboUI>("combo");
    ASSERT_TRUE(title->IsResourceText());
    // Edits hold the user's text, never keys.
    EXPECT_FALSE(pm.FindControl("edit")->IsResourceText());

    resources.SetLanguage("en");
    ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
    resources.ReloadText();
    EXPECT_EQ(title->GetText(), "title_key");  // the key stays the text
    EXPECT_EQ(title->GetShownText(), "Settings");
    EXPECT_EQ(button->GetShownText(), "Apply");
    // Keys the file lacks: the window's answer, else the key itself.
    EXPECT_EQ(pm.FindControl("caption_text")->GetShownText(), "Home");
    EXPECT_EQ(pm.FindControl("opt_key") == nullptr, true);
    EXPECT_EQ(pm.FindControl("caption_option")->GetShownText(), "opt_key");
    combo->SelectItem(0, false, false);
    EXPECT_EQ(combo->GetItemAt(0)->GetShownText(), "Zero");
    // A layout's tooltips are keys, also where its text is not: an edit's,
    // a symbol's.
    CControlUI* symbol = pm.FindControl("opt_c");
    EXPECT_EQ(pm.FindControl("caption_edit")->GetShownToolTip(), "Settings");
    EXPECT_EQ(symbol->GetShownText(), "c");
    EXPECT_EQ(symbol->GetShownToolTip(), "Apply");

    resources.SetLanguage("de");
    ASSERT_TRUE(resources.LoadLanguage("lan_de.xml"));
    resources.ReloadText();
    EXPECT_EQ(title->GetShownText(), "Einstellungen");
    EXPECT_EQ(button->GetShownText(), "Übernehmen");
    EXPECT_EQ(pm.FindControl("caption_text")->GetShownText(), "Heim");
    // A key only the English file had falls back to the key.
    EXPECT_EQ(combo->GetItemAt(0)->GetShownText(), "item_zero");
    EXPECT_EQ(symbol->GetShownToolTip(), "Übernehmen");

    // A text set by code as a key follows too; plain text never does.
    button->SetText("title_key");
    EXPECT_EQ(button->GetShownText(), "Einstellungen");
    button->SetResourceText(false);
    EXPECT_EQ(button->GetShownText(), "title_key");
    // Code that marks a text as plain marks its tooltip so too.
    button->SetToolTip("title_key");
    EXPECT_EQ(button->GetShownToolTip(), "title_key");
}

TEST_F(LanguageTest, BrokenOrMissingLanguageFilesKeepTheTextsInForce) {
    CResourceManager& resources = CResourceManager::GetInstance();
    ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
    EXPECT_FALSE(resources.LoadLanguage("lan_broken.xml"));
    EXPECT_FALSE(resources.LoadLanguage("lan_missing.xml"));
    EXPECT_EQ(resources.GetText("title_key"), "Settings");
    EXPECT_TRUE(resources.HasText("btn_key"));
    EXPECT_EQ(resources.GetText("unknown"), "unknown");
}

TEST_F(LanguageTest, QueryInterfaceIsDroppedWhenItsWindowGoesAway) {
    CResourceManager& resources = CResourceManager::GetInstance();
    {
        QueryWindow window;
        ASSERT_TRUE(window.Create(nullptr, "lang"));
        resources.SetTextQueryInterface(&window);
        EXPECT_EQ(resources.GetText("caption_text_key"), "Heim");
    }
    EXPECT_EQ(resources.GetTextQueryInterface(), nullptr);
    EXPECT_EQ(resources.GetText("caption_text_key"), "caption_text_key");
}

TEST_F(LanguageTest, ResTableResolvesLayoutNames) {
    CResourceManager& resources = CResourceManager::GetInstance();
    EXPECT_EQ(resources.GetXmlFile("XML_MAIN"), "main.xml");
    EXPECT_EQ(resources.GetXmlFile("XML_NONE"), "");
    EXPECT_EQ(resources.ResolvePath("/abs/file.png"), "/abs/file.png");
    EXPECT_EQ(resources.ResolvePath("a/b.png"),
              std::string(VARLOK_TEST_DATA_DIR "/ui/") + "a/b.png");
    EXPECT_FALSE(resources.LoadResource("missing_res.xml"));
    EXPECT_EQ(resources.GetXmlFile("XML_MAIN"), "");
}

}  // namespace
}  // namespace varlok::ui::test
