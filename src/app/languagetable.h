#pragma once

#include <array>
#include <optional>
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

// The file every window loads first: Chinese, the language all keys exist in.
inline constexpr std::string_view kBaseLanguageFile = "lan_cn.xml";

}  // namespace varlok::app
