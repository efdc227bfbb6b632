#pragma once

#include <filesystem>
#include <string>

#include "platform/buscaller.h"
#include "platform/silentforegroundprogram.h"

namespace varlok::platform {

// The program in front on KDE Plasma's Wayland session: KWin tells no other
// program which window is active, so a small KWin script of ours (installed
// beside the skin, kwin/varlok-foreground.js) runs inside KWin and calls the
// bus service's SetForegroundProcess with the pid of each window that becomes
// active. This object loads the script through KWin's scripting interface
// when it is made and unloads it when it goes; the reports themselves reach
// the window through the bus service, so Path() stays empty.
//
// Construction and destruction belong to one thread; they wait for KWin.
class KwinForegroundScript final : public SilentForegroundProgram {
public:
    // The name KWin knows the script by; one of ours left loaded by a run
    // that crashed is replaced.
    static constexpr const char* kPluginName = "varlok-foreground";
    static constexpr const char* kService = "org.kde.KWin";
    static constexpr const char* kScriptingPath = "/Scripting";
    static constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";

    // Loads and starts the script at scriptPath over caller; Support() is
    // ThroughHelper once KWin took it, KwinScriptNotLoaded (with the reason
    // in the debug output) when it did not.
    KwinForegroundScript(std::filesystem::path scriptPath, BusCaller caller);
    // Unloads the script, so that KWin stops calling a service that is gone.
    ~KwinForegroundScript() override;
    KwinForegroundScript(const KwinForegroundScript&) = delete;
    KwinForegroundScript& operator=(const KwinForegroundScript&) = delete;

private:
    [[nodiscard]] BusReply CallScripting(const std::string& method,
                                         std::vector<BusValue> arguments) const;

    BusCaller m_caller;
    bool m_loaded = false;
};

}  // namespace varlok::platform
