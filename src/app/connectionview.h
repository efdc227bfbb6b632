#pragma once

#include <functional>
#include <optional>

#include "platform/ownerlock.h"
#include "platform/udevrulefile.h"
#include "settings/mousemodel.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::app {

class SectionNavigator;
class WindowPresence;

// What the main window shows of the mouse's connection as the device
// monitors report it (their MonitorControlMessage range): the mouse tab and
// its panel, the options offered only beside another device, and the
// waiting page's reason for having no mouse page (the node may not be
// opened, with the udev rule that would let it and the commands that put
// the rule in force; or another program holds the mouse). UI thread only.
class ConnectionView {
public:
    // Every reference must outlive the view.
    struct Window {
        ui::CPaintManagerUI& controls;
        settings::MouseModel& model;
        SectionNavigator& navigator;
        WindowPresence& presence;
        // The program that holds the mouse as the monitors last told, none
        // when it is free (or before they run).
        std::function<std::optional<platform::LockHolder>()> mouseHolder;
        // What the permission help names and asks to run.
        platform::UdevRuleFile udevRule;
    };

    explicit ConnectionView(Window window) : m_window(std::move(window)) {}

    // The monitors' control messages, as the window's own routes.
    void RegisterRoutes(ui::RouteTable& routes);
    // Whether the waiting page says more than "connect the mouse".
    [[nodiscard]] bool WaitingPageExplains() const;

private:
    void OnMonitorControl(ui::MessageId message);
    // Names the program that holds the mouse on the waiting page, or takes
    // the name away (none); comes forward when the mouse was just taken.
    void ShowMouseHolder(const std::optional<platform::LockHolder>& holder);
    // Shows the waiting page's part that says why there is no mouse page.
    void ShowWaitingReason();
    // Fills the permission help in with the rule and its commands.
    void ShowUdevRule();

    Window m_window;
    // The mouse is present but its node may not be opened.
    bool m_permissionDenied = false;
    // The program that holds the mouse, if another one does.
    std::optional<platform::LockHolder> m_holder;
};

}  // namespace varlok::app
