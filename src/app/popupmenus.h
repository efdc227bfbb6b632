#pragma once

#include <memory>
#include <string_view>

#include "ui/menuwnd.h"
#include "ui/windowimplbase.h"

namespace varlok::sim {
class VirtualMouse;
}

namespace varlok::app {

// The main window's popup menus: the tray menu and the main menu, with the
// simulation items when a virtual mouse runs, and the check marks of the
// language items they share. The menu last opened stays until the next one
// opens or Close. UI thread only.
class PopupMenus {
public:
    // The tray menu opens this far above the pointer.
    static constexpr int kTrayMenuRaise = 50;

    // window owns the menus; virtualMouse is null without --simulate. Both
    // must outlive the object.
    PopupMenus(ui::WindowImplBase& window, sim::VirtualMouse* virtualMouse)
        : m_window(window), m_virtualMouse(virtualMouse) {}

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
    std::shared_ptr<ui::MenuCheckMap> m_checks = std::make_shared<ui::MenuCheckMap>();
    std::unique_ptr<ui::CMenuWnd> m_last;
};

}  // namespace varlok::app
