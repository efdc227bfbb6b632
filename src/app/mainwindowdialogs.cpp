#include "app/mainwindowdialogs.h"

#include "app/desktopaccess.h"
#include "app/msgwnd.h"
#include "app/palletdialog.h"
#include "app/presetcolours.h"

namespace varlok::app {

int MainWindowDialogs::ShowMessage(std::string_view key) {
    return ShowMessageBox(&m_owner, {}, key);
}

void MainWindowDialogs::ShowTimedMessage(std::string_view key) {
    app::ShowTimedMessage(true, &m_owner, {}, key);
}

std::optional<ui::Argb> MainWindowDialogs::PickColour(ui::Argb initial) {
    return CPalletDialog::Pick(m_owner, initial, CursorPosition());
}

std::span<const ui::Argb> MainWindowDialogs::PresetColours() const {
    return app::PresetColours();
}

}  // namespace varlok::app
