#pragma once

#include <filesystem>

#include "app/shellhooks.h"

namespace varlok::app {

// Fills the main window's hooks with the skins and the About window:
// registerSkinReceiver and unregisterSkinReceiver attach and detach a
// receiver that shows every skin choice on the window's "root" control;
// applySavedBackground shows the picture main.ini names; openSkinFrame opens
// a CSkinFrame under the skin button (closing one still open);
// openAbout opens a Ccopyright centred on the window. mainIni is the
// program's main.ini. The windows the hooks open live in state the hooks
// share, released with the last copy of the hooks. UI thread only.
void InstallShellHooks(ShellHooks& hooks, const std::filesystem::path& mainIni);

}  // namespace varlok::app
