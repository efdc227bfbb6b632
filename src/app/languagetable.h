#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace varlok::app {

// One interface language: its index (the "LANGUAGE" value of main.ini), the
// popup menu item that chooses it, the UI library's language name, its
// language file under the skin folder, the code stored in the registry, and
// the caption of the tray menu's exit element in that language.
struct LanguageRow {
    int index = 0;
    std::string_view menuItem;
    std::string_view libraryLanguage;
    std::string_view file;
    int registryCode = 0;
    std::string_view exitCaption;
};

inline constexpr std::size_t kLanguageCount = 8;

// The eight languages in index order (0 Chinese ... 7 Portuguese).
[[nodiscard]] const std::array<LanguageRow, kLanguageCount>& LanguageTable();

// The row with that index (0-7), or std::nullopt.
[[nodiscard]] std::optional<LanguageRow> LanguageByIndex(int index);

// The row whose menu item is named exactly so ("lan_jap"), or std::nullopt.
[[nodiscard]] std::optional<LanguageRow> LanguageByMenuItem(std::string_view name);

// The index a registry code stands for: the row with that code, and 0
// (Chinese) for every code no row carries.
[[nodiscard]] int LanguageIndexForRegistryCode(int code);

// Which interface language a user's locale asks for: a locale's language
// code and, where it decides between two languages, its territory.
struct LocaleLanguage {
    std::string_view language;   // as in locale names: "zh", "en", "pt"
    std::string_view territory;  // "TW"; empty for any territory
    int index = 0;               // the LanguageTable row
};

// Matched in order, so rows naming a territory come before the row of their
// language without one.
[[nodiscard]] std::span<const LocaleLanguage> LocaleLanguageTable();

// The language a user who has not chosen one gets.
inline constexpr int kFallbackLanguageIndex = 2;  // English

// The index for a POSIX locale name, language[_territory][.codeset][@modifier]
// ("zh_TW.UTF-8", "pt_BR", "ja"; names compared without regard to ASCII
// case, "-" accepted for "_"): the first row of LocaleLanguageTable() that
// matches, else kFallbackLanguageIndex ("C", "POSIX", empty, unknown).
[[nodiscard]] int LanguageIndexForLocale(std::string_view locale);

// The file every window loads first: Chinese, the language all keys exist in.
inline constexpr std::string_view kBaseLanguageFile = "lan_cn.xml";

}  // namespace varlok::app
