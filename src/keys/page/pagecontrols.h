#pragma once

// What the macro and cursor sections do alike with their controls: the file
// dialog of a store file, option states, texts and typed numbers. A control
// the layout lacks is skipped (reads as unselected, empty or 0).

#include <string>
#include <string_view>

#include "ui/filedialog.h"
#include "ui/paintmanagerui.h"

namespace varlok::keys {

// The open and save dialogs of a store file with this extension ("mac",
// "cur"): "*.ext", the filter "(*.ext) | *.ext ||", hide read-only,
// overwrite prompt.
[[nodiscard]] ui::FileDialogOptions StoreFileDialog(std::string_view extension);

[[nodiscard]] bool IsOptionSelected(const ui::CPaintManagerUI& controls, std::string_view option);

// The edit's number limited to 0..max. A limited value is written back
// with `writing` set meanwhile, so that the page can ignore the edit's own
// notification of that write.
int ReadNumberEdit(ui::CPaintManagerUI& controls, std::string_view edit, int max, bool& writing);

}  // namespace varlok::keys
