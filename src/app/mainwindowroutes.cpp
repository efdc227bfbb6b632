#include "app/mainwindowroutes.h"

#include <algorithm>

namespace varlok::app {

namespace {

// Pages 0 and 2 of tab_switch hold the keyboard's and the mousepad's pages,
// which no option of this program selects.
constexpr std::array kPageRoutes{
    PageRoute{"ms_tab", "tab_switch", 1},
    PageRoute{"ani_tab", "tab_switch", 3},
    PageRoute{"split_tab", "tab_switch", 4},
    PageRoute{"ms_deng_Op_tab", "ms_tab_switch", 0},
    PageRoute{"ms_macro_Op_tab", "ms_tab_switch", 1},
    PageRoute{"ms_key_Op_tab", "ms_tab_switch", 2},
    PageRoute{"ms_rich_Op_tab", "ms_tab_switch", 3},
    PageRoute{"ms_cursor_Op_tab", "ms_tab_switch", 4},
};

}  // namespace

std::span<const PageRoute> PageRoutes() {
    return kPageRoutes;
}

std::optional<PageRoute> FindPageRoute(std::string_view option) {
    const auto it = std::ranges::find(kPageRoutes, option, &PageRoute::option);
    if (it == kPageRoutes.end()) {
        return std::nullopt;
    }
    return *it;
}

std::optional<FunctionPage> FindFunctionPage(std::string_view name) {
    const auto it = std::ranges::find(kFunctionPages, name, &FunctionPage::name);
    if (it == kFunctionPages.end()) {
        return std::nullopt;
    }
    return *it;
}

void OnWindowMessage(ui::RouteTable& routes, WindowMessage message,
                     std::function<void(ui::WParam, ui::LParam)> action) {
    routes.OnMessage(kWindowOwner, MessageNumber(message), MessageNumber(message),
                     [action = std::move(action)](ui::MessageId, ui::WParam wParam,
                                                  ui::LParam lParam) -> ui::LResult {
                         action(wParam, lParam);
                         return 0;
                     });
}

void OnWindowTimer(ui::RouteTable& routes, WindowTimer timer, std::function<void()> action) {
    routes.OnTimer(kWindowOwner, TimerId(timer), std::move(action));
}

void StartWindowTimer(ui::WindowHandle window, WindowTimer timer) {
    window.SetTimer(TimerId(timer), static_cast<unsigned>(TimerPeriod(timer).count()));
}

}  // namespace varlok::app
