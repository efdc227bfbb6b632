#include "app/mainwindowroutes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace varlok::app {
namespace {

std::string Example(const ClickRoute& route) {
    switch (route.match) {
        case NameMatch::Exact:
            return std::string(route.name);
        case NameMatch::Prefix:
            return std::string(route.name) + "anything";
        case NameMatch::PrefixIndex:
            return std::string(route.name) + "17";
    }
    return {};
}

TEST(MainWindowRoutes, EveryClickRouteIsReachedByANameOfItsOwn) {
    for (const ClickRoute& route : ClickRoutes()) {
        const std::string name = Example(route);
        SCOPED_TRACE(name);
        const auto match = FindClickRoute(name);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->route.name, route.name);
        EXPECT_EQ(match->route.owner, route.owner);
        EXPECT_EQ(match->number.has_value(), route.match == NameMatch::PrefixIndex);
        if (match->number) {
            EXPECT_EQ(*match->number, 17);
        }
    }
}

TEST(MainWindowRoutes, ClicksReachTheirOwnersWithTheNumberTheNameCarries) {
    const struct {
        std::string_view name;
        RouteOwner owner;
        ClickAction action;
        std::optional<int> number;
    } cases[] = {
        {"ms_profile_2", RouteOwner::DeviceSettings, ClickAction::SelectOnboardProfile, 2},
        {"ms_profile_fun_spread_btn", RouteOwner::ProfileOperations, ClickAction::ToOwner, {}},
        {"ms_key_butt_prosave", RouteOwner::DeviceSettings, ClickAction::SaveToDevice, {}},
        {"ms_key_butt_keysave", RouteOwner::KeyPage, ClickAction::ToOwner, {}},
        {"ms_key_6", RouteOwner::KeyPage, ClickAction::ToOwner, 6},
        {"ms_DPIcolor_btn_7", RouteOwner::PerformancePage, ClickAction::ToOwner, 7},
        {"ms_Deng_color_btn_18", RouteOwner::LightingPage, ClickAction::ToOwner, 18},
        {"ms_bullet_op_0", RouteOwner::CursorScripts, ClickAction::ToOwner, 0},
        {"ms_macro_btn_save", RouteOwner::MacroEditor, ClickAction::ToOwner, {}},
        {"ms_pro_deng_copy_btn", RouteOwner::ProfileOperations, ClickAction::ToOwner, {}},
        {"ms_device_cancle_link_btn", RouteOwner::ApplicationLinks, ClickAction::ToOwner, {}},
        {"menubtn", RouteOwner::MainWindow, ClickAction::MainMenu, {}},
        {"dpi_btn", RouteOwner::MainWindow, ClickAction::InterfaceScale, {}},
    };
    for (const auto& expected : cases) {
        SCOPED_TRACE(std::string(expected.name));
        const auto match = FindClickRoute(expected.name);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->route.owner, expected.owner);
        EXPECT_EQ(match->route.action, expected.action);
        EXPECT_EQ(match->number, expected.number);
    }
}

TEST(MainWindowRoutes, NamesThatOnlyLookAlikeFindNoRoute) {
    for (const std::string_view name :
         {"ms_profile_", "ms_profile_x", "ms_profile_2a", "ms_key_", "ms_key_3_0", "MS_PROFILE_2",
          "ms_DPIcolor_btn_", "closebtn", "ms_tab", "", "ms_profile_99999999999999"}) {
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(FindClickRoute(name));
    }
}

TEST(MainWindowRoutes, NotificationTypesNameTheirOwnersInOrder) {
    std::set<std::string_view> types;
    for (const NotifyRoute& route : NotifyRoutes()) {
        EXPECT_TRUE(types.insert(route.type).second) << route.type;
        const auto owners = NotifyOwners(route.type);
        EXPECT_EQ(owners.data(), route.owners.data());
    }
    EXPECT_EQ(types.size(), 14U);
    const auto selection = NotifyOwners("selectchanged");
    ASSERT_FALSE(selection.empty());
    EXPECT_EQ(selection.front(), RouteOwner::MainWindow);
    EXPECT_TRUE(NotifyOwners("windowsize").empty());
    EXPECT_TRUE(NotifyOwners("nonsense").empty());
    EXPECT_EQ(NotifyOwners("itemclick").size(), 1U);
    EXPECT_EQ(NotifyOwners("itemclick").front(), RouteOwner::MacroEditor);
}

TEST(MainWindowRoutes, DelegatedMessagesAndTimersNameTheirOwners) {
    for (const MessageRoute& route : DelegatedMessages()) {
        for (ui::MessageId id = route.first; id <= route.last; ++id) {
            EXPECT_EQ(DelegatedMessageOwner(id), route.owner) << id;
        }
    }
    EXPECT_EQ(DelegatedMessageOwner(0x0812), RouteOwner::MacroEditor);
    EXPECT_EQ(DelegatedMessageOwner(0x0B02), RouteOwner::KeyboardAndMousepad);
    for (const ui::MessageId own :
         {0x0401U, 0x0479U, 0x0901U, 0x0C00U, 0x0C01U, 0x0C05U, 0x0805U, 0x0814U, 0x0B03U}) {
        EXPECT_FALSE(DelegatedMessageOwner(own)) << own;
    }
    for (const TimerRoute& route : DelegatedTimers()) {
        EXPECT_EQ(DelegatedTimerOwner(route.id), route.owner);
    }
    EXPECT_EQ(DelegatedTimerOwner(14), RouteOwner::LightingWorker);
    for (const std::uintptr_t own : {1U, 2U, 7U, 8U, 10U, 13U}) {
        EXPECT_FALSE(DelegatedTimerOwner(own)) << own;
    }
}

TEST(MainWindowRoutes, OwnersHaveNamesAndOnlyTheShellIsBuilt) {
    EXPECT_EQ(OwnerName(RouteOwner::LightingPage), "lighting page");
    EXPECT_TRUE(IsOwnerBuilt(RouteOwner::MainWindow));
    EXPECT_TRUE(IsOwnerBuilt(RouteOwner::DeviceSettings));
    EXPECT_FALSE(IsOwnerBuilt(RouteOwner::MacroEditor));
    EXPECT_FALSE(IsOwnerBuilt(RouteOwner::KeyboardAndMousepad));
}

}  // namespace
}  // namespace varlok::app
