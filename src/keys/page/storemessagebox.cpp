#include "keys/page/storemessagebox.h"

#include "ui/resourcemanager.h"

namespace varlok::keys {

void ShowStoreMessage(ui::DialogService& dialogs, const StoreMessage& message) {
    if (!message.number) {
        static_cast<void>(dialogs.ShowMessage(message.key));
        return;
    }
    const std::string format = ui::CResourceManager::GetInstance().GetText(message.key);
    static_cast<void>(dialogs.ShowMessage(FormatStoreMessage(format, message.number)));
}

}  // namespace varlok::keys
