#include "platform/inifile.h"

#include "platform/decimal.h"
#include "platform/inidocument.h"
#include "platform/pathmutex.h"
#include "platform/utf16limit.h"

namespace varlok::platform {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool HasAny(std::string_view text, std::string_view characters) {
    return text.find_first_of(characters) != std::string_view::npos;
}

constexpr std::string_view kLineBreakOrNul{"\r\n\0", 3};

// A KConfig header runs to its last ']': a nested group's "][" reads back.
bool ValidSection(std::string_view section, IniDialect dialect) {
    return !section.empty() && !HasAny(section, kLineBreakOrNul) &&
           (dialect == IniDialect::Kconfig || !HasAny(section, "]"));
}

bool ValidKey(std::string_view key) {
    return !key.empty() && !HasAny(key, kLineBreakOrNul) && !HasAny(key, "=") &&
           key.front() != '[' && key.front() != ';';
}

bool ValidValue(std::string_view value) {
    return !HasAny(value, kLineBreakOrNul);
}

std::optional<IniDocument> Load(const std::filesystem::path& path, IniDialect dialect) {
    FileContents contents = ReadWholeFile(path);
    if (contents.status != FileReadStatus::Ok) {
        return std::nullopt;
    }
    return IniDocument(contents.bytes, dialect);
}

}  // namespace

IniFile::IniFile(const std::filesystem::path& path, AtomicWriteFaultHook faultHook)
    : m_path(CanonicalFilePath(path)),
      m_faultHook(std::move(faultHook)),
      m_mutex(MutexForPath(m_path)) {}

IniFile::IniFile(const std::filesystem::path& path, IniDialect dialect) : IniFile(path) {
    m_dialect = dialect;
}

std::string IniFile::Read(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const {
    std::optional<std::string> value = Find(section, key);
    return value ? std::move(*value) : TruncateToUtf16Units(defaultValue, kMaxValueLength);
}

int IniFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::optional<std::string> value = Find(section, key);
    return value ? ParseDecimal(*value) : defaultValue;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    std::optional<std::string> value = FindWhole(section, key);
    if (!value) {
        return std::nullopt;
    }
    return TruncateToUtf16Units(*value, kMaxValueLength);
}

std::optional<std::string> IniFile::FindWhole(std::string_view section,
                                              std::string_view key) const {
    std::optional<IniDocument> document = Load(m_path, m_dialect);
    if (!document) {
        return std::nullopt;
    }
    return document->Find(TrimBlanks(section), TrimBlanks(key));
}

IniWriteResult IniFile::Write(std::string_view section, std::string_view key,
                              std::string_view value) {
    return Change(Edit::Set, section, key, value);
}

IniWriteResult IniFile::WriteValues(std::span<const IniValue> values, IniBase base) {
    for (const IniValue& entry : values) {
        if (!ValidSection(TrimBlanks(entry.section), m_dialect)) {
            return IniWriteResult::InvalidSection;
        }
        if (!ValidKey(TrimBlanks(entry.key))) {
            return IniWriteResult::InvalidKey;
        }
        if (!ValidValue(entry.value)) {
            return IniWriteResult::InvalidValue;
        }
    }
    std::lock_guard lock(*m_mutex);
    FileContents contents = ReadWholeFile(m_path);
    if (contents.status == FileReadStatus::Error && base == IniBase::Existing) {
        return IniWriteResult::IoError;
    }
    IniDocument document(
        base == IniBase::Existing ? std::string_view(contents.bytes) : std::string_view(),
        m_dialect);
    for (const IniValue& entry : values) {
        document.Set(TrimBlanks(entry.section), TrimBlanks(entry.key), entry.value);
    }
    std::string bytes = document.Serialize();
    if (contents.status == FileReadStatus::Ok && bytes == contents.bytes) {
        return IniWriteResult::Ok;
    }
    return ReplaceFileAtomically(m_path, bytes, m_faultHook) ? IniWriteResult::Ok
                                                             : IniWriteResult::IoError;
}

IniWriteResult IniFile::DeleteKey(std::string_view section, std::string_view key) {
    return Change(Edit::RemoveKey, section, key, {});
}

IniWriteResult IniFile::DeleteSection(std::string_view section) {
    return Change(Edit::RemoveSection, section, {}, {});
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::optional<IniDocument> document = Load(m_path, m_dialect);
    return document ? document->Keys(TrimBlanks(section)) : std::vector<std::string>{};
}

std::vector<std::string> IniFile::Sections() const {
    std::optional<IniDocument> document = Load(m_path, m_dialect);
    return document ? document->Sections() : std::vector<std::string>{};
}

IniWriteResult IniFile::Change(Edit edit, std::string_view section, std::string_view key,
                               std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!ValidSection(section, m_dialect)) {
        return IniWriteResult::InvalidSection;
    }
    if (edit != Edit::RemoveSection && !ValidKey(key)) {
        return IniWriteResult::InvalidKey;
    }
    if (!ValidValue(value)) {
        return IniWriteResult::InvalidValue;
    }

    std::lock_guard lock(*m_mutex);
    FileContents contents = ReadWholeFile(m_path);
    if (contents.status == FileReadStatus::Error) {
        return IniWriteResult::IoError;
    }
    const bool exists = contents.status == FileReadStatus::Ok;
    IniDocument document(contents.bytes, m_dialect);
    switch (edit) {
        case Edit::Set:
            document.Set(section, key, value);
            break;
        case Edit::RemoveKey:
            document.RemoveKey(section, key);
            break;
        case Edit::RemoveSection:
            document.RemoveSection(section);
            break;
    }
    std::string bytes = document.Serialize();
    if (exists ? bytes == contents.bytes : edit != Edit::Set) {
        return IniWriteResult::Ok;
    }
    return ReplaceFileAtomically(m_path, bytes, m_faultHook) ? IniWriteResult::Ok
                                                             : IniWriteResult::IoError;
}

}  // namespace varlok::platform
