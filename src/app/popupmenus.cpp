#include "app/popupmenus.h"

#include <string>

#include "app/languagetable.h"
#include "app/simulationmenu.h"
#include "platform/debugoutput.h"
#include "ui/desktopaccess.h"

namespace varlok::app {

void PopupMenus::OpenTrayMenu(std::string_view exitCaption) {
    ui::UiPoint point = ui::CursorPosition();
    point.y -= kTrayMenuRaise;
    ui::CMenuWnd* menu = Open("menu1.xml", point);
    if (menu == nullptr) {
        return;
    }
    if (m_virtualMouse != nullptr) {
        AddSimulationItems(*menu, *m_virtualMouse);
    }
    menu->AddElement("exit", exitCaption);
    menu->ResizeMenu();
}

void PopupMenus::OpenMainMenu() {
    // As the entry is now: the desktop's own settings may have switched it.
    (*m_checks)[std::string(kAutostartItem)] = m_autostart.IsEnabled();
    if (ui::CMenuWnd* menu = Open("menu.xml", ui::CursorPosition())) {
        if (m_virtualMouse != nullptr) {
            AddSimulationItems(*menu, *m_virtualMouse);
        }
        menu->ResizeMenu();
    }
}

void PopupMenus::CheckLanguage(int index) {
    for (const LanguageRow& language : LanguageTable()) {
        (*m_checks)[std::string(language.menuItem)] = language.index == index;
    }
}

bool PopupMenus::RunSimulationItem(std::string_view name) {
    return m_virtualMouse != nullptr && app::RunSimulationItem(name, *m_virtualMouse);
}

bool PopupMenus::ToggleAutostart(const std::filesystem::path& program) {
    const bool changed =
        m_autostart.IsEnabled() ? m_autostart.Disable() : m_autostart.Enable(program);
    (*m_checks)[std::string(kAutostartItem)] = m_autostart.IsEnabled();
    return changed;
}

void PopupMenus::Close() {
    ui::CMenuWnd::DestroyMenu();
    m_last.reset();
}

ui::CMenuWnd* PopupMenus::Open(std::string_view layout, ui::UiPoint point) {
    m_last.reset();
    auto menu = std::make_unique<ui::CMenuWnd>();
    if (!menu->Init(m_window.GetHandle(), layout, point, m_checks)) {
        platform::DebugOutput::Write("menu " + std::string(layout) + " cannot be opened");
        return nullptr;
    }
    m_last = std::move(menu);
    return m_last.get();
}

}  // namespace varlok::app
