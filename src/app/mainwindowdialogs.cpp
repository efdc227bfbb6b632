#include "app/mainwindowdialogs.h"

#include "app/desktopaccess.h"
#include "app/msgwnd.h"
#include "app/palletdialog.h"
#include "app/presetcolours.h"
#include "ui/resourcemanager.h"

namespace varlok::app {

bool MainWindowDialogs::Capture(std::string_view key) {
    if (m_capture == nullptr) {
        return false;
    }
    // A message box shows a text that is no language key as it is.
    const auto& resources = ui::CResourceManager::GetInstance();
    m_capture->push_back(resources.HasText(key) ? resources.GetText(key) : std::string(key));
    return true;
}

int MainWindowDialogs::ShowMessage(std::string_view key) {
    if (Capture(key)) {
        return kDismissed;
    }
    return ShowMessageBox(&m_owner, {}, key);
}

void MainWindowDialogs::ShowTimedMessage(std::string_view key) {
    if (!Capture(key)) {
        app::ShowTimedMessage(true, &m_owner, {}, key);
    }
}

std::optional<ui::Argb> MainWindowDialogs::PickColour(ui::Argb initial) {
    if (m_capture != nullptr) {
        return std::nullopt;
    }
    return CPalletDialog::Pick(m_owner, initial, CursorPosition());
}

std::span<const ui::Argb> MainWindowDialogs::PresetColours() const {
    return app::PresetColours();
}

}  // namespace varlok::app
