#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "app/mainwindowmessages.h"
#include "ui/routetable.h"
#include "ui/windowhandle.h"

namespace varlok::app {

// Page switching on "selectchanged": the option that was selected, the tab
// layout it turns and the page it shows.
struct PageRoute {
    std::string_view option;
    std::string_view tabLayout;
    int page = 0;
};
[[nodiscard]] std::span<const PageRoute> PageRoutes();
[[nodiscard]] std::optional<PageRoute> FindPageRoute(std::string_view option);

// The mouse page's function tabs; giving one the focus hides the profile panel.
inline constexpr std::array<std::string_view, 5> kFunctionTabs{
    "ms_deng_Op_tab", "ms_key_Op_tab", "ms_rich_Op_tab", "ms_macro_Op_tab", "ms_cursor_Op_tab"};

// The mouse page's function pages by the names the command line uses, and
// the tab that shows each.
struct FunctionPage {
    std::string_view name;
    std::string_view tab;
};
inline constexpr std::array<FunctionPage, 6> kFunctionPages{{
    {"lighting", "ms_deng_Op_tab"},
    {"macros", "ms_macro_Op_tab"},
    {"buttons", "ms_key_Op_tab"},
    {"performance", "ms_rich_Op_tab"},
    {"cursor", "ms_cursor_Op_tab"},
    // The profile panel beside the lists, over the mouse picture.
    {"profiles", "ms_profile_fun_spread_btn"},
}};
[[nodiscard]] std::optional<FunctionPage> FindFunctionPage(std::string_view name);

// The owner name the window's own routes carry in the route table.
inline constexpr std::string_view kWindowOwner = "main window";
// The owner name of the configuration exchanges' routes (onboard profile
// buttons, the save to the device).
inline constexpr std::string_view kDeviceSettingsOwner = "device settings";

// Registers action as the window's own handler of message (answered with 0).
void OnWindowMessage(ui::RouteTable& routes, WindowMessage message,
                     std::function<void(ui::WParam, ui::LParam)> action);
// Registers action as the window's own handler of timer.
void OnWindowTimer(ui::RouteTable& routes, WindowTimer timer, std::function<void()> action);
// Starts timer on window with its period (TimerPeriod).
void StartWindowTimer(ui::WindowHandle window, WindowTimer timer);

}  // namespace varlok::app
