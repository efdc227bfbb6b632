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

// The permission help's text where the rule has to be installed, and where
// it is installed but the node still may not be opened.
constexpr std::string_view kInstallRuleText = "main_permission_text";
constexpr std::string_view kRuleInstalledText = "main_permission_text_installed";
// The command card of main.xml: its insets (top and bottom), a line and the
// room between lines.
constexpr int kCommandCardInsets = 20;
constexpr int kCommandLineHeight = 20;
constexpr int kCommandLinePadding = 4;

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
            ShowUdevRule();
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

void ConnectionView::ShowUdevRule() {
    ui::CPaintManagerUI& controls = m_window.controls;
    const platform::UdevRuleFile& rule = m_window.udevRule;
    if (auto* text = controls.FindControl("main_permission_text")) {
        text->SetText(rule.readByUdev ? kRuleInstalledText : kInstallRuleText);
    }
    if (auto* path = controls.FindControl("main_permission_rule")) {
        path->SetText(rule.path.string());
    }
    // The copy only where udev does not read the rule where it is.
    if (auto* copy = controls.FindControl("main_permission_copy")) {
        copy->SetText(platform::UdevRuleCopyCommand(rule));
        copy->SetVisible(!rule.readByUdev);
    }
    if (auto* reload = controls.FindControl("main_permission_reload")) {
        reload->SetText(platform::kUdevReloadCommand);
    }
    if (auto* card = controls.FindControl("main_permission_commands")) {
        const int lines = rule.readByUdev ? 1 : 2;
        card->SetFixedHeight(kCommandCardInsets + lines * kCommandLineHeight +
                             (lines - 1) * kCommandLinePadding);
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
