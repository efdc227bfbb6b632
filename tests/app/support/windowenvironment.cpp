#include "app/support/windowenvironment.h"

#include "app/mainwindowmessages.h"
#include "ui/windowhandle.h"

namespace varlok::app::testing {

CMainWnd::Environment TestWindowEnvironment(const std::filesystem::path& folder,
                                            const std::filesystem::path& install,
                                            std::shared_ptr<device::HidBus> bus) {
    std::filesystem::create_directories(folder / "ms");
    CMainWnd::Environment environment;
    environment.bus = std::move(bus);
    environment.activateMessage = ui::RegisterWindowMessage(kActivateMessageName);
    environment.mainIni = folder / "main.ini";
    environment.registryFile = folder / "registry.ini";
    environment.mouseDataFolder = folder / "ms";
    environment.installFolder = install;
    // No test changes the desktop session's autostart of whoever runs it;
    // the permission help names a rule where a build tree might keep it.
    environment.autostartFile = folder / "autostart" / "varlok.desktop";
    environment.udevRule =
        platform::UdevRuleFile{"/home/user/src/varlok/build/data/udev/70-varlok.rules", false};
    environment.quitOnDestroy = false;
    return environment;
}

}  // namespace varlok::app::testing
