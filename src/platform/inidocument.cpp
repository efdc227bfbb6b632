#include "platform/inidocument.h"

#include <algorithm>

namespace varlok::platform {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

std::optional<std::string_view> SectionName(std::string_view line, IniDialect dialect) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = dialect == IniDialect::Kconfig ? text.rfind(']') : text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(text.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> EntryOf(std::string_view line) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';' || text.front() == '[') {
        return std::nullopt;
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    Entry entry{Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
    if (entry.key.empty()) {
        return std::nullopt;
    }
    return entry;
}

bool IsEntryFor(std::string_view line, std::string_view key) {
    auto entry = EntryOf(line);
    return entry && NamesEqual(entry->key, key);
}

void AddOnce(std::vector<std::string>& names, std::string_view name) {
    auto same = [name](const std::string& known) { return NamesEqual(known, name); };
    if (std::none_of(names.begin(), names.end(), same)) {
        names.emplace_back(name);
    }
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes, IniDialect dialect)
    : m_dialect(dialect), m_newline(dialect == IniDialect::Kconfig ? "\n" : "\r\n") {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        m_byteOrderMark = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    // Every line is read again for each value looked up: one allocation for
    // the list rather than one per doubling of it.
    m_lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    bool newlineKnown = false;
    while (!bytes.empty()) {
        std::size_t lineFeed = bytes.find('\n');
        if (lineFeed == std::string_view::npos) {
            m_lines.push_back({std::string(bytes), ""});
            break;
        }
        bool crlf = lineFeed > 0 && bytes[lineFeed - 1] == '\r';
        std::size_t textLength = crlf ? lineFeed - 1 : lineFeed;
        Line line{std::string(bytes.substr(0, textLength)), crlf ? "\r\n" : "\n"};
        if (!newlineKnown) {
            m_newline = line.end;
            newlineKnown = true;
        }
        m_lines.push_back(std::move(line));
        bytes.remove_prefix(lineFeed + 1);
    }
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < m_lines.size() && !SectionName(m_lines[end].text, m_dialect)) {
        ++end;
    }
    return end;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section,
                                                           std::size_t from) const {
    for (std::size_t i = from; i < m_lines.size(); ++i) {
        auto name = SectionName(m_lines[i].text, m_dialect);
        if (name && NamesEqual(*name, section)) {
            return Range{i, SectionEnd(i)};
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    auto range = FindSection(section);
    if (!range) {
        return std::nullopt;
    }
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        auto entry = EntryOf(m_lines[i].text);
        if (entry && NamesEqual(entry->key, key)) {
            return std::string(entry->value);
        }
    }
    return std::nullopt;
}

void IniDocument::EnsureLastLineEnded() {
    if (!m_lines.empty() && m_lines.back().end.empty()) {
        m_lines.back().end = m_newline;
    }
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto range = FindSection(section);
    if (!range) {
        EnsureLastLineEnded();
        m_lines.push_back({"[" + std::string(section) + "]", m_newline});
        m_lines.push_back({std::string(key) + "=" + std::string(value), m_newline});
        return;
    }
    std::size_t insertAt = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (auto entry = EntryOf(m_lines[i].text); entry && NamesEqual(entry->key, key)) {
            m_lines[i].text = std::string(entry->key) + "=" + std::string(value);
            return;
        }
        if (!Trim(m_lines[i].text).empty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt == m_lines.size()) {
        EnsureLastLineEnded();
    }
    Line line{std::string(key) + "=" + std::string(value), m_newline};
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    auto range = FindSection(section);
    if (!range) {
        return false;
    }
    auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(range->header + 1);
    auto last = m_lines.begin() + static_cast<std::ptrdiff_t>(range->end);
    auto kept =
        std::remove_if(first, last, [key](const Line& line) { return IsEntryFor(line.text, key); });
    if (kept == last) {
        return false;
    }
    m_lines.erase(kept, last);
    return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
    bool removed = false;
    std::size_t from = 0;
    while (auto range = FindSection(section, from)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(range->end));
        from = range->header;
        removed = true;
    }
    return removed;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (auto range = FindSection(section)) {
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            if (auto entry = EntryOf(m_lines[i].text)) {
                AddOnce(keys, entry->key);
            }
        }
    }
    return keys;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> sections;
    for (const Line& line : m_lines) {
        if (auto name = SectionName(line.text, m_dialect)) {
            AddOnce(sections, *name);
        }
    }
    return sections;
}

std::string IniDocument::Serialize() const {
    std::string bytes(m_byteOrderMark ? kByteOrderMark : std::string_view{});
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

}  // namespace varlok::platform
