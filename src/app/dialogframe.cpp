#include "app/dialogframe.h"

#include <algorithm>
#include <cctype>

#include "ui/controlui.h"
#include "ui/windowmessages.h"

namespace varlok::app {

CFramelessDialog::CFramelessDialog(std::string layoutFile, int dismissCode)
    : m_layoutFile(std::move(layoutFile)), m_dismissCode(dismissCode) {}

ui::LResult CFramelessDialog::HandleCustomMessage(ui::MessageId message, ui::WParam /*wParam*/,
                                                  ui::LParam /*lParam*/, bool& handled) {
    handled = false;
    if (message == ui::WM_CLOSE) {
        handled = true;
        Close(m_dismissCode);
    }
    return 0;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

ui::UiRect ControlRectOnScreen(const ui::WindowImplBase& window, const ui::CControlUI& control) {
    const ui::UiRect origin = window.GetWindowRect();
    const ui::UiRect& rc = control.GetPos();
    return ui::UiRect{origin.left + rc.left, origin.top + rc.top, origin.left + rc.right,
                      origin.top + rc.bottom};
}

void MoveWindowTo(ui::WindowImplBase& window, ui::UiPoint point) {
    const ui::UiRect rc = window.GetWindowRect();
    window.MoveWindow(ui::UiRect{point.x, point.y, point.x + rc.Width(), point.y + rc.Height()});
}

}  // namespace varlok::app
