#pragma once

// Sets Qt's file dialog up as the pages ask for it, apart from running it, so
// that what a dialog lists can be tested without a user.

#include <QFileDialog>

#include "ui/filedialog.h"

namespace varlok::ui::qt {

// Accept and file mode, name filters, default suffix, overwrite prompt, first
// folder and name. With FileDialogOptions::kExecutablesOnly the dialog lists
// folders and the files the user may run, whatever their names (its own
// widgets, not the desktop's dialog, which would not apply that filter).
void SetUpFileDialog(QFileDialog& dialog, FileDialogKind kind, const FileDialogOptions& options);

}  // namespace varlok::ui::qt
