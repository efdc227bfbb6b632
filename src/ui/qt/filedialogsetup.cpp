#include "ui/qt/filedialogsetup.h"

#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStringList>

#include "ui/qt/namefilter.h"

namespace varlok::ui::qt {

namespace {

// Folders, to be opened, and the files the user may execute. The dialog's
// own permission filter (QDir::Executable) cannot say this: its model hides
// every entry that has a permission not asked for, so asking for executables
// alone hides everything readable, which is every entry.
class ExecutablesFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    [[nodiscard]] bool filterAcceptsRow(int sourceRow,
                                        const QModelIndex& sourceParent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) {
            return true;
        }
        const QModelIndex index = files->index(sourceRow, 0, sourceParent);
        return files->isDir(index) || files->fileInfo(index).isExecutable();
    }
};

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

}  // namespace

void SetUpFileDialog(QFileDialog& dialog, FileDialogKind kind, const FileDialogOptions& options) {
    const bool save = kind == FileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if ((options.flags & FileDialogOptions::kExecutablesOnly) != 0) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        // The dialog owns the filter.
        dialog.setProxyModel(new ExecutablesFilter(&dialog));
    }
    QStringList nameFilters;
    for (const FileFilter& filter : ParseFileFilter(options.filter)) {
        nameFilters << QString::fromStdString(ToQtNameFilter(filter));
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    if (!options.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(options.defaultExtension));
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     (options.flags & FileDialogOptions::kOverwritePrompt) == 0);
    if (!options.initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(options.initialFolder));
    }
    if (!options.initialName.empty() && !HasWildcard(options.initialName)) {
        dialog.selectFile(QString::fromStdString(options.initialName));
    }
}

}  // namespace varlok::ui::qt
