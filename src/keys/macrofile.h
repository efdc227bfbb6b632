#pragma once

// The file of one macro (.mac) or cursor script (.cur): an INI file with the
// action count, the actions as text and, for macros, the macro's name.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/macroaction.h"
#include "platform/atomicfile.h"
#include "platform/inidocument.h"
#include "platform/inifile.h"

namespace varlok::keys {

// The sections and keys of the file.
inline constexpr std::string_view kActionCountSection = "MACROACTIONCOUNT";
inline constexpr std::string_view kActionSection = "MACROACTION";
inline constexpr std::string_view kSelectNameSection = "MACROSELECTNAME";
inline constexpr std::string_view kCountKey = "count";
inline constexpr std::string_view kNameKey = "name";

// More actions than a record can count (its count is 16 bits); a file that
// claims more is not a macro this program can send.
inline constexpr int kMaxActionsPerFile = 0xFFFF;

// What a file holds, read in one pass.
struct MacroFileContents {
    // False when the file is missing or cannot be read: it holds no actions.
    bool exists = false;
    // MACROACTIONCOUNT as stored (0 when missing), limited to 0..65535.
    int count = 0;
    // Actions 0..count - 1 that could be read, in order.
    std::vector<MacroAction> actions;
    // Positions of the actions whose text could not be read (or was missing).
    std::vector<int> unreadable;
};

// A store file read once, for callers that read many of its values: the
// document, or std::nullopt when the file is missing or cannot be read.
[[nodiscard]] std::optional<platform::IniDocument> LoadStoreDocument(
    const std::filesystem::path& path);
// A value of such a document as IniFile::Read gives it (cut to the
// 260-character buffers), or std::nullopt when it is missing.
[[nodiscard]] std::optional<std::string> FindStoreValue(const platform::IniDocument& document,
                                                        std::string_view section,
                                                        std::string_view key);

// Reads path. Keys at or above the count are ignored. Each unreadable action
// is left out and named on the debug output with the file's name.
[[nodiscard]] MacroFileContents ReadMacroFile(const std::filesystem::path& path);

// Why a macro file's bytes are no macro this program can send: not text, no
// stated action count (MACROACTIONCOUNT/count, a number) or an action that
// cannot be read; what the store writes is always whole. Nothing for a
// macro. name is the file's, for the debug output.
[[nodiscard]] std::optional<std::string> MacroFileFault(std::string_view bytes,
                                                        const std::filesystem::path& name);

// The most a file chosen for import may hold: far more text than the
// largest macro table a mouse takes (255 x 128 bytes) needs.
inline constexpr std::size_t kMaxImportFileBytes = 1024 * 1024;

// A macro or cursor-script file the user chose to import, read once: the
// bytes to copy and what they hold.
struct ImportFile {
    std::string bytes;
    MacroFileContents contents;
};

// Reads a file chosen for import. std::nullopt unless it is a regular file
// of at most kMaxImportFileBytes, text, that states its action count
// (MACROACTIONCOUNT/count, a number): anything else is no macro or script,
// whatever its name.
[[nodiscard]] std::optional<ImportFile> ReadImportFile(const std::filesystem::path& path);

// The stored text of action position (std::nullopt when missing), without
// reading the others.
[[nodiscard]] std::optional<std::string> ReadMacroActionText(const std::filesystem::path& path,
                                                             int position);

// Writes the count and actions 0..n - 1 (and, with a name, MACROSELECTNAME)
// into path in one replacement of the file. Other keys of the file stay, as
// the stale actions above the count do: they are never read.
[[nodiscard]] platform::IniWriteResult WriteMacroFile(
    const std::filesystem::path& path, std::span<const MacroAction> actions,
    std::optional<std::string_view> name = std::nullopt,
    const platform::AtomicWriteFaultHook& faultHook = {});

// Copies a file byte for byte over target, replacing it atomically. False
// when source cannot be read or target cannot be written (target is then as
// it was).
[[nodiscard]] bool CopyStoreFile(const std::filesystem::path& source,
                                 const std::filesystem::path& target,
                                 const platform::AtomicWriteFaultHook& faultHook = {});
// The same with bytes already read.
[[nodiscard]] bool WriteStoreFile(const std::filesystem::path& target, std::string_view bytes,
                                  const platform::AtomicWriteFaultHook& faultHook = {});

}  // namespace varlok::keys
