#include "app/languagesettings.h"

#include <gtest/gtest.h>

#include "platform/debugoutput.h"
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
