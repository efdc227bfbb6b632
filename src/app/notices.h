#pragma once

#include <functional>
#include <string_view>

namespace varlok::ui {
class WindowImplBase;
}

namespace varlok::app {

// How the main window speaks to the user: a modal message box that shows
// the current language's text for a key and returns 1 for its confirm
// button, 0 otherwise; and its timed variant, which closes itself. Both run
// on the UI thread and return when the box is gone.
int ShowNotice(ui::WindowImplBase& parent, std::string_view key);
void ShowTimedNotice(ui::WindowImplBase& parent, std::string_view key);

// True while a notice with this key is open (a handler that runs inside
// its modal loop asks before opening the same notice again).
[[nodiscard]] bool IsNoticeShowing(std::string_view key);

}  // namespace varlok::app
