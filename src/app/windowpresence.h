#pragma once

#include <functional>

#include "ui/windowimplbase.h"

namespace varlok::app {

// Whether the main window is on screen: it hides in the tray when the desktop
// has one (and otherwise stays on screen, saying why once), comes to the
// front on request, and answers the tray icon's click and a second start of
// the program. UI thread only.
class WindowPresence {
public:
    // window must outlive the object; hasPageToShow tells whether the window
    // has something to show (a connected link, or a waiting page that says
    // why there is none): without it, the user is told that no mouse is
    // connected instead of shown an empty window.
    WindowPresence(ui::WindowImplBase& window, std::function<bool()> hasPageToShow)
        : m_window(window), m_hasPageToShow(std::move(hasPageToShow)) {}

    // Hides the window when the desktop has a tray to get it back from;
    // otherwise leaves it on screen and says why once (on stderr).
    void Hide();
    // Shows, restores and raises the window above others for a moment.
    void BringToFront();
    // A second start of the program asked for the window.
    void OnActivateRequest();
    // A left click on the tray icon: shows the window, or hides it when it
    // is shown. True when it was brought to the front.
    [[nodiscard]] bool OnTrayClick();
    // The mouse went away: the lighting tab takes the focus, a timed notice
    // says so, and the window hides.
    void OnMouseRemoved();

private:
    [[nodiscard]] bool CountsAsShown() const;
    void ShowNoDeviceNotice();

    ui::WindowImplBase& m_window;
    std::function<bool()> m_hasPageToShow;
    bool m_reportedNoTray = false;
};

}  // namespace varlok::app
