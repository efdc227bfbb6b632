#include "app/languagetable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace varlok::app {
namespace {

TEST(LanguageTable, EveryRowIsFoundByItsIndexMenuItemAndRegistryCode) {
    for (const LanguageRow& row : LanguageTable()) {
        SCOPED_TRACE(std::string(row.menuItem));
        const auto byIndex = LanguageByIndex(row.index);
        ASSERT_TRUE(byIndex);
        EXPECT_EQ(byIndex->menuItem, row.menuItem);
        const auto byMenu = LanguageByMenuItem(row.menuItem);
        ASSERT_TRUE(byMenu);
        EXPECT_EQ(byMenu->index, row.index);
        EXPECT_EQ(LanguageIndexForRegistryCode(row.registryCode), row.index);
        EXPECT_EQ(std::string(row.file), "lan_" + std::string(row.libraryLanguage) + ".xml");
        EXPECT_EQ(std::string(row.menuItem), "lan_" + std::string(row.libraryLanguage));
    }
}

TEST(LanguageTable, HoldsTheEightLanguagesWithTheirStoredCodes) {
    const std::pair<std::string_view, int> expected[] = {
        {"cn", 1010},  {"tw", 2020}, {"en", 3030},  {"spa", 4040},
        {"jap", 5050}, {"ko", 6060}, {"rus", 7070}, {"pt", 8080},
    };
    ASSERT_EQ(LanguageTable().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(LanguageTable()[i].index, static_cast<int>(i));
        EXPECT_EQ(LanguageTable()[i].libraryLanguage, expected[i].first);
        EXPECT_EQ(LanguageTable()[i].registryCode, expected[i].second);
    }
    EXPECT_EQ(kBaseLanguageFile, LanguageTable()[0].file);
}

TEST(LanguageTable, UnknownCodesIndexesAndItemsFallBackOrAreRefused) {
    EXPECT_EQ(LanguageIndexForRegistryCode(9999), 0);
    EXPECT_EQ(LanguageIndexForRegistryCode(0), 0);
    EXPECT_EQ(LanguageIndexForRegistryCode(-3030), 0);
    EXPECT_EQ(LanguageIndexForRegistryCode(5050), 4);
    EXPECT_FALSE(LanguageByIndex(-1));
    EXPECT_FALSE(LanguageByIndex(8));
    EXPECT_FALSE(LanguageByIndex(12));
    EXPECT_FALSE(LanguageByMenuItem("lan_"));
    EXPECT_FALSE(LanguageByMenuItem("LAN_EN"));
    EXPECT_FALSE(LanguageByMenuItem("About_setting"));
}

TEST(LanguageTable, TrayExitCaptionsFollowTheLanguage) {
    const std::string_view expected[] = {"关闭",   "關閉", "Close",   "Cerrar",
                                         "閉じる", "닫기", "Закрыть", "Fechar"};
    std::set<std::string_view> distinct;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(LanguageTable()[i].exitCaption, expected[i]);
        distinct.insert(LanguageTable()[i].exitCaption);
    }
    EXPECT_EQ(distinct.size(), kLanguageCount);
}

TEST(LocaleLanguages, EveryLanguageIsReachedAndEveryRowIsMatchedByItsOwnLocale) {
    std::set<int> reached;
    for (const LocaleLanguage& row : LocaleLanguageTable()) {
        std::string locale(row.language);
        if (!row.territory.empty()) {
            locale += "_" + std::string(row.territory);
        }
        SCOPED_TRACE(locale);
        EXPECT_EQ(LanguageIndexForLocale(locale), row.index);
        EXPECT_EQ(LanguageIndexForLocale(locale + ".UTF-8"), row.index);
        ASSERT_TRUE(LanguageByIndex(row.index));
        reached.insert(row.index);
    }
    EXPECT_EQ(reached.size(), kLanguageCount);
}

TEST(LocaleLanguages, LocaleNamesAsDesktopsSetThem) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"zh_CN.UTF-8", "cn"},
        {"zh_SG.GB2312", "cn"},
        {"zh", "cn"},
        {"zh_TW.UTF-8", "tw"},
        {"zh_HK.Big5HKSCS", "tw"},
        {"zh_MO", "tw"},
        {"en_US.UTF-8", "en"},
        {"en_GB", "en"},
        {"es_ES.UTF-8", "spa"},
        {"es_MX", "spa"},
        {"ja_JP.eucJP", "jap"},
        {"ko_KR.UTF-8", "ko"},
        {"ru_RU.UTF-8", "rus"},
        {"pt_BR.UTF-8", "pt"},
        {"pt_PT@euro", "pt"},
        {"ZH_tw.utf8", "tw"},
        {"pt-BR", "pt"},
        // No language of ours: English.
        {"C", "en"},
        {"C.UTF-8", "en"},
        {"POSIX", "en"},
        {"", "en"},
        {"de_DE.UTF-8", "en"},
        {"fr_CA", "en"},
        // Codes that merely begin like one of ours are other languages.
        {"zha_CN", "en"},
        {"est_EE", "en"},
        {"_TW", "en"},
    };
    for (const auto& [locale, language] : cases) {
        SCOPED_TRACE(std::string(locale));
        const auto row = LanguageByIndex(LanguageIndexForLocale(locale));
        ASSERT_TRUE(row);
        EXPECT_EQ(row->libraryLanguage, language);
    }
    EXPECT_EQ(LanguageByIndex(kFallbackLanguageIndex)->libraryLanguage, "en");
}

}  // namespace
}  // namespace varlok::app
