#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "app/application.h"
#include "app/support/mainwindowfixture.h"
#include "device/mainwindowmessages.h"
#include "platform/singleinstance.h"
#include "ui/controlui.h"
#include "ui/modalanswers.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

class SingleInstanceTest : public testing::MainWindowFixture {};

TEST_F(SingleInstanceTest, ASecondStartWakesTheRunningWindow) {
    ui::CTrayIcon::OverrideSystemTrayAvailable(true);
    const std::string name = "varlok-app-test-" + std::to_string(::getpid());
    platform::SingleInstance first(name, WakeMainWindow(m_environment.activateMessage));
    ASSERT_EQ(first.Acquire(device::kActivateMessageName),
              platform::SingleInstance::AcquireResult::Acquired);
    CreateWindow();
    Initialise();

    // Without a mouse the woken window explains why it stays hidden.
    std::string shown;
    testing::AnswerMessage(shown);
    platform::SingleInstance second(name, {});
    EXPECT_EQ(second.Acquire(device::kActivateMessageName),
              platform::SingleInstance::AcquireResult::AlreadyRunning);
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_1");
}

TEST_F(SingleInstanceTest, OtherWakeMessagesAreIgnored) {
    const std::string name = "varlok-app-test-other-" + std::to_string(::getpid());
    platform::SingleInstance first(name, WakeMainWindow(m_environment.activateMessage));
    ASSERT_EQ(first.Acquire(device::kActivateMessageName),
              platform::SingleInstance::AcquireResult::Acquired);
    CreateWindow();
    Initialise();
    std::string shown;
    testing::AnswerMessage(shown);
    platform::SingleInstance second(name, {});
    EXPECT_EQ(second.Acquire("SOMETHING_ELSE"),
              platform::SingleInstance::AcquireResult::AlreadyRunning);
    RunFor(std::chrono::milliseconds(500));
    EXPECT_TRUE(shown.empty());
    ui::ModalAnswers::Clear();
}

}  // namespace
}  // namespace varlok::app
