#pragma once

#include "platform/buscaller.h"
#include "platform/silentforegroundprogram.h"

namespace varlok::platform {

// The program in front on GNOME Shell's Wayland session: GNOME Shell tells no
// other program which window has the focus, so a small extension of ours
// (installed beside the skin, gnome-shell/varlok-foreground@varlok.github.io)
// runs inside it and calls the bus service's SetForegroundProcess on each
// focus change. The program never enables it: the user does (gnome-extensions
// enable), and the link controls say how while it is missing. This object
// only asks GNOME Shell whether the extension is enabled; the reports reach
// the window through the bus service, so Path() stays empty.
class GnomeShellForegroundExtension final : public SilentForegroundProgram {
public:
    static constexpr const char* kUuid = "varlok-foreground@varlok.github.io";
    static constexpr const char* kService = "org.gnome.Shell";
    static constexpr const char* kPath = "/org/gnome/Shell";
    static constexpr const char* kInterface = "org.gnome.Shell.Extensions";
    // GetExtensionInfo's "state" of an enabled (running) extension.
    static constexpr double kStateEnabled = 1;

    // Asks over caller; Support() is ThroughHelper when the extension runs,
    // GnomeExtensionMissing when it is not installed, not enabled, failed or
    // GNOME Shell did not answer.
    explicit GnomeShellForegroundExtension(const BusCaller& caller);
};

}  // namespace varlok::platform
