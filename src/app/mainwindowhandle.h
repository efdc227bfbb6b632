#pragma once

#include "ui/windowhandle.h"

namespace varlok::app {

// The process-wide handle of the main window, through which worker threads and
// the single-instance listener post and send messages and start timers. Set by
// the main window when it initialises and cleared when it goes away; an unset
// handle is inert (posts are dropped). Thread-safe.
void SetMainWindowHandle(ui::WindowHandle handle);
[[nodiscard]] ui::WindowHandle MainWindowHandle();

}  // namespace varlok::app
