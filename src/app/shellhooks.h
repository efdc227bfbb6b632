#pragma once

#include <functional>

namespace varlok::ui {
class CControlUI;
}

namespace varlok::app {

class CMainWnd;

// Where the skins and the About window join the main window. The process
// start fills them in from their owners; a hook left empty does nothing.
// All are called on the UI thread.
struct ShellHooks {
    // At InitWindow: register the window as a receiver of skin changes.
    std::function<void(CMainWnd&)> registerSkinReceiver;
    // When the window goes away: undo registerSkinReceiver.
    std::function<void(CMainWnd&)> unregisterSkinReceiver;
    // At "windowinit", before the pages are filled: show the background
    // picture main.ini names.
    std::function<void(CMainWnd&)> applySavedBackground;
    // A click on skinbtn: open the skin popup under that button.
    std::function<void(CMainWnd&, ui::CControlUI& skinButton)> openSkinFrame;
    // The menu item About_setting: open the About window.
    std::function<void(CMainWnd&)> openAbout;
};

}  // namespace varlok::app
