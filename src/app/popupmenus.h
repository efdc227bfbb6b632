#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/autostartentry.h"
#include "ui/menuwnd.h"
#include "ui/windowimplbase.h"

namespace varlok::sim {
class VirtualMouse;
}

namespace varlok::app {

// The main window's popup menus: the tray menu and the main menu, with the
// simulation items when a virtual mouse runs, the check marks of the
// language items they share, and the main menu's "start with the desktop"
// item, checked while the desktop session's autostart entry starts the
// program. The menu last opened stays until the next one opens or Close. UI
// thread only.
class PopupMenus {
public:
    // The tray menu opens this far above the pointer.
    static constexpr int kTrayMenuRaise = 50;
    // The main menu's autostart item, and the message shown when the entry
    // cannot be written or removed.
    static constexpr std::string_view kAutostartItem = "menu_autostart";
    static constexpr std::string_view kAutostartFailedMessage = "message_autostart_failed";

    // window owns the menus; virtualMouse is null without --simulate. Both
    // must outlive the object. autostartFile: the autostart entry the item
    // stands for (AutostartEntry::DefaultFile() when empty).
    PopupMenus(ui::WindowImplBase& window, sim::VirtualMouse* virtualMouse,
               const std::filesystem::path& autostartFile)
        : m_window(window),
          m_virtualMouse(virtualMouse),
          m_autostart(autostartFile.empty() ? platform::AutostartEntry::DefaultFile()
                                            : autostartFile) {}

    // The tray menu above the pointer, ending with exit under exitCaption.
    void OpenTrayMenu(std::string_view exitCaption);
    // The main menu at the pointer.
    void OpenMainMenu();
    // The language items show the language with this index
    // (LanguageTable) as checked, and no other.
    void CheckLanguage(int index);
    // Carries out the simulation item called name; false when it is none
    // (or no virtual mouse runs).
    [[nodiscard]] bool RunSimulationItem(std::string_view name);
    // The autostart item was chosen: writes the entry that starts program
    // with the desktop, or removes it when it is enabled. False when the
    // entry could not be changed.
    [[nodiscard]] bool ToggleAutostart(const std::filesystem::path& program);
    // Closes any open menu.
    void Close();

    // The menu last opened, or null.
    [[nodiscard]] ui::CMenuWnd* Last() const { return m_last.get(); }

private:
    // Replaces the last menu with a new one opened at point; null when it
    // cannot be opened.
    ui::CMenuWnd* Open(std::string_view layout, ui::UiPoint point);

    ui::WindowImplBase& m_window;
    sim::VirtualMouse* m_virtualMouse;
    platform::AutostartEntry m_autostart;
    std::shared_ptr<ui::MenuCheckMap> m_checks = std::make_shared<ui::MenuCheckMap>();
    std::unique_ptr<ui::CMenuWnd> m_last;
};

}  // namespace varlok::app
