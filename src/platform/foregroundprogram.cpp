#include "platform/foregroundprogram.h"

#include <string>

#include "platform/buscaller.h"
#include "platform/debugoutput.h"
#include "platform/desktopsession.h"
#include "platform/folders.h"
#include "platform/gnomeshellforegroundextension.h"
#include "platform/hyprlandforegroundprogram.h"
#include "platform/kwinforegroundscript.h"
#include "platform/silentforegroundprogram.h"
#include "platform/swayforegroundprogram.h"
#include "platform/x11foregroundprogram.h"

namespace varlok::platform {

namespace {

std::unique_ptr<ForegroundProgram> MakeForegroundBackend(ForegroundBackendKind kind,
                                                         const DesktopSession& session) {
    switch (kind) {
        case ForegroundBackendKind::X11:
            return std::make_unique<X11ForegroundProgram>();
        case ForegroundBackendKind::Sway:
            return std::make_unique<SwayForegroundProgram>(session.swaySocket);
        case ForegroundBackendKind::Hyprland:
            return std::make_unique<HyprlandForegroundProgram>(
                HyprlandForegroundProgram::SocketFolderOfSession());
        case ForegroundBackendKind::KwinScript:
            return std::make_unique<KwinForegroundScript>(
                InstallFolder() / "kwin" / "varlok-foreground.js", ConnectBusCaller());
        case ForegroundBackendKind::GnomeShellExtension:
            return std::make_unique<GnomeShellForegroundExtension>(ConnectBusCaller());
        case ForegroundBackendKind::None:
            break;
    }
    return std::make_unique<SilentForegroundProgram>(session.hasWaylandDisplay
                                                         ? ForegroundSupport::UnsupportedCompositor
                                                         : ForegroundSupport::NoX11Display);
}

}  // namespace

std::unique_ptr<ForegroundProgram> CreateForegroundProgram() {
    const DesktopSession session = CurrentDesktopSession();
    const ForegroundBackendKind kind = ChooseForegroundBackend(session);
    std::unique_ptr<ForegroundProgram> backend = MakeForegroundBackend(kind, session);
    DebugOutput::Write("ForegroundProgram: backend " + std::to_string(static_cast<int>(kind)) +
                       ", support " + std::to_string(static_cast<int>(backend->Support())) +
                       " (VARLOK_DESKTOP=" + session.forcedDesktop +
                       ", XDG_CURRENT_DESKTOP=" + session.currentDesktop + ")");
    return backend;
}

}  // namespace varlok::platform
