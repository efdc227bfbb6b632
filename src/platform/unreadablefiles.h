#pragma once

// Store files that cannot be parsed are set aside rather than replaced: each
// is renamed beside itself with ".unreadable-YYYYMMDD-HHMMSS" added (then
// "-2", "-3", ... when that name is taken), so that the user keeps what it
// held and no store takes it for an entry again: the mark ends no name a
// store looks for. The files set aside are noted until the window, which
// tells the user once, takes the note.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace varlok::platform {

inline constexpr std::string_view kUnreadableMark = ".unreadable-";

// Renames file to its set-aside name in the same folder, never over another
// file, says so with why on the debug output and notes it. The new path, or
// nothing when the rename failed: the file then stays where it is (and the
// debug output says why). Any thread.
std::optional<std::filesystem::path> SetAsideUnreadable(const std::filesystem::path& file,
                                                        std::string_view why);

// The files set aside since the last call, oldest first; the note is empty
// afterwards. Any thread.
[[nodiscard]] std::vector<std::filesystem::path> TakeSetAsideFiles();

// Whether bytes can be one of our INI files: text never holds a NUL byte,
// and IniFile writes none (it refuses one in any name or value). Every other
// byte may be a user's name or a program's path.
[[nodiscard]] bool IsIniText(std::string_view bytes);

// Sets aside the INI file at path when it is there and not text. True when it
// was set aside.
bool SetAsideIniIfNotText(const std::filesystem::path& path);

}  // namespace varlok::platform
