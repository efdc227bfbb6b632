#pragma once

// The open and save file dialogs, as the pages call them: a title, a default
// extension, an initial name and a filter list in the "(*.x) | *.x ||" form
// (display text and pattern separated by '|', the list ended by "||").
// UI thread only. Without owner window: they are application-modal.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::ui {

struct FileDialogOptions {
    // Hide the read-only check box. Qt's dialogs have none; kept so that
    // callers state what they ask for.
    static constexpr unsigned kHideReadOnly = 0x0004;
    // Save: ask before replacing an existing file.
    static constexpr unsigned kOverwritePrompt = 0x0002;
    // Open: offer only files one may run (the execute bit), whatever their
    // names; with the filter "(...) | * ||" that is every program.
    static constexpr unsigned kExecutablesOnly = 0x0100;

    std::string title{};
    // Without the dot ("png"); appended on save when the chosen name has no
    // extension.
    std::string defaultExtension{};
    // A name to start with ("profile1.led"). A name with wildcards ("*.png")
    // only repeats the filter and selects nothing.
    std::string initialName{};
    std::string filter{};
    // The folder the dialog opens in; empty: the dialog's own choice.
    std::string initialFolder{};
    unsigned flags = kHideReadOnly | kOverwritePrompt;
};

// One entry of a filter list: what the user sees and the patterns it stands
// for ("*.png", or several from "*.jpg;*.jpeg").
struct FileFilter {
    std::string displayText;
    std::vector<std::string> patterns;
};

// Parses the "(*.png) | *.png |(*.*)|*.*||" form. Whitespace around each
// part is dropped, an entry without pattern and everything after "||" are
// ignored, and an empty display text shows the patterns.
[[nodiscard]] std::vector<FileFilter> ParseFileFilter(std::string_view filter);

// The path the user chose (absolute, native separators), or nothing when the
// dialog was cancelled. Open asks for an existing file.
[[nodiscard]] std::optional<std::string> OpenFileDialog(const FileDialogOptions& options);
[[nodiscard]] std::optional<std::string> SaveFileDialog(const FileDialogOptions& options);

// For tests and scripted runs: while a provider is set, no dialog is shown;
// the provider sees the options and answers as the user would (a path, or
// nothing for cancel). Save still appends the default extension to the
// answer. Set an empty function to show real dialogs again.
enum class FileDialogKind { Open, Save };
using FileDialogAnswerProvider =
    std::function<std::optional<std::string>(FileDialogKind, const FileDialogOptions&)>;
void SetFileDialogAnswerProvider(FileDialogAnswerProvider provider);

// Appends "." + extension when the file name part of path has none.
[[nodiscard]] std::string WithDefaultExtension(std::string_view path, std::string_view extension);

}  // namespace varlok::ui
