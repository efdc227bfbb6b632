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

}  // namespace
}  // namespace varlok::app
