#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "ui/uitypes.h"

namespace varlok::app {

// Who takes what reaches the main window: its notifications by type, clicks
// by control name, window messages and timers. The window handles the routes
// it owns; every other route names the page logic that takes it and is
// dispatched through CMainWnd::RouteToOwner, which does nothing for owners that
// are not built yet. Keeping all routes here is what lets a new page join by
// filling in its owner instead of editing the window's handlers.
enum class RouteOwner {
    MainWindow,           // the window itself (this folder)
    DeviceSettings,       // the configuration mirror's exchanges (settings/)
    PerformancePage,      // DPI stages, report rate, pointer speed, wheel lines
    LightingPage,         // lighting effect, colours
    LightingWorker,       // rendered lighting frames and their preview
    KeyPage,              // key functions of the mouse buttons
    MacroEditor,          // macro lists, editor and recording hooks
    CursorScripts,        // cursor script editor
    ProfileOperations,    // device, lighting and key profile lists
    ApplicationLinks,     // profiles that follow the program in the foreground
    KeyboardAndMousepad,  // sibling devices that never connect
};

// A short name for logs and test messages ("lighting page").
[[nodiscard]] std::string_view OwnerName(RouteOwner owner);
// Whether the owner's handlers exist in this build.
[[nodiscard]] bool IsOwnerBuilt(RouteOwner owner);

// What the window does with a click it owns.
enum class ClickAction {
    ToOwner,               // the owner's handler
    MainMenu,              // open menu.xml at the cursor
    InterfaceScale,        // SetDPI with the button's user data
    SelectOnboardProfile,  // switch the mouse to the onboard profile number
    SaveToDevice,          // send cursor scripts, macros and keys
};

enum class NameMatch {
    Exact,        // the whole name
    Prefix,       // the name begins with it
    PrefixIndex,  // it, then a decimal number that the handler receives
};

struct ClickRoute {
    std::string_view name;
    NameMatch match = NameMatch::Exact;
    RouteOwner owner = RouteOwner::MainWindow;
    ClickAction action = ClickAction::ToOwner;
};

struct ClickMatch {
    ClickRoute route;
    // The number after the prefix, for NameMatch::PrefixIndex.
    std::optional<int> number;
};

// Click routes in the order they are tried; the first match wins.
[[nodiscard]] std::span<const ClickRoute> ClickRoutes();
// The route for a clicked control's name, or std::nullopt.
[[nodiscard]] std::optional<ClickMatch> FindClickRoute(std::string_view controlName);

// Notification types and the owners they go to, in order.
struct NotifyRoute {
    std::string_view type;
    std::span<const RouteOwner> owners;
};
[[nodiscard]] std::span<const NotifyRoute> NotifyRoutes();
// The owners of a notification type (empty for types nobody takes).
[[nodiscard]] std::span<const RouteOwner> NotifyOwners(std::string_view type);

// Window messages and timers whose handlers belong to other owners; a range
// of message numbers (first = last for one) or one timer id.
struct MessageRoute {
    ui::MessageId first = 0;
    ui::MessageId last = 0;
    RouteOwner owner = RouteOwner::MainWindow;
};
[[nodiscard]] std::span<const MessageRoute> DelegatedMessages();
[[nodiscard]] std::optional<RouteOwner> DelegatedMessageOwner(ui::MessageId message);

struct TimerRoute {
    std::uintptr_t id = 0;
    RouteOwner owner = RouteOwner::MainWindow;
};
[[nodiscard]] std::span<const TimerRoute> DelegatedTimers();
[[nodiscard]] std::optional<RouteOwner> DelegatedTimerOwner(std::uintptr_t id);

// What the window asks of other owners at fixed points of its own handling
// (initialisation, after reads of the mouse, on page switches, for the
// configuration exchanges). Requests of owners that are not built do nothing.
enum class OwnerRequest {
    InitialisePageData,    // fill the profile, macro and cursor script lists
    RefreshMousePage,      // performance and lighting areas from the mirror
    RefreshKeyPage,        // key labels from the active key slot
    RemoveRecordingHooks,  // stop capturing keyboard and mouse input
    TakeMouseZoneSlot,     // the lighting zone selector read from the mouse
    SaveDeviceProfile,     // write the live settings into the selected profiles
    SaveLightingProfile,
    UploadCursorScripts,  // before the key table is sent
    UploadMacroTable,
};
struct OwnerRequestRoute {
    OwnerRequest request;
    std::span<const RouteOwner> owners;
};
[[nodiscard]] std::span<const OwnerRequestRoute> OwnerRequests();
[[nodiscard]] std::span<const RouteOwner> RequestOwners(OwnerRequest request);

// Page switching on "selectchanged": the option that was selected, the tab
// layout it turns and the page it shows.
struct PageRoute {
    std::string_view option;
    std::string_view tabLayout;
    int page = 0;
};
[[nodiscard]] std::span<const PageRoute> PageRoutes();
[[nodiscard]] std::optional<PageRoute> FindPageRoute(std::string_view option);

}  // namespace varlok::app
