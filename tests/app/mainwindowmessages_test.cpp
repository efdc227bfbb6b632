#include "app/mainwindowmessages.h"

#include <gtest/gtest.h>

#include <set>

namespace varlok::app {
namespace {

TEST(MainWindowMessages, EveryMessageIsFoundByItsNumberAndBack) {
    std::set<std::uint32_t> numbers;
    for (const WindowMessageInfo& entry : kWindowMessages) {
        EXPECT_TRUE(numbers.insert(MessageNumber(entry.message)).second) << entry.name;
        EXPECT_EQ(FindWindowMessage(MessageNumber(entry.message)), entry.message);
        ASSERT_NE(MessageInfo(entry.message), nullptr);
        EXPECT_EQ(MessageInfo(entry.message)->name, entry.name);
    }
    // The numbers the main window has always used, and nothing else.
    EXPECT_EQ(numbers,
              (std::set<std::uint32_t>{0x0401, 0x0479, 0x0801, 0x0802, 0x0803, 0x0804, 0x0810,
                                       0x0811, 0x0812, 0x0813, 0x0901, 0x0B01, 0x0B02, 0x0C00,
                                       0x0C01, 0x0C05, 0x0C10, 0x0C20, 0x0C21}));
    EXPECT_FALSE(FindWindowMessage(0x0C02).has_value());
    EXPECT_EQ(MessageInfo(static_cast<WindowMessage>(0x0C02)), nullptr);
    EXPECT_EQ(kActivateMessageName, "TAMBRELL_004");
}

TEST(MainWindowMessages, MessagesThatThreadsWaitForAreSent) {
    for (const WindowMessage sent : {WindowMessage::MouseChanged, WindowMessage::KeyboardEvent401,
                                     WindowMessage::KeyboardEvent402, WindowMessage::SaveStarted,
                                     WindowMessage::SaveFinished}) {
        EXPECT_EQ(MessageInfo(sent)->delivery, MessageDelivery::Sent) << MessageNumber(sent);
    }
    EXPECT_EQ(MessageInfo(WindowMessage::MouseRemoved)->delivery, MessageDelivery::Posted);
}

TEST(MainWindowTimers, EveryTimerIsFoundByItsIdAndBack) {
    std::set<std::uintptr_t> ids;
    for (const WindowTimerInfo& entry : kWindowTimers) {
        EXPECT_TRUE(ids.insert(TimerId(entry.timer)).second) << entry.name;
        EXPECT_EQ(FindWindowTimer(TimerId(entry.timer)), entry.timer);
        EXPECT_EQ(TimerPeriod(entry.timer), entry.period);
    }
    EXPECT_EQ(ids, (std::set<std::uintptr_t>{1, 2, 7, 8, 10, 11, 12, 13}));
    // The repaint timer starts at 100 ms; its handler re-arms it at 50 ms.
    EXPECT_EQ(TimerInfo(WindowTimer::Repaint)->laterPeriod, std::chrono::milliseconds{50});
    EXPECT_FALSE(FindWindowTimer(9).has_value());
    EXPECT_EQ(TimerPeriod(static_cast<WindowTimer>(9)), std::chrono::milliseconds{0});
}

}  // namespace
}  // namespace varlok::app
