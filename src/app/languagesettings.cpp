#include "app/languagesettings.h"

#include <cstdlib>
#include <string>

#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "ui/resourcemanager.h"

namespace varlok::app {

LanguageSettings::LanguageSettings(const std::filesystem::path& mainIni,
                                   platform::Registry registry)
    : m_mainIni(mainIni), m_registry(std::move(registry)) {}

std::optional<int> LanguageSettings::CopyRegistryToMainIni() {
    const auto code = m_registry.ReadString(kRegistryKeyPath, kRegistryValue);
    if (!code) {
        platform::DebugOutput::Write("读注册表失败了");
        return std::nullopt;
    }
    const int index = LanguageIndexForRegistryCode(platform::ParseDecimal(*code));
    static_cast<void>(m_mainIni.Write(kSection, kKey, std::to_string(index)));
    return index;
}

std::optional<int> LanguageSettings::StoreLocaleLanguageIfUnset() {
    if (m_registry.ReadString(kRegistryKeyPath, kRegistryValue)) {
        return std::nullopt;
    }
    const std::optional<std::string> stored = m_mainIni.Find(kSection, kKey);
    if (stored && !stored->empty()) {
        return std::nullopt;
    }
    const int index = LanguageIndexForLocale(MessagesLocale());
    if (m_mainIni.Write(kSection, kKey, std::to_string(index)) != platform::IniWriteResult::Ok) {
        return std::nullopt;
    }
    return index;
}

std::string LanguageSettings::MessagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

int LanguageSettings::StoredIndex() const {
    return m_mainIni.ReadInt(kSection, kKey, 0);
}

std::optional<LanguageRow> LanguageSettings::StoredLanguage() const {
    return LanguageByIndex(StoredIndex());
}

bool LanguageSettings::Store(const LanguageRow& language) {
    static_cast<void>(m_mainIni.Write(kSection, kKey, std::to_string(language.index)));
    const bool stored = m_registry.WriteString(kRegistryKeyPath, kRegistryValue,
                                               std::to_string(language.registryCode));
    if (stored) {
        platform::DebugOutput::Write("写成功！");
    }
    return stored;
}

bool LoadInterfaceLanguage(const LanguageRow& language) {
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage(language.libraryLanguage);
    return resources.LoadLanguage(language.file);
}

}  // namespace varlok::app
