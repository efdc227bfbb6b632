#include "app/mainwindowroutes.h"

#include <gtest/gtest.h>

#include <map>

#include <set>
#include <string>

#include "app/mainwindowmessages.h"
#include "app/support/mainwindowfixture.h"
#include "settings/page/pagecontext.h"
#include "ui/notify.h"

namespace varlok::app {
namespace {

TEST(MainWindowRoutes, EveryPageOptionTurnsItsTabLayout) {
    std::set<std::string_view> options;
    for (const PageRoute& route : PageRoutes()) {
        EXPECT_TRUE(options.insert(route.option).second) << route.option;
        EXPECT_EQ(FindPageRoute(route.option)->page, route.page);
    }
    EXPECT_EQ(FindPageRoute("ms_rich_Op_tab")->tabLayout, "ms_tab_switch");
    EXPECT_EQ(FindPageRoute("ms_rich_Op_tab")->page, 3);
    EXPECT_EQ(FindPageRoute("ms_tab")->tabLayout, "tab_switch");
    EXPECT_FALSE(FindPageRoute("ms_deng_Op"));
}

using MainWindowRouteTable = testing::MainWindowFixture;

// The window's table holds the routes of the window and of the pages that
// exist, and no route of a page that does not.
TEST_F(MainWindowRouteTable, RoutesReachTheirOwnersAndUnbuiltPagesHaveNone) {
    const ui::RouteTable& routes = CreateWindow().Routes();
    using namespace ui::msgtype;
    const struct {
        std::string_view type;
        std::string_view control;
        std::optional<std::string> owner;
    } cases[] = {
        {kClick, "menubtn", "main window"},
        {kClick, "ms_profile_2", "device settings"},
        {kClick, "ms_key_butt_prosave", "key page"},
        {kValueChanged, "ms_DPI3_slider", "performance page"},
        {kMoveValueChanged, "ms_DPI6_slider", "performance page"},
        {kMoveValueChanged, "ms_DPI7_slider", std::nullopt},
        {kClick, "ms_DPIcolor_btn_7", "performance page"},
        {kItemSelect, "ms_report_fct_combo", "performance page"},
        {kKillFocus, "ms_gunlun_speed_edit", "performance page"},
        {kItemSelect, "ms_device_profile_combo", "profile lists"},
        {kSetFocus, "ms_rich_Op_tab", "main window"},
        {kClick, "ms_key_3", std::nullopt},
        {kClick, "ms_Deng_color_btn_1", "lighting page"},
        {kClick, "ms_Deng_FXR_btn", "lighting page"},
        {kItemSelect, "ms_deng_combo_modeSelect2", "lighting page"},
        {kValueChanged, "ms_deng_light_slider", "lighting page"},
        {kMoveValueChanged, "ms_deng_speed_slider", std::nullopt},
        {kColorChanged, "ms_deng_Color_Pallet", "lighting page"},
        {kTextChanged, "ms_Deng_edit_B", "lighting page"},
        {kSelectChanged, "ms_Deng_bottom_check", "lighting page"},
        {kItemClick, "ms_macro_action", "macro page"},
        {kClick, "ms_macro_inset_backkeyup_btn", "macro page"},
        {kClick, "ms_pro_deng_copy_btn", "profile lists"},
        {kSelectChanged, "ms_key_profile_link_check", "profile lists"},
        {kClick, "ms_device_cancle_link_btn", "profile lists"},
    };
    for (const auto& expected : cases) {
        SCOPED_TRACE(std::string(expected.type) + " " + std::string(expected.control));
        EXPECT_EQ(routes.NotifyOwner(expected.type, expected.control), expected.owner);
    }
    for (const WindowTimer own :
         {WindowTimer::HideSaveProgress, WindowTimer::FlushSettings, WindowTimer::RepaintAfterShow,
          WindowTimer::ReadMouseConfiguration, WindowTimer::Repaint,
          WindowTimer::RereadMouseRecord}) {
        EXPECT_EQ(routes.TimerOwner(TimerId(own)), "main window") << TimerId(own);
    }
    // The lighting worker sends its frames itself: no frame timer.
    EXPECT_EQ(routes.TimerOwner(14), std::nullopt);
    ASSERT_EQ(routes.Workers().size(), 2U);
    std::map<std::size_t, std::string> workers;
    for (const auto& worker : routes.Workers()) {
        workers.emplace(worker.slot, worker.owner);
    }
    using Slot = settings::DeviceSession::WorkerSlot;
    EXPECT_EQ(workers,
              (std::map<std::size_t, std::string>{
                  {static_cast<std::size_t>(Slot::LightingWorker), "lighting stream"},
                  {static_cast<std::size_t>(Slot::ApplicationLinkWatcher), "profile lists"}}));
    EXPECT_EQ(routes.MessageOwner(MessageNumber(WindowMessage::FollowForegroundProgram)),
              "profile lists");
    // The siblings' synchronisation belongs to pages that are not built.
    for (const WindowTimer absent : {WindowTimer::KeyboardSync, WindowTimer::MousepadSync}) {
        EXPECT_EQ(routes.TimerOwner(TimerId(absent)), std::nullopt) << TimerId(absent);
    }
    for (const WindowMessage own :
         {WindowMessage::TrayIcon, WindowMessage::MenuCommand, WindowMessage::MouseChanged,
          WindowMessage::SaveStarted, WindowMessage::SaveFinished, WindowMessage::MouseRemoved}) {
        EXPECT_EQ(routes.MessageOwner(MessageNumber(own)), "main window");
    }
    // Recording takes the keys (0x812) and buttons (0x813) of the macro hook.
    for (const WindowMessage own :
         {WindowMessage::HookMouseMacro, WindowMessage::HookMouseFourth}) {
        EXPECT_EQ(routes.MessageOwner(MessageNumber(own)), "macro page");
    }
    for (const WindowMessage absent :
         {WindowMessage::HookKeyMacro, WindowMessage::KeyboardEvent401}) {
        EXPECT_EQ(routes.MessageOwner(MessageNumber(absent)), std::nullopt);
    }
    EXPECT_EQ(routes.SignalOwners(settings::PageSignal::kStopRecording),
              (std::vector<std::string>{"key page", "macro page"}));
}

}  // namespace
}  // namespace varlok::app
