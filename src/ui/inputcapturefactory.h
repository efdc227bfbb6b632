#pragma once

#include <memory>

#include "platform/desktopsession.h"
#include "platform/inputcapture.h"

namespace varlok::ui {

// Whether the session lets us capture the whole X11 desktop: an X display and
// no Wayland session (XWayland sees only the input of X programs), unless
// VARLOK_DESKTOP=none keeps the program off the desktop (tests).
[[nodiscard]] bool WantsDesktopCapture(const platform::DesktopSession& session);

// The input capture of this session: the X11 desktop capture where it is
// wanted and the X server has XInput 2 and XKB, otherwise the capture of our
// own windows. Needs the application object; UI thread.
[[nodiscard]] std::shared_ptr<platform::InputCapture> CreateInputCapture();

}  // namespace varlok::ui
