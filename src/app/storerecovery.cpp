#include "app/storerecovery.h"

#include "platform/atomicfile.h"
#include "platform/unreadablefiles.h"

namespace varlok::app {

void RecoverStores(const WindowStores& stores) {
    for (const std::filesystem::path& folder :
         {stores.macros.DataFolder(), stores.mainIni.parent_path()}) {
        static_cast<void>(platform::RemoveLeftoverTemporaries(folder));
    }
    for (const std::filesystem::path& ini : {stores.mainIni, stores.registryFile}) {
        static_cast<void>(platform::SetAsideIniIfNotText(ini));
    }
    static_cast<void>(stores.profiles.SetAsideUnreadableFiles());
    // The macro list first: it names the cursor scripts' files too.
    static_cast<void>(stores.macros.SetAsideUnreadableFiles());
    static_cast<void>(stores.cursorScripts.SetAsideUnreadableFiles());
}

void TellOfSetAsideFiles(ui::DialogService& dialogs) {
    if (!platform::TakeSetAsideFiles().empty()) {
        static_cast<void>(dialogs.ShowMessage(kSetAsideMessage));
    }
}

}  // namespace varlok::app
