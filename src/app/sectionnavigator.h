#pragma once

#include <string_view>

#include "ui/notify.h"
#include "ui/routetable.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

class MousePages;

// Which section and page of the main window is in front: an option's
// selection turns the tab layout it stands for, any selection ends a
// capture of input, and unsaved edits keep their page in front (the
// selection that would leave it is taken back and the user told why).
// UI thread only.
class SectionNavigator {
public:
    // window: whose controls are turned and whose Notify a selection made
    // here goes through; routes: where the end of a capture is raised;
    // pages: asked for unsaved edits. All must outlive the navigator.
    SectionNavigator(ui::WindowImplBase& window, ui::RouteTable& routes, const MousePages& pages)
        : m_window(window), m_routes(routes), m_pages(pages) {}

    // A "selectchanged" notification: false when it must go no further (it
    // was taken back).
    [[nodiscard]] bool OnSelectChanged(const ui::TNotifyUI& msg);
    // Shows ms_tab and selects it; its page is shown even when the option
    // already was selected.
    void ShowMouseTab();
    // Brings the mouse's function page by its command-line name to the front
    // (FindFunctionPage); an unknown name does nothing.
    void ShowFunctionPage(std::string_view name);

private:
    ui::WindowImplBase& m_window;
    ui::RouteTable& m_routes;
    const MousePages& m_pages;
    // Set while the guard selects the macro tab again, so that the
    // selections it causes pass without a second message.
    bool m_restoringMacroTab = false;
};

}  // namespace varlok::app
