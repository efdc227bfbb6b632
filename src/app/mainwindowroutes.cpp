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

}  // namespace varlok::app
