#include "app/captionbuttons.h"

#include "ui/windowmessages.h"

namespace varlok::app {

void CaptionButtons::Find() {
    const auto& manager = m_window.GetPaintManager();
    m_close = manager.FindControl("closebtn");
    m_max = manager.FindControl("maxbtn");
    m_restore = manager.FindControl("restorebtn");
    m_min = manager.FindControl("minbtn");
}

bool CaptionButtons::OnClick(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    if (msg.pSender == m_close) {
        m_window.Close();
        return true;
    }
    if (msg.pSender == m_min || msg.pSender == m_max || msg.pSender == m_restore) {
        const ui::WParam command = msg.pSender == m_min   ? ui::SC_MINIMIZE
                                   : msg.pSender == m_max ? ui::SC_MAXIMIZE
                                                          : ui::SC_RESTORE;
        m_window.SendMessage(ui::WM_SYSCOMMAND, command);
        return true;
    }
    return false;
}

}  // namespace varlok::app
