#pragma once

#include <filesystem>

namespace varlok::app {

// The program's data folder: the user's Documents folder (see
// platform::DocumentsFolder) / "VARLOK". Both folders are created when they
// are missing; a failure to create them is not reported here (the file
// operations that follow fail and report in their own way). main.ini lies
// directly in it.
[[nodiscard]] std::filesystem::path DataFolder();

// The mouse's stores (msProfile.ini, msMacro.ini, profile and macro files):
// DataFolder() / "ms", created when missing.
[[nodiscard]] std::filesystem::path MouseDataFolder();

// DataFolder() / "main.ini": skin and language choices.
[[nodiscard]] std::filesystem::path MainIniFile();

}  // namespace varlok::app
