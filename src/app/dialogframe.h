#pragma once

#include <string>
#include <string_view>

#include "ui/uitypes.h"
#include "ui/windowimplbase.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::app {

// The common ground of the shell's small frameless windows (message box,
// colour dialog, About window, skin popup): the layout named at
// construction, one code for every way of dismissing the window without its
// own buttons (the system close command, a close request from the desktop),
// and a flag that says when the window is completely gone, so that whoever
// keeps the object knows when it may be destroyed safely. Rounded corners,
// caption dragging, maximising and the system commands come from
// WindowImplBase. UI thread only.
class CFramelessDialog : public ui::WindowImplBase {
public:
    CFramelessDialog(std::string layoutFile, int dismissCode);

    // True once the window was closed and torn down (OnFinalMessage ran).
    [[nodiscard]] bool IsFinished() const { return m_finished; }
    [[nodiscard]] int DismissCode() const { return m_dismissCode; }

protected:
    [[nodiscard]] std::string GetSkinFile() override { return m_layoutFile; }
    void OnFinalMessage() override { m_finished = true; }
    // WM_CLOSE (the system close command, the desktop's close button) closes
    // with the dismiss code.
    ui::LResult HandleCustomMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                    bool& handled) override;

private:
    std::string m_layoutFile;
    int m_dismissCode = 0;
    bool m_finished = false;
};

// Names are compared without regard to ASCII case, as the skins' control
// names always have been.
[[nodiscard]] bool SameName(std::string_view a, std::string_view b);

// The control's rectangle in screen coordinates (window is the window it
// lives in).
[[nodiscard]] ui::UiRect ControlRectOnScreen(const ui::WindowImplBase& window,
                                             const ui::CControlUI& control);

// Moves the window's top-left corner to point, keeping its size.
void MoveWindowTo(ui::WindowImplBase& window, ui::UiPoint point);

}  // namespace varlok::app
