#pragma once

// The Qt side of CTrayIcon: the QSystemTrayIcon and the mapping from Qt's
// activation reasons to the mouse messages the owner window expects.

#include <optional>

#include <QSystemTrayIcon>

#include "ui/trayicon.h"

namespace varlok::ui {

struct CTrayIcon::Impl {
    QSystemTrayIcon icon;
    WindowHandle owner;
    MessageId message = kTrayIconMessage;
    WParam id = 1;
};

namespace qt {

// WM_LBUTTONUP for a click, WM_RBUTTONUP for the context request,
// WM_LBUTTONDBLCLK, WM_MBUTTONUP; nothing for an unknown reason.
[[nodiscard]] std::optional<MessageId> TrayMouseMessage(QSystemTrayIcon::ActivationReason reason);

}  // namespace qt
}  // namespace varlok::ui
