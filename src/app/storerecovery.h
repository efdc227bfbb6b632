#pragma once

// What the window does with its stores before it reads any of them: the
// temporary copies that killed writes left beside them go, and a store that
// cannot be parsed is set aside (platform/unreadablefiles.h) rather than
// silently replaced by the next save; the user is told once.

#include <filesystem>

#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "profiles/profilestore.h"
#include "ui/dialogservice.h"

namespace varlok::app {

// The language key of the message that files were set aside.
inline constexpr std::string_view kSetAsideMessage = "message_store_set_aside";

struct WindowStores {
    std::filesystem::path mainIni;
    std::filesystem::path registryFile;
    profiles::ProfileStore& profiles;
    const keys::MacroStore& macros;
    const keys::CursorScripts& cursorScripts;
};

// Removes the leftovers of killed writes from the data folder and main.ini's
// folder, then sets aside main.ini and the registry stand-in when they are
// not text, and what the profile store, the macro store and the cursor
// scripts cannot parse, lists before the files they name. UI thread, before
// the pages fill their lists.
void RecoverStores(const WindowStores& stores);

// Shows kSetAsideMessage once when files were set aside since the last call
// (here or elsewhere in the process, as the virtual mouse's state file is).
// UI thread.
void TellOfSetAsideFiles(ui::DialogService& dialogs);

}  // namespace varlok::app
