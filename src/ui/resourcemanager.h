#pragma once

// Process-wide resources: where layouts and pictures are, the layout names of
// res.xml, the current language and its texts (docs/language-files.md).
// UI thread only.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace varlok::ui {

// Answers texts for language keys the language file lacks. The window that
// registers itself must unregister (SetTextQueryInterface(nullptr)) before it
// goes away; WindowImplBase does so in its destructor.
class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    [[nodiscard]] virtual std::optional<std::string> QueryControlText(std::string_view id) = 0;
};

class CResourceManager {
public:
    static CResourceManager& GetInstance();

    void SetInstancePath(std::string_view path);
    [[nodiscard]] const std::string& GetInstancePath() const { return m_instancePath; }
    // Folder of layouts, pictures and language files; a trailing separator
    // is added when missing.
    void SetResourcePath(std::string_view path);
    [[nodiscard]] const std::string& GetResourcePath() const { return m_resourcePath; }
    // Reads the layout name table (res.xml) from the resource path; false
    // when missing or malformed (the table is then left empty).
    bool LoadResource(std::string_view file = "res.xml");
    // A layout name ("XML_MAIN") to its file; empty when unknown.
    [[nodiscard]] std::string GetXmlFile(std::string_view name) const;
    // A file name to a full path: absolute paths as they are, others under
    // the resource path.
    [[nodiscard]] std::string ResolvePath(std::string_view file) const;

    // The language name ("en", "cn", ...). QueryControlText callers may read it.
    void SetLanguage(std::string_view language);
    [[nodiscard]] const std::string& GetLanguage() const { return m_language; }
    // Replaces the texts with those of a language file (relative to the
    // resource path or full). False when the file is missing or malformed;
    // the texts in force then stay.
    bool LoadLanguage(std::string_view file);
    // The text for a key: the language file's, else the query interface's,
    // else the key itself.
    [[nodiscard]] std::string GetText(std::string_view key) const;
    // True when the loaded language file has the key.
    [[nodiscard]] bool HasText(std::string_view key) const;
    void SetTextQueryInterface(IQueryControlText* query) { m_query = query; }
    [[nodiscard]] IQueryControlText* GetTextQueryInterface() const { return m_query; }
    // Shows the current texts in every control of every window whose text is
    // a key (and repaints them).
    void ReloadText();
    // Forgets the layout table, the texts and the cached pictures.
    void Release();

private:
    std::string m_instancePath;
    std::string m_resourcePath;
    std::map<std::string, std::string, std::less<>> m_xmlFiles;
    std::string m_language;
    std::map<std::string, std::string, std::less<>> m_texts;
    IQueryControlText* m_query = nullptr;
};

}  // namespace varlok::ui
