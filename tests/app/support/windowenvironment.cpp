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
    environment.quitOnDestroy = false;
    return environment;
}

}  // namespace varlok::app::testing
