#pragma once

#include "platform/atomicfile.h"
#include "platform/inidocument.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::platform {

// One value of a batch write.
struct IniValue {
    std::string section;
    std::string key;
    std::string value;
};

// What a batch write starts from.
enum class IniBase {
    Existing,  // the file as it is: other values stay
    Empty,     // nothing: the file is written anew with only the batch's values
};

enum class IniWriteResult {
    Ok,
    InvalidSection,  // empty, or holds CR, LF, NUL or ']'
    InvalidKey,      // empty, holds CR, LF, NUL or '=', or starts with '[' or ';'
    InvalidValue,    // holds CR, LF or NUL
    IoError,         // the file could not be read or replaced; it is left as it was
};

// One INI store file (main.ini, msProfile.ini, msMacro.ini, .mac and .cur files,
// the registry stand-in), read and written one value at a time like the Windows
// private-profile functions: a missing file, section or key reads as the default,
// reads return at most 259 characters, section and key names compare without
// regard to ASCII case, surrounding blanks are trimmed on read, the first write
// creates the file. The file format is described at IniDocument.
//
// Unlike the Windows functions it is safe: each change replaces the file
// atomically; changes to one file from any number of IniFile objects and threads
// in this process are serialised, so none is lost; names and values that would
// corrupt the file are refused and the file is left untouched. Nothing is cached:
// every call reads the file as it is on disk.
//
// New files use "\r\n" line ends so that the Windows build reads them too; an
// existing file keeps the line end it uses. Names given to any call are trimmed
// of surrounding blanks first, as they would be on reading them back. The parent
// folder must exist; it is not created.
//
// Thread-safe; objects are cheap and may be copied.
class IniFile {
public:
    // The largest value Read returns, in Windows characters (UTF-16 units): the
    // 260-character buffers of the Windows build less the terminating zero.
    static constexpr std::size_t kMaxValueLength = 259;

    explicit IniFile(const std::filesystem::path& path, AtomicWriteFaultHook faultHook = {});
    // A file of another dialect (KDE's KConfig files, whose nested groups
    // have "][" in their names).
    IniFile(const std::filesystem::path& path, IniDialect dialect);

    // The file's absolute, canonical path.
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

    // The value, or `defaultValue` when file, section or key is missing or the file
    // cannot be read; cut to kMaxValueLength without splitting a character.
    [[nodiscard]] std::string Read(std::string_view section, std::string_view key,
                                   std::string_view defaultValue = "0") const;

    // Read() with the default "0", parsed as ParseDecimal does; `defaultValue`
    // when the key is missing.
    [[nodiscard]] int ReadInt(std::string_view section, std::string_view key,
                              int defaultValue = 0) const;

    // The value (cut as by Read), or std::nullopt when it is missing.
    [[nodiscard]] std::optional<std::string> Find(std::string_view section,
                                                  std::string_view key) const;

    // The value as stored, not cut to kMaxValueLength, or std::nullopt when it
    // is missing: for values that must be compared whole and may be longer
    // than a Windows buffer (the full paths of linked programs).
    [[nodiscard]] std::optional<std::string> FindWhole(std::string_view section,
                                                       std::string_view key) const;

    // Sets one value, stored as given. A value with surrounding blanks reads back
    // trimmed, as on Windows.
    [[nodiscard]] IniWriteResult Write(std::string_view section, std::string_view key,
                                       std::string_view value);

    // Sets several values with one replacement of the file, so that readers
    // and a crash see all of them or none. Every name and value is checked
    // first; when one is refused nothing is written. From IniBase::Empty the
    // file holds only these values afterwards (what deleting and rewriting a
    // file does, without the moment in which it is missing).
    [[nodiscard]] IniWriteResult WriteValues(std::span<const IniValue> values,
                                             IniBase base = IniBase::Existing);

    // Removes the key (every copy of it in its section). Ok when it was not there;
    // a missing file is not created.
    [[nodiscard]] IniWriteResult DeleteKey(std::string_view section, std::string_view key);

    // Removes the section and all its lines. Ok when it was not there.
    [[nodiscard]] IniWriteResult DeleteSection(std::string_view section);

    // Key names of the section in file order; empty when it or the file is missing.
    [[nodiscard]] std::vector<std::string> Keys(std::string_view section) const;

    // Section names in file order.
    [[nodiscard]] std::vector<std::string> Sections() const;

private:
    enum class Edit { Set, RemoveKey, RemoveSection };
    IniWriteResult Change(Edit edit, std::string_view section, std::string_view key,
                          std::string_view value);

    std::filesystem::path m_path;
    AtomicWriteFaultHook m_faultHook;
    std::shared_ptr<std::mutex> m_mutex;
    IniDialect m_dialect = IniDialect::Windows;
};

}  // namespace varlok::platform
