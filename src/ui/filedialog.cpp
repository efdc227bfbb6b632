#include "ui/filedialog.h"

#include <mutex>
#include <utility>

#include <QDir>
#include <QFileDialog>

#include "ui/qt/filedialogsetup.h"

namespace varlok::ui {

namespace {

std::mutex g_providerMutex;
FileDialogAnswerProvider g_provider;

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

std::optional<std::string> RunDialog(FileDialogKind kind, const FileDialogOptions& options) {
    FileDialogAnswerProvider provider;
    {
        const std::lock_guard lock(g_providerMutex);
        provider = g_provider;
    }
    std::optional<std::string> chosen;
    if (provider) {
        chosen = provider(kind, options);
    } else {
        QFileDialog dialog(nullptr, QString::fromStdString(options.title));
        dialog.setWindowModality(Qt::ApplicationModal);
        qt::SetUpFileDialog(dialog, kind, options);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
    }
    if (!chosen || chosen->empty()) {
        return std::nullopt;
    }
    if (kind == FileDialogKind::Save) {
        return WithDefaultExtension(*chosen, options.defaultExtension);
    }
    return chosen;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
    if (const auto end = filter.find("||"); end != std::string_view::npos) {
        filter = filter.substr(0, end);
    }
    std::vector<FileFilter> filters;
    const std::vector<std::string_view> parts = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter entry;
        for (const std::string_view pattern : Split(parts[i + 1], ';')) {
            if (const std::string_view trimmed = Trim(pattern); !trimmed.empty()) {
                entry.patterns.emplace_back(trimmed);
            }
        }
        if (entry.patterns.empty()) {
            continue;
        }
        entry.displayText = Trim(parts[i]);
        if (entry.displayText.empty()) {
            for (const std::string& pattern : entry.patterns) {
                entry.displayText += (entry.displayText.empty() ? "" : ";") + pattern;
            }
        }
        filters.push_back(std::move(entry));
    }
    return filters;
}

std::string WithDefaultExtension(std::string_view path, std::string_view extension) {
    while (!extension.empty() && extension.front() == '.') {
        extension.remove_prefix(1);
    }
#if defined(_WIN32)
    const auto nameStart = path.find_last_of("\\/");
#else
    const auto nameStart = path.find_last_of('/');
#endif
    const std::string_view name =
        nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
    if (extension.empty() || name.empty() || name.find('.') != std::string_view::npos) {
        return std::string(path);
    }
    return std::string(path) + "." + std::string(extension);
}

std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) {
    return RunDialog(FileDialogKind::Open, options);
}

std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) {
    return RunDialog(FileDialogKind::Save, options);
}

void SetFileDialogAnswerProvider(FileDialogAnswerProvider provider) {
    const std::lock_guard lock(g_providerMutex);
    g_provider = std::move(provider);
}

}  // namespace varlok::ui
