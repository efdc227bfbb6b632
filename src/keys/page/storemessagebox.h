#pragma once

#include "keys/storemessage.h"
#include "ui/dialogservice.h"

namespace varlok::keys {

// Shows a message of the macro store or the cursor scripts: the language
// key, or for a message with a number the key's text in the current
// language with the number in place of its "%d" (the message box shows a
// text that is no language key as it is). UI thread only.
void ShowStoreMessage(ui::DialogService& dialogs, const StoreMessage& message);

}  // namespace varlok::keys
