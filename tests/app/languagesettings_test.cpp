#include "app/languagesettings.h"

#include <gtest/gtest.h>

#include "platform/debugoutput.h"
#include "platform/scopedenvironment.h"
#include "platform/tempfolder.h"
#include "ui/resourcemanager.h"

namespace varlok::app {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;

class LanguageSettingsTest : public ::testing::Test {
protected:
    std::filesystem::path MainIni() const { return m_folder / "main.ini"; }
    std::filesystem::path RegistryFile() const { return m_folder / "registry.ini"; }
    LanguageSettings Settings() const { return {MainIni(), platform::Registry(RegistryFile())}; }
    void SetRegistry(const std::string& code) {
        ASSERT_TRUE(platform::Registry(RegistryFile())
                        .WriteString(LanguageSettings::kRegistryKeyPath,
                                     LanguageSettings::kRegistryValue, code));
    }
    std::string MainIniLanguage() const {
        return platform::IniFile(MainIni()).Read("SKINIMAGE", "LANGUAGE", "missing");
    }

    TempFolder m_folder;
};

TEST_F(LanguageSettingsTest, RegistryCodeBecomesTheMainIniIndex) {
    const std::pair<std::string, std::string> cases[] = {
        {"8080", "7"}, {"7070", "6"}, {"6060", "5"}, {"5050", "4"}, {"4040", "3"},
        {"3030", "2"}, {"2020", "1"}, {"1010", "0"}, {"9999", "0"}, {"abc", "0"},
    };
    for (const auto& [code, index] : cases) {
        SCOPED_TRACE(code);
        SetRegistry(code);
        EXPECT_EQ(Settings().CopyRegistryToMainIni(), std::stoi(index));
        EXPECT_EQ(MainIniLanguage(), index);
    }
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nLANGUAGE=0\r\n");
}

TEST_F(LanguageSettingsTest, UnreadableRegistryLeavesMainIniAndSaysSo) {
    ASSERT_EQ(platform::IniFile(MainIni()).Write("SKINIMAGE", "LANGUAGE", "2"),
              platform::IniWriteResult::Ok);
    platform::DebugCapture debug;
    EXPECT_FALSE(Settings().CopyRegistryToMainIni());
    EXPECT_TRUE(debug.Contains("读注册表失败了"));
    EXPECT_EQ(MainIniLanguage(), "2");
    ASSERT_TRUE(Settings().StoredLanguage());
    EXPECT_EQ(Settings().StoredLanguage()->libraryLanguage, "en");
}

TEST_F(LanguageSettingsTest, StoredIndexOutsideTheTableNamesNoLanguage) {
    EXPECT_EQ(Settings().StoredIndex(), 0);
    ASSERT_EQ(platform::IniFile(MainIni()).Write("SKINIMAGE", "LANGUAGE", "12"),
              platform::IniWriteResult::Ok);
    EXPECT_EQ(Settings().StoredIndex(), 12);
    EXPECT_FALSE(Settings().StoredLanguage());
    ASSERT_EQ(platform::IniFile(MainIni()).Write("SKINIMAGE", "LANGUAGE", "-1"),
              platform::IniWriteResult::Ok);
    EXPECT_FALSE(Settings().StoredLanguage());
}

TEST_F(LanguageSettingsTest, StoreWritesBothStoresAndReportsTheRegistryWrite) {
    platform::DebugCapture debug;
    EXPECT_TRUE(Settings().Store(*LanguageByMenuItem("lan_spa")));
    EXPECT_TRUE(debug.Contains("写成功！"));
    EXPECT_EQ(MainIniLanguage(), "3");
    EXPECT_EQ(platform::Registry(RegistryFile())
                  .ReadString(LanguageSettings::kRegistryKeyPath, LanguageSettings::kRegistryValue),
              "4040");
    // The next start reads the registry back into the same index.
    EXPECT_EQ(Settings().CopyRegistryToMainIni(), 3);
}

TEST_F(LanguageSettingsTest, RegistryThatCannotBeWrittenStillKeepsMainIni) {
    // A folder where the registry file should be makes every write fail.
    std::filesystem::create_directories(RegistryFile());
    platform::DebugCapture debug;
    EXPECT_FALSE(Settings().Store(*LanguageByMenuItem("lan_ko")));
    EXPECT_FALSE(debug.Contains("写成功！"));
    EXPECT_EQ(MainIniLanguage(), "5");
}

// The user's locale as a desktop session sets it; every variable the C
// library reads for messages is set or cleared, whatever the test run has.
class LocaleLanguageTest : public LanguageSettingsTest {
protected:
    struct Locale {
        std::optional<std::string> all;
        std::optional<std::string> messages;
        std::optional<std::string> lang;
    };
    // Runs the first-start choice under that locale; returns its answer.
    std::optional<int> FirstStartUnder(const Locale& locale) {
        const platform::testing::ScopedEnvironment all("LC_ALL", locale.all);
        const platform::testing::ScopedEnvironment messages("LC_MESSAGES", locale.messages);
        const platform::testing::ScopedEnvironment lang("LANG", locale.lang);
        return Settings().StoreLocaleLanguageIfUnset();
    }
    void ForgetMainIni() { std::filesystem::remove(MainIni()); }
};

TEST_F(LocaleLanguageTest, ANewUserGetsTheLanguageOfTheLocaleAndItSticks) {
    const std::pair<Locale, std::string> cases[] = {
        {{{}, {}, "en_US.UTF-8"}, "2"},
        {{{}, {}, "zh_CN.UTF-8"}, "0"},
        {{{}, {}, "zh_TW.UTF-8"}, "1"},
        {{{}, {}, "ja_JP.UTF-8"}, "4"},
        {{{}, {}, "de_DE.UTF-8"}, "2"},
        {{{}, {}, "C"}, "2"},
        {{{}, {}, {}}, "2"},
        // LC_ALL wins over LC_MESSAGES, which wins over LANG; empty ones
        // count as unset.
        {{"ru_RU.UTF-8", "ko_KR.UTF-8", "en_US.UTF-8"}, "6"},
        {{{}, "ko_KR.UTF-8", "en_US.UTF-8"}, "5"},
        {{"", "es_ES.UTF-8", "en_US.UTF-8"}, "3"},
        {{"", "", "pt_BR.UTF-8"}, "7"},
    };
    for (const auto& [locale, index] : cases) {
        SCOPED_TRACE(locale.all.value_or("-") + " " + locale.messages.value_or("-") + " " +
                     locale.lang.value_or("-"));
        ForgetMainIni();
        EXPECT_EQ(FirstStartUnder(locale), std::stoi(index));
        EXPECT_EQ(MainIniLanguage(), index);
        EXPECT_EQ(Settings().StoredIndex(), std::stoi(index));
        // The next start under another locale keeps the stored language.
        EXPECT_FALSE(FirstStartUnder({{}, {}, "ko_KR.UTF-8"}));
        EXPECT_EQ(MainIniLanguage(), index);
    }
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nLANGUAGE=7\r\n");
}

TEST_F(LocaleLanguageTest, ALanguageAlreadyStoredWinsOverTheLocale) {
    // A language in main.ini, even one no row carries, is left alone.
    for (const std::string stored : {"0", "4", "12"}) {
        ASSERT_EQ(platform::IniFile(MainIni()).Write("SKINIMAGE", "LANGUAGE", stored),
                  platform::IniWriteResult::Ok);
        EXPECT_FALSE(FirstStartUnder({{}, {}, "en_US.UTF-8"}));
        EXPECT_EQ(MainIniLanguage(), stored);
    }
    // A blank value holds no language.
    WriteBytes(MainIni(), "[SKINIMAGE]\r\nLANGUAGE=  \r\nIMAGE=x.png\r\n");
    EXPECT_EQ(FirstStartUnder({{}, {}, "es_ES.UTF-8"}), 3);
    EXPECT_EQ(MainIniLanguage(), "3");
    EXPECT_EQ(platform::IniFile(MainIni()).Read("SKINIMAGE", "IMAGE", ""), "x.png");

    // A registry value wins too, also before it was copied to main.ini.
    ForgetMainIni();
    SetRegistry("1010");
    EXPECT_FALSE(FirstStartUnder({{}, {}, "en_US.UTF-8"}));
    EXPECT_EQ(MainIniLanguage(), "missing");
    // The start's order: the registry's language reaches main.ini first.
    EXPECT_EQ(Settings().CopyRegistryToMainIni(), 0);
    EXPECT_FALSE(FirstStartUnder({{}, {}, "en_US.UTF-8"}));
    EXPECT_EQ(MainIniLanguage(), "0");
}

TEST_F(LocaleLanguageTest, AStartWithoutAnyStoredLanguageLoadsTheLocalesOne) {
    // The window's initialisation: registry first, then the locale, then
    // the language main.ini names.
    ASSERT_FALSE(Settings().CopyRegistryToMainIni());
    ASSERT_EQ(FirstStartUnder({{}, {}, "en_GB.UTF-8"}), 2);
    const std::optional<LanguageRow> language = Settings().StoredLanguage();
    ASSERT_TRUE(language);
    EXPECT_EQ(language->file, "lan_en.xml");
    // Nothing went into the registry: a choice from the menu still does.
    EXPECT_FALSE(
        platform::Registry(RegistryFile())
            .ReadString(LanguageSettings::kRegistryKeyPath, LanguageSettings::kRegistryValue));
}

TEST_F(LocaleLanguageTest, MainIniThatCannotBeWrittenStoresNothing) {
    // A folder where main.ini should be makes every write fail.
    std::filesystem::create_directories(MainIni());
    EXPECT_FALSE(FirstStartUnder({{}, {}, "en_US.UTF-8"}));
    EXPECT_TRUE(std::filesystem::is_directory(MainIni()));
}

TEST_F(LanguageSettingsTest, LoadInterfaceLanguageSetsTheNameAndTheTexts) {
    auto& resources = ui::CResourceManager::GetInstance();
    const std::string previousPath = resources.GetResourcePath();
    resources.SetResourcePath(m_folder.Path().string());
    WriteBytes(m_folder / "lan_jap.xml",
               "<Language><Text id=\"message_text_1\" value=\"マウスが見つかりません\"/>"
               "</Language>");
    EXPECT_TRUE(LoadInterfaceLanguage(*LanguageByIndex(4)));
    EXPECT_EQ(resources.GetLanguage(), "jap");
    EXPECT_EQ(resources.GetText("message_text_1"), "マウスが見つかりません");
    // A missing file keeps the texts in force.
    EXPECT_FALSE(LoadInterfaceLanguage(*LanguageByIndex(7)));
    EXPECT_EQ(resources.GetText("message_text_1"), "マウスが見つかりません");
    resources.SetResourcePath(previousPath);
}

}  // namespace
}  // namespace varlok::app
