#pragma once

// Entry names (profiles, macros) are the user's own text and become file
// names and INI values. These rules keep a name from addressing a file
// outside its data folder or breaking the INI file, and find files the way
// the platform the stores come from does: without regard to case.

#include <filesystem>
#include <optional>
#include <string_view>

namespace varlok::platform {

// The longest name, in bytes, that still leaves room for an extension in a
// file name (255 bytes on the usual file systems).
inline constexpr std::size_t kMaxEntryNameBytes = 240;

// Why a name cannot be used; Ok when it can.
enum class EntryNameProblem {
    Ok,
    Empty,
    // "." or "..", or a name holding '/' or '\': it would leave the folder.
    LeavesFolder,
    // A control character (line ends included): it would break the INI file
    // or the file name.
    ControlCharacter,
    // Blanks at either end, which the INI file trims away on reading.
    SurroundingBlanks,
    TooLong,
};

[[nodiscard]] EntryNameProblem CheckEntryName(std::string_view name);
[[nodiscard]] inline bool IsSafeEntryName(std::string_view name) {
    return CheckEntryName(name) == EntryNameProblem::Ok;
}

// The file of an entry: folder / (name + extension). When no file of exactly
// that name exists but one whose name differs only in the case of ASCII
// letters does, that file is the entry's (a file written as ".pro" is read
// back as ".PRO"). std::nullopt for a name that is not safe.
[[nodiscard]] std::optional<std::filesystem::path> EntryFilePath(
    const std::filesystem::path& folder, std::string_view name, std::string_view extension);

// Whether two names are the same without regard to the case of ASCII letters.
[[nodiscard]] bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace varlok::platform
