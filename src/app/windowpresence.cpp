#include "app/windowpresence.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/msgwnd.h"
#include "ui/controlui.h"
#include "ui/trayicon.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using namespace std::chrono_literals;

// A raised window stays on top long enough for the desktop to take it to the
// front.
constexpr auto kTopmostPause = 10ms;

constexpr std::string_view kNoDeviceNotice = "message_text_1";
constexpr std::string_view kMouseRemovedNotice = "message_text_20";

}  // namespace

void WindowPresence::Hide() {
    if (ui::CTrayIcon::IsSystemTrayAvailable()) {
        m_window.ShowWindow(false);
        return;
    }
    if (!m_reportedNoTray) {
        m_reportedNoTray = true;
        std::fputs(
            "varlok: this desktop has no system tray, so the window stays on screen "
            "instead of hiding in the tray\n",
            stderr);
    }
}

void WindowPresence::BringToFront() {
    m_window.ShowWindow(true);
    m_window.SendMessage(ui::WM_SYSCOMMAND, ui::SC_RESTORE);
    m_window.SetTopmost(true);
    std::this_thread::sleep_for(kTopmostPause);
    m_window.SetTopmost(false);
    m_window.GetPaintManager().Invalidate();
}

void WindowPresence::OnActivateRequest() {
    if (m_hasPageToShow()) {
        BringToFront();
        return;
    }
    Hide();
    ShowNoDeviceNotice();
}

bool WindowPresence::OnTrayClick() {
    if (!m_hasPageToShow()) {
        Hide();
        ShowNoDeviceNotice();
        return false;
    }
    if (CountsAsShown()) {
        Hide();
        return false;
    }
    BringToFront();
    return true;
}

void WindowPresence::OnMouseRemoved() {
    if (auto* tab = m_window.GetPaintManager().FindControl("ms_deng_Op_tab")) {
        tab->SetFocus();
    }
    ShowTimedMessage(true, &m_window, {}, kMouseRemovedNotice);
    Hide();
}

bool WindowPresence::CountsAsShown() const {
    return m_window.IsWindowVisible() != m_window.IsMinimized();
}

void WindowPresence::ShowNoDeviceNotice() {
    if (!IsMessageShowing(kNoDeviceNotice)) {
        ShowMessageBox(&m_window, {}, kNoDeviceNotice);
    }
}

}  // namespace varlok::app
