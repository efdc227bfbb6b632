#pragma once

// What a test does for a user who picks a file in an open or save dialog.

#include <functional>
#include <string>

namespace varlok::app::testing {

// Runs click while the file dialogs answer path, confirming the message box
// it opens; returns that box's text ("" when none opened). UI thread.
std::string MessageWithFileChosen(const std::string& path, const std::function<void()>& click);

}  // namespace varlok::app::testing
