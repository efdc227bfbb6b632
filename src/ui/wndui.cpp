#include "ui/wndui.h"

#include "ui/paintmanagerui.h"
#include "ui/qt/convert.h"
#include "ui/qt/windowwidget.h"
#include "ui/qt/wndhost.h"

namespace varlok::ui {

CWndUI::CWndUI() : m_hosted(std::make_unique<Hosted>()) {}

CWndUI::~CWndUI() = default;

std::string_view CWndUI::GetClass() const {
    return "Wnd";
}

void CWndUI::SetPos(const UiRect& rc) {
    CControlUI::SetPos(rc);
    SyncWindow();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    SyncWindow();
}

void CWndUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    SyncWindow();
}

void CWndUI::SyncWindow() {
    QWidget* window = m_hosted->window;
    if (window == nullptr) {
        return;
    }
    QRect rc = qt::ToQRect(GetPos());
    QWidget* paintWindow = GetManager() != nullptr ? GetManager()->GetPaintWindow() : nullptr;
    if (paintWindow != nullptr && window->parentWidget() != paintWindow) {
        rc.translate(paintWindow->mapToGlobal(QPoint(0, 0)));
    }
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setGeometry(rc);
    window->setVisible(IsVisible());
}

void qt::AttachHostedWindow(CWndUI& control, QWidget* window) {
    control.Internals().window = window;
    control.SyncWindow();
}

}  // namespace varlok::ui
