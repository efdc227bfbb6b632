#pragma once

// Turns one entry of a "(*.x) | *.x ||" filter list into the name filter
// string Qt's file dialog understands ("Text (pattern pattern)"). Pure string
// work, kept apart so that it can be tested without a dialog.

#include <string>

#include "ui/filedialog.h"

namespace varlok::ui::qt {

// "*.*" means every file on Windows; in Qt it would hide names without a dot,
// so it becomes "*". A display text that already ends with its patterns in
// parentheses ("(*.png)") is not repeated.
[[nodiscard]] std::string ToQtNameFilter(const FileFilter& filter);

}  // namespace varlok::ui::qt
