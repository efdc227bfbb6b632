#include "app/mainwindowroutes.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "ui/notify.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using enum RouteOwner;

struct OwnerRow {
    RouteOwner owner;
    std::string_view name;
    bool built;
};

constexpr std::array kOwners{
    OwnerRow{MainWindow, "main window", true},
    OwnerRow{DeviceSettings, "device settings", true},
    OwnerRow{PerformancePage, "performance page", false},
    OwnerRow{LightingPage, "lighting page", false},
    OwnerRow{LightingWorker, "lighting worker", false},
    OwnerRow{KeyPage, "key page", false},
    OwnerRow{MacroEditor, "macro editor", false},
    OwnerRow{CursorScripts, "cursor scripts", false},
    OwnerRow{ProfileOperations, "profile operations", false},
    OwnerRow{ApplicationLinks, "application links", false},
    // The keyboard and the mousepad never connect; their handling is not
    // part of this program.
    OwnerRow{KeyboardAndMousepad, "keyboard and mousepad", false},
};

constexpr std::array kClickRoutes{
    ClickRoute{"menubtn", NameMatch::Exact, MainWindow, ClickAction::MainMenu},
    ClickRoute{"dpi_btn", NameMatch::Exact, MainWindow, ClickAction::InterfaceScale},
    ClickRoute{"ms_DPIcolor_btn_", NameMatch::PrefixIndex, PerformancePage},
    ClickRoute{"ms_gunlun_speed_up_btn", NameMatch::Exact, PerformancePage},
    ClickRoute{"ms_gunlun_speed_down_btn", NameMatch::Exact, PerformancePage},
    ClickRoute{"ms_one_profile_default", NameMatch::Exact, PerformancePage},
    ClickRoute{"ms_profile_", NameMatch::PrefixIndex, DeviceSettings,
               ClickAction::SelectOnboardProfile},
    ClickRoute{"ms_key_butt_prosave", NameMatch::Exact, DeviceSettings, ClickAction::SaveToDevice},
    ClickRoute{"ms_key_butt_keysave", NameMatch::Exact, KeyPage},
    ClickRoute{"ms_key_butt_keydefalut", NameMatch::Exact, KeyPage},
    ClickRoute{"ms_key_", NameMatch::PrefixIndex, KeyPage},
    ClickRoute{"ms_Deng_color_btn_", NameMatch::PrefixIndex, LightingPage},
    ClickRoute{"ms_Deng_FXL_btn", NameMatch::Exact, LightingPage},
    ClickRoute{"ms_Deng_FXR_btn", NameMatch::Exact, LightingPage},
    ClickRoute{"ms_bullet_op_", NameMatch::PrefixIndex, CursorScripts},
    ClickRoute{"bullet_selected_prev", NameMatch::Exact, CursorScripts},
    ClickRoute{"bullet_selected_next", NameMatch::Exact, CursorScripts},
    ClickRoute{"ms_bulletdate_save_btn", NameMatch::Exact, CursorScripts},
    ClickRoute{"ms_bulletdate_reset_btn", NameMatch::Exact, CursorScripts},
    ClickRoute{"ms_bulletdate_import_btn", NameMatch::Exact, CursorScripts},
    ClickRoute{"ms_bulletdate_export_btn", NameMatch::Exact, CursorScripts},
    ClickRoute{"ms_macro_", NameMatch::Prefix, MacroEditor},
    ClickRoute{"ms_pro_device_", NameMatch::Prefix, ProfileOperations},
    ClickRoute{"ms_pro_deng_", NameMatch::Prefix, ProfileOperations},
    ClickRoute{"ms_pro_key_", NameMatch::Prefix, ProfileOperations},
    ClickRoute{"ms_device_profile_edit_save_btn", NameMatch::Exact, ProfileOperations},
    ClickRoute{"ms_deng_profile_edit_save_btn", NameMatch::Exact, ProfileOperations},
    ClickRoute{"ms_key_profile_edit_save_btn", NameMatch::Exact, ProfileOperations},
    ClickRoute{"ms_profile_fun_spread_btn", NameMatch::Exact, ProfileOperations},
    ClickRoute{"ms_device_profile_link_btn", NameMatch::Exact, ApplicationLinks},
    ClickRoute{"ms_deng_profile_link_btn", NameMatch::Exact, ApplicationLinks},
    ClickRoute{"ms_key_profile_link_btn", NameMatch::Exact, ApplicationLinks},
    ClickRoute{"ms_device_cancle_link_btn", NameMatch::Exact, ApplicationLinks},
};

constexpr std::array kWindowOnly{MainWindow};
constexpr std::array kColourChange{LightingPage};
constexpr std::array kHover{KeyPage, PerformancePage};
// Page switching runs first and may stop the notification (unsaved macro).
constexpr std::array kSelection{MainWindow, LightingPage, MacroEditor, CursorScripts,
                                ApplicationLinks};
constexpr std::array kValue{PerformancePage, LightingPage};
constexpr std::array kMovingValue{PerformancePage};
constexpr std::array kItemSelect{PerformancePage, LightingPage, KeyPage, MacroEditor,
                                 ProfileOperations};
constexpr std::array kItemClick{MacroEditor};
constexpr std::array kFocusLost{PerformancePage, MacroEditor};
constexpr std::array kTextChange{PerformancePage, LightingPage, KeyPage, MacroEditor,
                                 CursorScripts};

constexpr std::array kNotifyRoutes{
    NotifyRoute{ui::msgtype::kWindowInit, kWindowOnly},
    NotifyRoute{ui::msgtype::kWindowSize, {}},
    NotifyRoute{ui::msgtype::kColorChanged, kColourChange},
    NotifyRoute{ui::msgtype::kClick, kWindowOnly},
    NotifyRoute{ui::msgtype::kMouseLeave, kHover},
    NotifyRoute{ui::msgtype::kMouseEnter, kHover},
    NotifyRoute{ui::msgtype::kSelectChanged, kSelection},
    NotifyRoute{ui::msgtype::kValueChanged, kValue},
    NotifyRoute{ui::msgtype::kMoveValueChanged, kMovingValue},
    NotifyRoute{ui::msgtype::kItemSelect, kItemSelect},
    NotifyRoute{ui::msgtype::kItemClick, kItemClick},
    NotifyRoute{ui::msgtype::kKillFocus, kFocusLost},
    NotifyRoute{ui::msgtype::kSetFocus, kWindowOnly},
    NotifyRoute{ui::msgtype::kTextChanged, kTextChange},
};

constexpr std::array kDelegatedMessages{
    // Deactivation removes the recording hooks.
    MessageRoute{ui::WM_ACTIVATE, ui::WM_ACTIVATE, MacroEditor},
    // The keyboard page's hook modes.
    MessageRoute{0x0801, 0x0804, KeyboardAndMousepad},
    // The mouse recording hook.
    MessageRoute{0x0810, 0x0813, MacroEditor},
    // The keyboard's notification collection (events 0x402 and 0x401).
    MessageRoute{0x0B01, 0x0B02, KeyboardAndMousepad},
};

constexpr std::array kDelegatedTimers{
    // Keyboard and mousepad synchronisation.
    TimerRoute{11, KeyboardAndMousepad},
    TimerRoute{12, KeyboardAndMousepad},
    // Send the rendered lighting frame.
    TimerRoute{14, LightingWorker},
};

constexpr std::array kPageDataOwners{ProfileOperations, MacroEditor, CursorScripts};
constexpr std::array kMousePageOwners{PerformancePage, LightingPage};
constexpr std::array kKeyPageOwners{KeyPage};
constexpr std::array kMacroOwners{MacroEditor};
constexpr std::array kLightingOwners{LightingPage};
constexpr std::array kProfileOwners{ProfileOperations};
constexpr std::array kCursorOwners{CursorScripts};

constexpr std::array kOwnerRequests{
    OwnerRequestRoute{OwnerRequest::InitialisePageData, kPageDataOwners},
    OwnerRequestRoute{OwnerRequest::RefreshMousePage, kMousePageOwners},
    OwnerRequestRoute{OwnerRequest::RefreshKeyPage, kKeyPageOwners},
    OwnerRequestRoute{OwnerRequest::RemoveRecordingHooks, kMacroOwners},
    OwnerRequestRoute{OwnerRequest::TakeMouseZoneSlot, kLightingOwners},
    OwnerRequestRoute{OwnerRequest::SaveDeviceProfile, kProfileOwners},
    OwnerRequestRoute{OwnerRequest::SaveLightingProfile, kProfileOwners},
    OwnerRequestRoute{OwnerRequest::UploadCursorScripts, kCursorOwners},
    OwnerRequestRoute{OwnerRequest::UploadMacroTable, kMacroOwners},
};

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

std::optional<int> ParseIndex(std::string_view digits) {
    if (digits.empty() ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string_view OwnerName(RouteOwner owner) {
    const auto it = std::ranges::find(kOwners, owner, &OwnerRow::owner);
    return it == kOwners.end() ? std::string_view("unknown") : it->name;
}

bool IsOwnerBuilt(RouteOwner owner) {
    const auto it = std::ranges::find(kOwners, owner, &OwnerRow::owner);
    return it != kOwners.end() && it->built;
}

std::span<const ClickRoute> ClickRoutes() {
    return kClickRoutes;
}

std::optional<ClickMatch> FindClickRoute(std::string_view controlName) {
    for (const ClickRoute& route : kClickRoutes) {
        switch (route.match) {
            case NameMatch::Exact:
                if (controlName == route.name) {
                    return ClickMatch{route, std::nullopt};
                }
                break;
            case NameMatch::Prefix:
                if (controlName.starts_with(route.name)) {
                    return ClickMatch{route, std::nullopt};
                }
                break;
            case NameMatch::PrefixIndex:
                if (controlName.starts_with(route.name)) {
                    if (auto number = ParseIndex(controlName.substr(route.name.size()))) {
                        return ClickMatch{route, number};
                    }
                }
                break;
        }
    }
    return std::nullopt;
}

std::span<const NotifyRoute> NotifyRoutes() {
    return kNotifyRoutes;
}

std::span<const RouteOwner> NotifyOwners(std::string_view type) {
    const auto it = std::ranges::find(kNotifyRoutes, type, &NotifyRoute::type);
    return it == kNotifyRoutes.end() ? std::span<const RouteOwner>() : it->owners;
}

std::span<const MessageRoute> DelegatedMessages() {
    return kDelegatedMessages;
}

std::optional<RouteOwner> DelegatedMessageOwner(ui::MessageId message) {
    const auto it = std::ranges::find_if(kDelegatedMessages, [message](const MessageRoute& route) {
        return message >= route.first && message <= route.last;
    });
    if (it == kDelegatedMessages.end()) {
        return std::nullopt;
    }
    return it->owner;
}

std::span<const TimerRoute> DelegatedTimers() {
    return kDelegatedTimers;
}

std::optional<RouteOwner> DelegatedTimerOwner(std::uintptr_t id) {
    const auto it = std::ranges::find(kDelegatedTimers, id, &TimerRoute::id);
    if (it == kDelegatedTimers.end()) {
        return std::nullopt;
    }
    return it->owner;
}

std::span<const OwnerRequestRoute> OwnerRequests() {
    return kOwnerRequests;
}

std::span<const RouteOwner> RequestOwners(OwnerRequest request) {
    const auto it = std::ranges::find(kOwnerRequests, request, &OwnerRequestRoute::request);
    return it == kOwnerRequests.end() ? std::span<const RouteOwner>() : it->owners;
}

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

}  // namespace varlok::app
