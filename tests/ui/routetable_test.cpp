#include "ui/routetable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/uidriver.h"
#include "ui/buttonui.h"

namespace varlok::ui {
namespace {

TEST(RouteTable, NamesMatchExactlyByPrefixOrByPrefixAndNumber) {
    const struct {
        std::string_view control;
        std::string_view name;
        NameMatch match;
        bool matches;
        std::optional<int> number;
    } cases[] = {
        {"ms_profile_2", "ms_profile_", NameMatch::PrefixIndex, true, 2},
        {"ms_Deng_color_btn_18", "ms_Deng_color_btn_", NameMatch::PrefixIndex, true, 18},
        {"ms_profile_fun_spread_btn", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"ms_profile_", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"ms_profile_2a", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"ms_profile_-1", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"ms_profile_99999999999", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"MS_PROFILE_2", "ms_profile_", NameMatch::PrefixIndex, false, {}},
        {"ms_macro_btn_save", "ms_macro_", NameMatch::Prefix, true, {}},
        {"ms_macr", "ms_macro_", NameMatch::Prefix, false, {}},
        {"menubtn", "menubtn", NameMatch::Exact, true, {}},
        {"menubtn2", "menubtn", NameMatch::Exact, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control));
        std::optional<int> number = 99;
        EXPECT_EQ(RouteTable::Matches(c.control, c.name, c.match, number), c.matches);
        EXPECT_EQ(number, c.number);
    }
}

TEST(RouteTable, EveryMatchingHandlerRunsInOrderAndOnlyRegisteredRoutesExist) {
    constexpr SignalId kRefresh{1};
    test::EnsureApplication();
    RouteTable routes;
    std::vector<std::string> calls;
    routes.OnClick("stages", "ms_DPIcolor_btn_", NameMatch::PrefixIndex,
                   [&](TNotifyUI& msg, std::optional<int> number) {
                       calls.push_back(msg.sType + " " + std::to_string(*number));
                   });
    routes.OnNotify("hover", msgtype::kMouseEnter, "ms_DPIcolor_btn_", NameMatch::PrefixIndex,
                    [&](TNotifyUI&, std::optional<int> number) {
                        calls.push_back("enter " + std::to_string(*number));
                    });
    routes.OnClick("anything", "ms_DPI", NameMatch::Prefix,
                   [&](TNotifyUI&, std::optional<int> number) {
                       calls.push_back(number ? "numbered" : "prefix");
                   });
    routes.OnTimer("flush", 2, [&] { calls.push_back("timer 2"); });
    routes.OnMessage("hooks", 0x0810, 0x0813,
                     [&](MessageId message, WParam wParam, LParam) -> LResult {
                         calls.push_back("message " + std::to_string(message - 0x0810));
                         return static_cast<LResult>(wParam + 1);
                     });
    routes.OnSignal("page a", kRefresh, [&] { calls.push_back("a"); });
    routes.OnSignal("page b", kRefresh, [&] { calls.push_back("b"); });
    routes.OnWorker("lighting", 3, [](platform::Event&) {});

    CButtonUI button;
    button.SetName("ms_DPIcolor_btn_7");
    TNotifyUI click{std::string(msgtype::kClick), &button, 0, 0};
    EXPECT_EQ(routes.DeliverNotify(click), 2u);
    TNotifyUI leave{std::string(msgtype::kMouseLeave), &button, 0, 0};
    EXPECT_EQ(routes.DeliverNotify(leave), 0u);
    EXPECT_TRUE(routes.DeliverTimer(2));
    EXPECT_FALSE(routes.DeliverTimer(14));
    EXPECT_EQ(routes.DeliverMessage(0x0812, 41, 0), LResult{42});
    EXPECT_EQ(routes.DeliverMessage(0x0814, 0, 0), std::nullopt);
    EXPECT_EQ(routes.Raise(kRefresh), 2u);
    EXPECT_EQ(routes.Raise(SignalId{2}), 0u);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"click 7", "prefix", "timer 2", "message 2", "a", "b"}));

    EXPECT_EQ(routes.NotifyOwner(msgtype::kClick, "ms_DPIcolor_btn_3"), "stages");
    EXPECT_EQ(routes.NotifyOwner(msgtype::kMouseEnter, "ms_DPIcolor_btn_3"), "hover");
    EXPECT_EQ(routes.NotifyOwner(msgtype::kItemClick, "ms_DPIcolor_btn_3"), std::nullopt);
    EXPECT_EQ(routes.MessageOwner(0x0810), "hooks");
    EXPECT_EQ(routes.TimerOwner(2), "flush");
    EXPECT_EQ(routes.TimerOwner(14), std::nullopt);
    EXPECT_EQ(routes.SignalOwners(kRefresh), (std::vector<std::string>{"page a", "page b"}));
    ASSERT_EQ(routes.Workers().size(), 1u);
    EXPECT_EQ(routes.Workers()[0].owner, "lighting");
    EXPECT_EQ(routes.Workers()[0].slot, 3u);
}

}  // namespace
}  // namespace varlok::ui
