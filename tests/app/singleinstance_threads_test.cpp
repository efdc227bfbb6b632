#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/mainwindowmessages.h"
#include "app/support/mainwindowfixture.h"
#include "platform/singleinstance.h"
#include "ui/controlui.h"
#include "ui/modalanswers.h"
#include "ui/recordingtarget.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

// The running program: its window, holding a test-unique instance name
// whose wake-ups reach the window. A second start sends wakeMessage and
// learns that the program runs; the message box it may cause is answered
// into `shown`.
class SingleInstanceTest : public testing::MainWindowFixture {
protected:
    void StartSecondInstance(std::string_view wakeMessage) {
        const std::string name = "varlok-app-test-" + std::to_string(::getpid());
        m_first = std::make_unique<platform::SingleInstance>(
            name, [this, wake = WakeMainWindow(m_environment.activateMessage)](
                      const std::string& message) {
                wake(message);
                ++m_wakes;
            });
        ASSERT_EQ(m_first->Acquire(kActivateMessageName),
                  platform::SingleInstance::AcquireResult::Acquired);
        CreateWindow();
        Initialise();
        testing::AnswerMessage(shown);
        platform::SingleInstance second(name, {});
        EXPECT_EQ(second.Acquire(wakeMessage),
                  platform::SingleInstance::AcquireResult::AlreadyRunning);
        // The listener hands the message on, then the window takes what it
        // posted.
        ASSERT_TRUE(RunUntil([this] { return m_wakes.load() == 1; }));
        ui::test::DeliverPosted();
    }

    // Declared before the instance, whose listener counts into it.
    std::atomic<int> m_wakes{0};
    std::unique_ptr<platform::SingleInstance> m_first;
    std::string shown;
};

TEST_F(SingleInstanceTest, ASecondStartWakesTheRunningWindow) {
    ui::CTrayIcon::OverrideSystemTrayAvailable(true);
    StartSecondInstance(kActivateMessageName);
    // Without a mouse the woken window explains why it stays hidden.
    ASSERT_TRUE(RunUntil([this] { return !shown.empty(); }));
    EXPECT_EQ(shown, "message_text_1");
}

TEST_F(SingleInstanceTest, OtherWakeMessagesAreIgnored) {
    StartSecondInstance("SOMETHING_ELSE");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(ui::ModalAnswers::Pending(), 1U);
}

}  // namespace
}  // namespace varlok::app
