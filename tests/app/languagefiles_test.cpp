// The eight language files against everything that asks them for a text:
// every language key of every layout under data/skin (window layouts, the
// main window's sub-layouts as the main window builds them, menus) and every
// key the program passes in code (among them every label the key model can
// give a button) must have a non-empty text in every file,
// so that later layouts cannot add a key without its translations.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/languagetable.h"
#include "app/mainwindowlayouts.h"
#include "app/storerecovery.h"
#include "dialogtestsupport.h"
#include "keys/keylabel.h"
#include "keys/keynametable.h"
#include "keys/keyvaluelists.h"
#include "keys/macroaction.h"
#include "keys/mouseeventtable.h"
#include "keys/page/keypage.h"
#include "keys/page/macrocontrols.h"
#include "keys/storemessage.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/customcontrols.h"
#include "ui/dialogbuilder.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/menulayout.h"

namespace varlok::app {
namespace {

namespace fs = std::filesystem;

// Every language key the key model labels a button or an action with: the
// key-name table, every value list, and whatever the label rules give for
// any type and first parameter with either direction bit (the swings' names
// depend on it; the other rule labels on the type alone).
void AddKeyModelKeys(std::vector<std::string>& out) {
    for (const keys::KeyNameRow& row : keys::KeyNameTable::Rows()) {
        out.push_back(row.LanguageKey());
    }
    for (const keys::KeyValueListInfo& list : keys::AllLists()) {
        for (const keys::KeyValue& value : list.values) {
            out.emplace_back(value.label);
        }
    }
    const keys::MacroNameLookup noMacros;
    std::set<std::string> ruleLabels;
    for (int type = 0; type <= 0xFF; ++type) {
        for (int p1 = 0; p1 <= 0xFF; ++p1) {
            for (const int p2 : {0x00, 0x80}) {
                const keys::KeyFunction code(static_cast<std::uint8_t>(type),
                                             static_cast<std::uint8_t>(p1),
                                             static_cast<std::uint8_t>(p2));
                keys::KeyLabel label = keys::LabelOf(code, noMacros);
                if (label.kind == keys::KeyLabel::Kind::LanguageKey) {
                    ruleLabels.insert(std::move(label.text));
                }
            }
        }
    }
    out.insert(out.end(), ruleLabels.begin(), ruleLabels.end());
    for (const std::string_view key :
         {keys::kMoveLeftLabel, keys::kMoveRightLabel, keys::kMoveUpLabel, keys::kMoveDownLabel}) {
        out.emplace_back(key);
    }
}

// Keys the program sets from code rather than from a layout.
std::vector<std::string> KeysUsedInCode() {
    std::vector<std::string> keys;
    for (int i = 1; i <= 20; ++i) {
        keys.push_back("message_text_" + std::to_string(i));
    }
    keys.insert(keys.end(), {"about_licence", "about_licence_none", std::string(kSetAsideMessage)});
    for (const std::string_view key :
         {keys::kBadNameMessage, keys::kRenameBlockedMessage, keys::kUnreadableFileMessage,
          keys::kWriteFailedMessage, keys::kScriptTableTooLongMessage}) {
        keys.emplace_back(key);
    }
    keys.insert(keys.end(), {std::string(keys::KeyPage::kCaptureHintText),
                             std::string(keys::KeyPage::kCaptureHintWindowText)});
    AddKeyModelKeys(keys);
    using keys::MacroControls;
    for (const auto& texts : {std::span<const std::string_view>(MacroControls::kUpDownTexts),
                              std::span<const std::string_view>(MacroControls::kMouseEventTexts),
                              std::span<const std::string_view>(MacroControls::kCodeTexts),
                              std::span<const std::string_view>(keys::MouseEventTable::Labels())}) {
        keys.insert(keys.end(), texts.begin(), texts.end());
    }
    return keys;
}

// A text marked as a language key that is really a word of its own (a digit
// on a profile button, the product name) has no lowercase letter; language
// keys always have one.
bool LooksLikeKey(const std::string& text) {
    return std::ranges::any_of(text, [](char c) { return c >= 'a' && c <= 'z'; });
}

// The root element's name of an XML file.
std::string RootElement(const fs::path& file) {
    QFile input(QString::fromStdString(file.string()));
    if (!input.open(QIODevice::ReadOnly)) {
        return {};
    }
    QXmlStreamReader xml(&input);
    return xml.readNextStartElement() ? xml.name().toString().toStdString() : std::string();
}

// The ids of a language file in order.
std::vector<std::string> LanguageFileIds(const fs::path& file) {
    QFile input(QString::fromStdString(file.string()));
    EXPECT_TRUE(input.open(QIODevice::ReadOnly)) << file;
    QXmlStreamReader xml(&input);
    std::vector<std::string> ids;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Text") {
            ids.push_back(xml.attributes().value(QLatin1String("id")).toString().toStdString());
        }
    }
    EXPECT_FALSE(xml.hasError()) << file << ": " << xml.errorString().toStdString();
    return ids;
}

// Builds the main window's classes the way the main window does.
class MainWindowClasses : public ui::IDialogBuilderCallback {
public:
    explicit MainWindowClasses(ui::CPaintManagerUI& manager) : m_manager(manager) {}

    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override {
        const auto entry = FindLayoutClass(className);
        if (!entry || entry->kind != LayoutClassKind::SubLayout) {
            return nullptr;
        }
        ui::CDialogBuilder builder;
        auto page = builder.Create(entry->file, this, &m_manager);
        EXPECT_NE(page, nullptr) << entry->file << ": " << builder.GetLastError();
        built.insert(std::string(entry->file));
        return page;
    }

    std::set<std::string> built;

private:
    ui::CPaintManagerUI& m_manager;
};

class LanguageFilesTest : public testing::DialogTest {
protected:
    void SetUp() override {
        testing::DialogTest::SetUp();
        ui::RegisterCustomControls();
    }

    // Adds every language key the layouts under the skin folder use, with
    // the file that uses it.
    void CollectLayoutKeys(std::map<std::string, std::string>& keys) {
        std::set<std::string> subLayouts;
        for (const LayoutClass& entry : MainWindowLayoutClasses()) {
            if (entry.kind == LayoutClassKind::SubLayout) {
                subLayouts.insert(std::string(entry.file));
            }
        }
        std::set<std::string> builtSubLayouts;
        for (const auto& entry : fs::directory_iterator(testing::kSkinFolder)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != ".xml" || name.starts_with("lan_") ||
                name == "res.xml" || subLayouts.contains(name)) {
                continue;
            }
            SCOPED_TRACE(name);
            if (RootElement(entry.path()) == "Menu") {
                QFile input(QString::fromStdString(entry.path().string()));
                ASSERT_TRUE(input.open(QIODevice::ReadOnly));
                const auto items = ui::qt::ParseMenuLayout(input.readAll());
                ASSERT_TRUE(items);
                for (const auto& item : *items) {
                    if (item.resourceText && LooksLikeKey(item.info.text)) {
                        keys.emplace(item.info.text, name);
                    }
                }
                continue;
            }
            ui::CPaintManagerUI manager;
            MainWindowClasses classes(manager);
            ui::CDialogBuilder builder;
            auto root = builder.Create(name, &classes, &manager, true);
            ASSERT_NE(root, nullptr) << builder.GetLastError();
            builtSubLayouts.insert(classes.built.begin(), classes.built.end());
            CollectKeys(*root, name, keys);
        }
        // Sub-layouts are only reached through the main window's layout.
        EXPECT_EQ(builtSubLayouts, subLayouts);
    }

private:
    static void CollectKeys(const ui::CControlUI& control, const std::string& file,
                            std::map<std::string, std::string>& keys) {
        if (control.IsResourceText() && LooksLikeKey(control.GetText())) {
            keys.emplace(control.GetText(), file);
        }
        if (control.IsResourceToolTip() && LooksLikeKey(control.GetToolTip())) {
            keys.emplace(control.GetToolTip(), file);
        }
        if (const auto* container = dynamic_cast<const ui::CContainerUI*>(&control)) {
            for (int i = 0; i < container->GetCount(); ++i) {
                CollectKeys(*container->GetItemAt(i), file, keys);
            }
        }
    }
};

TEST_F(LanguageFilesTest, EveryKeyInUseHasATextInEveryLanguage) {
    std::map<std::string, std::string> keys;
    CollectLayoutKeys(keys);
    // The dialogs' own layouts are among those read, and the tooltips of
    // controls whose text is not a key.
    for (const char* key : {"msg_confirm", "pallet_title", "about_title", "skin_tab_pictures",
                            "macro_tip_up", "macro_tip_pause"}) {
        EXPECT_TRUE(keys.contains(key)) << key;
    }
    for (const std::string& key : KeysUsedInCode()) {
        keys.emplace(key, "code");
    }
    // The key model's sets are all read: the rules' own labels, a name with
    // characters the files must escape, and the shortcut list.
    for (const char* key : {"close_text", "mouse_key_right_Swing", "mouse_key_fire_key",
                            "keyboard_key_<", "combo_revocation", "GUN_4"}) {
        EXPECT_TRUE(keys.contains(key)) << key;
    }
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    for (const LanguageRow& language : LanguageTable()) {
        SCOPED_TRACE(language.file);
        ASSERT_TRUE(resources.LoadLanguage(language.file));
        for (const auto& [key, user] : keys) {
            EXPECT_TRUE(resources.HasText(key)) << key << " (used by " << user << ")";
            EXPECT_NE(resources.GetText(key), "") << key << " (used by " << user << ")";
        }
    }
}

TEST_F(LanguageFilesTest, EveryFileHoldsTheSameKeysOnceEach) {
    const fs::path folder(testing::kSkinFolder);
    const std::vector<std::string> base = LanguageFileIds(folder / kBaseLanguageFile);
    std::set<std::string> baseSet(base.begin(), base.end());
    EXPECT_EQ(baseSet.size(), base.size()) << "a key appears twice in " << kBaseLanguageFile;
    for (const LanguageRow& language : LanguageTable()) {
        SCOPED_TRACE(language.file);
        const std::vector<std::string> ids = LanguageFileIds(folder / language.file);
        const std::set<std::string> idSet(ids.begin(), ids.end());
        EXPECT_EQ(idSet.size(), ids.size());
        EXPECT_EQ(idSet, baseSet);
    }
}

TEST_F(LanguageFilesTest, FormatTextsKeepTheirOneNumber) {
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    for (const LanguageRow& language : LanguageTable()) {
        SCOPED_TRACE(language.file);
        ASSERT_TRUE(resources.LoadLanguage(language.file));
        // Used as printf formats with one number (actions to remove, the
        // macro limit); any other conversion would read a missing argument.
        for (const char* key : {"message_text_16", "message_text_17"}) {
            const std::string text = resources.GetText(key);
            EXPECT_EQ(std::ranges::count(text, '%'), 1) << key << ": " << text;
            EXPECT_NE(text.find("%d"), std::string::npos) << key << ": " << text;
        }
    }
}

}  // namespace
}  // namespace varlok::app
