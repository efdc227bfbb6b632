#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::platform {

// How a section header is read, and the line end of a document that has none
// yet. Windows: "[name]" (text after the first ']' ignored), "\r\n". KConfig
// (KDE's files): "[a][b][c]" is the nested group "a][b][c", the header running
// to the last ']', so that a group name may hold "]["; "\n".
enum class IniDialect { Windows, Kconfig };

// The text of one INI file, parsed line by line so that an edit changes only the
// lines it must: every other line (comments, blank lines, unknown lines, their line
// ends) is written back byte for byte.
//
// Dialect, as the Windows private-profile functions read it: "[name]" starts a
// section (text after ']' ignored); "key=value" inside a section is an entry, key
// and value trimmed of blanks and tabs; lines starting with ';' and lines without
// '=' are kept but are not entries. Section and key names compare ASCII
// case-insensitively; other bytes (Chinese names included) compare exactly. When a
// name occurs twice, the first occurrence counts. A UTF-8 byte order mark is kept.
// Callers validate names and values before editing (see IniFile).
class IniDocument {
public:
    explicit IniDocument(std::string_view bytes, IniDialect dialect = IniDialect::Windows);

    // The trimmed value of the key in the first section of that name.
    [[nodiscard]] std::optional<std::string> Find(std::string_view section,
                                                  std::string_view key) const;

    // Replaces the value of an existing key in place (the key keeps its spelling),
    // else appends "key=value" after the last non-blank line of the section, else
    // appends the section with the key at the end of the document.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes every entry of the key in the first section of that name. False when
    // there was none.
    bool RemoveKey(std::string_view section, std::string_view key);

    // Removes every section of that name with all its lines. False when none.
    bool RemoveSection(std::string_view section);

    // Key names of the first section of that name, in file order, each once.
    [[nodiscard]] std::vector<std::string> Keys(std::string_view section) const;

    // Section names in file order, each once.
    [[nodiscard]] std::vector<std::string> Sections() const;

    [[nodiscard]] std::string Serialize() const;

private:
    struct Line {
        std::string text;
        std::string end;  // "\r\n", "\n" or "" for a last line without one
    };
    struct Range {
        std::size_t header;  // index of the "[name]" line
        std::size_t end;     // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section, std::size_t from = 0) const;
    std::size_t SectionEnd(std::size_t header) const;
    void EnsureLastLineEnded();

    IniDialect m_dialect;
    std::vector<Line> m_lines;
    std::string m_newline;
    bool m_byteOrderMark = false;
};

}  // namespace varlok::platform
