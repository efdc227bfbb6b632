#include "app/connectionview.h"

#include <string>

#include "app/mainwindowroutes.h"
#include "app/sectionnavigator.h"
#include "app/windowdeviceevents.h"
#include "app/windowpresence.h"
#include "keys/page/pagecontrols.h"
#include "ui/tablayoutui.h"

namespace varlok::app {

namespace {

// The page of tab_switch shown while no device is connected.
constexpr int kWaitingPage = 0;

}  // namespace

void ConnectionView::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnMessage(kWindowOwner, MessageNumber(kFirstMonitorControlMessage),
                     MessageNumber(kLastMonitorControlMessage),
                     [this](ui::MessageId message, ui::WParam, ui::LParam) -> ui::LResult {
                         OnMonitorControl(message);
                         return 0;
                     });
}

bool ConnectionView::WaitingPageExplains() const {
    return m_permissionDenied || m_holder.has_value();
}

void ConnectionView::OnMonitorControl(ui::MessageId message) {
    ui::CPaintManagerUI& controls = m_window.controls;
    switch (static_cast<MonitorControlMessage>(message)) {
        case MonitorControlMessage::SelectStoredDeviceProfile:
            m_window.model.Notify(settings::MouseChange::MouseConnected);
            break;
        case MonitorControlMessage::ShowMouseTab:
            m_window.navigator.ShowMouseTab();
            break;
        case MonitorControlMessage::ShowMouseTabPanel:
            keys::SetControlVisible(controls, "ms_tab_panel", true);
            break;
        case MonitorControlMessage::HideMouseTab:
            keys::SetControlVisible(controls, "ms_tab", false);
            // Without a tray the window stays on screen: it shows that it
            // waits for the mouse instead of a page of a mouse that is gone.
            if (auto* tabs = controls.FindControl<ui::CTabLayoutUI>("tab_switch")) {
                tabs->SelectItem(kWaitingPage);
            }
            break;
        case MonitorControlMessage::HideSameModeOption:
            keys::SetControlVisible(controls, "ms_deng_same_mode", false);
            break;
        case MonitorControlMessage::ShowPermissionHelp:
            m_permissionDenied = true;
            ShowWaitingReason();
            // Plugging the mouse in is the moment the user looks for an
            // answer; a window waiting in the tray would give none.
            m_window.presence.BringToFront();
            break;
        case MonitorControlMessage::HidePermissionHelp:
            m_permissionDenied = false;
            ShowWaitingReason();
            break;
        case MonitorControlMessage::MouseHolderChanged:
            ShowMouseHolder(m_window.mouseHolder());
            break;
    }
}

void ConnectionView::ShowMouseHolder(const std::optional<platform::LockHolder>& holder) {
    const bool taken = holder && !m_holder;
    m_holder = holder;
    if (holder) {
        // The program's name and id are shown as they are, in every language.
        std::string name = holder->pid == 0 ? std::string()
                           : holder->program.empty()
                               ? "PID " + std::to_string(holder->pid)
                               : holder->program + " (PID " + std::to_string(holder->pid) + ")";
        if (auto* label = m_window.controls.FindControl("main_in_use_holder")) {
            label->SetText(name);
            label->SetVisible(!name.empty());
        }
    }
    ShowWaitingReason();
    if (taken) {
        // Started while a script has the mouse: the window says why it waits
        // instead of hiding in the tray behind "no mouse".
        m_window.presence.BringToFront();
    }
}

void ConnectionView::ShowWaitingReason() {
    // A refusal is what the user can act on; the holder comes next.
    ui::CPaintManagerUI& controls = m_window.controls;
    keys::SetControlVisible(controls, "main_permission", m_permissionDenied);
    keys::SetControlVisible(controls, "main_in_use", !m_permissionDenied && m_holder.has_value());
    keys::SetControlVisible(controls, "main_waiting", !m_permissionDenied && !m_holder);
}

}  // namespace varlok::app
