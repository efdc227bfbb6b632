#include "app/simulationmenu.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "device/deviceevents.h"
#include "ui/resourcemanager.h"

namespace varlok::app {

namespace {

// A simulation item, and the English text shown when the language file has
// none for its key.
struct SimulationItem {
    std::string_view name;
    std::string_view key;
    std::string_view english;
};

constexpr SimulationItem kUnplugItem{"sim_unplug", "menu_sim_unplug", "Unplug the virtual mouse"};
constexpr SimulationItem kPlugItem{"sim_plug", "menu_sim_plug", "Plug in the virtual mouse"};
constexpr std::array kEventItems{
    std::pair{SimulationItem{"sim_event_401", "menu_sim_event_401",
                             "Virtual mouse: profile switch (0x401)"},
              std::uint16_t{0x401}},
    std::pair{SimulationItem{"sim_event_402", "menu_sim_event_402",
                             "Virtual mouse: configuration change (0x402)"},
              std::uint16_t{0x402}},
    std::pair{SimulationItem{"sim_event_403", "menu_sim_event_403",
                             "Virtual mouse: reactive key (0x403)"},
              std::uint16_t{0x403}},
};

// The mouse's own DPI button, offered beside the profile switch (0x401).
constexpr SimulationItem kDpiButtonItem{"sim_dpi_button", "menu_sim_dpi_button",
                                        "Press the DPI button (0x401)"};

constexpr auto kProfileSwitched =
    static_cast<std::uint16_t>(device::DeviceEventCode::ProfileSwitched);

std::string SimulationText(const SimulationItem& item) {
    const auto& resources = ui::CResourceManager::GetInstance();
    return resources.HasText(item.key) ? resources.GetText(item.key) : std::string(item.english);
}

}  // namespace

void AddSimulationItems(ui::CMenuWnd& menu, const sim::VirtualMouse& mouse) {
    const SimulationItem& plugItem = mouse.IsPlugged() ? kUnplugItem : kPlugItem;
    menu.AddElement(plugItem.name, SimulationText(plugItem));
    for (const auto& [item, code] : kEventItems) {
        menu.AddElement(item.name, SimulationText(item));
        if (code == kProfileSwitched) {
            menu.AddElement(kDpiButtonItem.name, SimulationText(kDpiButtonItem));
        }
    }
}

bool RunSimulationItem(std::string_view name, sim::VirtualMouse& mouse) {
    if (name == kUnplugItem.name) {
        mouse.Unplug();
        return true;
    }
    if (name == kPlugItem.name) {
        mouse.Plug();
        return true;
    }
    if (name == kDpiButtonItem.name) {
        mouse.PressDpiButton();
        return true;
    }
    for (const auto& [item, code] : kEventItems) {
        if (name == item.name) {
            // The profile switch is the mouse's own button: the mouse
            // switches, then reports it.
            if (code == kProfileSwitched) {
                mouse.PressProfileButton();
            } else {
                mouse.PressEvent(code);
            }
            return true;
        }
    }
    return false;
}

}  // namespace varlok::app
