#pragma once

// The program's icon in the desktop's system tray. Left and right button
// releases on it reach the owner window as a message (by default 0x0401)
// with the icon id in wParam and the mouse message (WM_LBUTTONUP,
// WM_RBUTTONUP, ...) in lParam. UI thread only.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/uitypes.h"
#include "ui/windowhandle.h"
#include "ui/windowmessages.h"

namespace varlok::ui {

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Creates the icon (hidden until Show) for owner, replacing an earlier
    // one. Returns false when the picture at iconPath cannot be loaded; a
    // standard icon then stands in, so that the window stays reachable.
    bool Create(WindowHandle owner, std::string_view iconPath, std::string_view toolTip,
                MessageId message = kTrayIconMessage, WParam id = 1);
    // Removes the icon from the tray; no message is sent afterwards.
    void Delete();
    [[nodiscard]] bool IsCreated() const;

    void Show();
    void Hide();
    [[nodiscard]] bool IsVisible() const;

    void SetToolTip(std::string_view toolTip);
    [[nodiscard]] std::string ToolTip() const;
    bool SetIcon(std::string_view iconPath);

    // Whether the desktop shows a system tray at all. Without one the owner
    // must never hide its window: the user could not get it back.
    [[nodiscard]] static bool IsSystemTrayAvailable();
    // For tests and scripted runs: answer IsSystemTrayAvailable with the
    // given value instead of asking the desktop; std::nullopt asks the desktop again.
    static void OverrideSystemTrayAvailable(std::optional<bool> available);

    // Qt side (ui/qt/trayiconimpl.h); tests reach the tray icon through it.
    struct Impl;
    [[nodiscard]] Impl* Internals() { return m_impl.get(); }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace varlok::ui
