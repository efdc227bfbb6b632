#pragma once

#include "ui/notify.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

// The main window's caption buttons (closebtn, minbtn, maxbtn, restorebtn):
// a click closes, minimises, maximises or restores the window. UI thread
// only.
class CaptionButtons {
public:
    // window must outlive the object.
    explicit CaptionButtons(ui::WindowImplBase& window) : m_window(window) {}

    // Finds the buttons in the window's layout; a button it lacks is none.
    void Find();
    // A click: true when it was a caption button's and was carried out (the
    // click then goes no further).
    [[nodiscard]] bool OnClick(const ui::TNotifyUI& msg);

private:
    ui::WindowImplBase& m_window;
    ui::CControlUI* m_close = nullptr;
    ui::CControlUI* m_max = nullptr;
    ui::CControlUI* m_restore = nullptr;
    ui::CControlUI* m_min = nullptr;
};

}  // namespace varlok::app
