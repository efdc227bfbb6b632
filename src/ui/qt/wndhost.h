#pragma once

// The Qt side of CWndUI: the hosted widget, watched so that its destruction
// elsewhere leaves the control empty instead of dangling.

#include <QPointer>
#include <QWidget>

#include "ui/wndui.h"

namespace varlok::ui {

struct CWndUI::Hosted {
    QPointer<QWidget> window;
};

namespace qt {

// Hosts window (or nothing) in control and synchronises it at once.
void AttachHostedWindow(CWndUI& control, QWidget* window);

}  // namespace qt
}  // namespace varlok::ui
