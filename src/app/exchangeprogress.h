#pragma once

#include "settings/exchangehooks.h"
#include "ui/routetable.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

// What the main window shows of the configuration exchanges: the progress
// of a save to the mouse (shown at its start, hidden a moment after its
// end) and, on a switch of onboard profile, the function panel put away.
// The save's start and end go through the window's messages, so that they
// reach the window's other listeners too. UI thread only.
class ExchangeProgress final : public settings::ExchangeHooks {
public:
    // window must outlive the object.
    explicit ExchangeProgress(ui::WindowImplBase& window) : m_window(window) {}

    // The save messages and the timer that hides the progress, as the
    // window's own routes.
    void RegisterRoutes(ui::RouteTable& routes);

    void OnboardProfileSwitched() override;
    void SaveStarted() override;
    void SaveFinished() override;

private:
    ui::WindowImplBase& m_window;
};

}  // namespace varlok::app
