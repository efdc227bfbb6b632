#include "app/languagetable.h"

#include <algorithm>
#include <cctype>

namespace varlok::app {

namespace {

// The Russian and Portuguese exit captions are ours; the others are the ones
// users of the earlier program know.
constexpr std::array<LanguageRow, kLanguageCount> kLanguages{{
    {0, "lan_cn", "cn", "lan_cn.xml", 1010, "关闭"},
    {1, "lan_tw", "tw", "lan_tw.xml", 2020, "關閉"},
    {2, "lan_en", "en", "lan_en.xml", 3030, "Close"},
    {3, "lan_spa", "spa", "lan_spa.xml", 4040, "Cerrar"},
    {4, "lan_jap", "jap", "lan_jap.xml", 5050, "閉じる"},
    {5, "lan_ko", "ko", "lan_ko.xml", 6060, "닫기"},
    {6, "lan_rus", "rus", "lan_rus.xml", 7070, "Закрыть"},
    {7, "lan_pt", "pt", "lan_pt.xml", 8080, "Fechar"},
}};

// Traditional Chinese where it is written (Taiwan, Hong Kong, Macau),
// Simplified for every other Chinese locale.
constexpr std::array<LocaleLanguage, 10> kLocaleLanguages{{
    {"zh", "TW", 1},
    {"zh", "HK", 1},
    {"zh", "MO", 1},
    {"zh", "", 0},
    {"en", "", 2},
    {"es", "", 3},
    {"ja", "", 4},
    {"ko", "", 5},
    {"ru", "", 6},
    {"pt", "", 7},
}};

constexpr bool LocaleRowsNameLanguages() {
    for (const LocaleLanguage& row : kLocaleLanguages) {
        if (row.index < 0 || static_cast<std::size_t>(row.index) >= kLanguages.size()) {
            return false;
        }
    }
    return true;
}
static_assert(LocaleRowsNameLanguages());

bool SameAscii(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Lookups by index rely on each row sitting at its own index.
constexpr bool RowsSitAtTheirIndex() {
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        if (kLanguages[i].index != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(RowsSitAtTheirIndex());

}  // namespace

const std::array<LanguageRow, kLanguageCount>& LanguageTable() {
    return kLanguages;
}

std::optional<LanguageRow> LanguageByIndex(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kLanguages.size()) {
        return std::nullopt;
    }
    return kLanguages[static_cast<std::size_t>(index)];
}

std::optional<LanguageRow> LanguageByMenuItem(std::string_view name) {
    const auto it = std::ranges::find(kLanguages, name, &LanguageRow::menuItem);
    if (it == kLanguages.end()) {
        return std::nullopt;
    }
    return *it;
}

int LanguageIndexForRegistryCode(int code) {
    const auto it = std::ranges::find(kLanguages, code, &LanguageRow::registryCode);
    return it == kLanguages.end() ? 0 : it->index;
}

std::span<const LocaleLanguage> LocaleLanguageTable() {
    return kLocaleLanguages;
}

int LanguageIndexForLocale(std::string_view locale) {
    const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t separator = name.find_first_of("_-");
    const std::string_view language = name.substr(0, separator);
    const std::string_view territory =
        separator == std::string_view::npos ? std::string_view() : name.substr(separator + 1);
    for (const LocaleLanguage& row : kLocaleLanguages) {
        if (SameAscii(row.language, language) &&
            (row.territory.empty() || SameAscii(row.territory, territory))) {
            return row.index;
        }
    }
    return kFallbackLanguageIndex;
}

}  // namespace varlok::app
