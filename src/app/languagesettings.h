#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/languagetable.h"
#include "platform/inifile.h"
#include "platform/registry.h"

namespace varlok::app {

// The interface language as the program keeps it in two stores: the language
// index in main.ini ([SKINIMAGE] LANGUAGE, "0"-"7") and the registry code
// (value "LANGUAGE" under SOFTWARE\VARLOK). The registry wins at each start
// when it can be read, so a choice made from the menu survives in both.
// Not tied to any window; UI thread in practice, but holds no state besides
// the two store locations.
class LanguageSettings {
public:
    static constexpr std::string_view kSection = "SKINIMAGE";
    static constexpr std::string_view kKey = "LANGUAGE";
    static constexpr std::string_view kRegistryKeyPath = "SOFTWARE\\VARLOK";
    static constexpr std::string_view kRegistryValue = "LANGUAGE";

    LanguageSettings(const std::filesystem::path& mainIni, platform::Registry registry);

    // Window initialisation: turns the registry code into an index and stores
    // it in main.ini (any code no language carries stores "0"). When the
    // registry value cannot be read, writes the debug line "读注册表失败了"
    // and leaves main.ini as it is. Returns the index stored, if any.
    std::optional<int> CopyRegistryToMainIni();

    // First start: when neither the registry nor main.ini holds a language
    // (no readable registry value, no or a blank "LANGUAGE" in main.ini),
    // stores the language of the user's locale in main.ini, so that the
    // choice sticks, and returns its index. The locale is the first
    // non-empty of LC_ALL, LC_MESSAGES and LANG, mapped by
    // LanguageIndexForLocale (English when none is set or none matches).
    // A language already held stays as it is (std::nullopt), as does
    // main.ini when it cannot be written (std::nullopt too). Call it after
    // CopyRegistryToMainIni and before StoredLanguage.
    std::optional<int> StoreLocaleLanguageIfUnset();

    // The locale that decides the language of messages, as the C library
    // picks it: LC_ALL, else LC_MESSAGES, else LANG; empty when none is set.
    [[nodiscard]] static std::string MessagesLocale();

    // The index main.ini holds (default 0), as a number; may lie outside 0-7.
    [[nodiscard]] int StoredIndex() const;
    // The language of StoredIndex(), or std::nullopt for an index outside 0-7.
    [[nodiscard]] std::optional<LanguageRow> StoredLanguage() const;

    // A language chosen from the menu: its index into main.ini, its code into
    // the registry (debug line "写成功！" when that worked). Returns whether
    // the registry took the code; main.ini is written either way.
    bool Store(const LanguageRow& language);

private:
    platform::IniFile m_mainIni;
    platform::Registry m_registry;
};

// Makes language the UI library's language and loads its file from the skin
// folder. False when the file could not be loaded (the texts in force stay).
bool LoadInterfaceLanguage(const LanguageRow& language);

}  // namespace varlok::app
