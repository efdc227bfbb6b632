// The capture of our own windows (where no program may watch another's
// input) and the choice between it and the desktop capture.

#include "ui/qt/windowinputcapture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/uidriver.h"
#include "ui/inputcapturefactory.h"

namespace varlok::ui {
namespace {

using Key = std::array<std::uint32_t, 3>;  // message, virtual key, flags

// Counts the keys that reach it.
class KeyCountingWidget : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keys;
        event->accept();
    }
};

platform::DesktopSession Session(std::string forced, std::string type, bool x11, bool wayland) {
    platform::DesktopSession session;
    session.forcedDesktop = std::move(forced);
    session.sessionType = std::move(type);
    session.hasX11Display = x11;
    session.hasWaylandDisplay = wayland;
    return session;
}

TEST(InputCaptureChoice, TheDesktopOnlyOnAnX11SessionThatMayBeTouched) {
    struct Case {
        const char* what;
        platform::DesktopSession session;
        bool desktop;
    };
    const Case cases[] = {
        {"X11", Session("", "x11", true, false), true},
        {"no display at all", Session("", "", false, false), false},
        {"Wayland with XWayland", Session("", "", true, true), false},
        {"a Wayland session", Session("", "Wayland", true, false), false},
        {"kept off the desktop", Session("NONE", "x11", true, false), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WantsDesktopCapture(c.session), c.desktop) << c.what;
    }
}

class WindowInputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        m_window = std::make_unique<KeyCountingWidget>();
        m_window->resize(40, 40);
        m_window->setFocusPolicy(Qt::StrongFocus);
        m_window->show();
        m_window->activateWindow();
        m_window->setFocus();
        test::ProcessEvents();
        ASSERT_NE(QGuiApplication::focusWindow(), nullptr);
    }

    // A key as the platform reports it.
    void Type(QEvent::Type type, std::uint32_t keyCode, bool autoRepeat = false) {
        QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, keyCode, 0, 0, QString(),
                        autoRepeat);
        QCoreApplication::sendEvent(m_window->windowHandle(), &event);
    }
    void Button(QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(m_window->windowHandle(), &event);
    }

    platform::InputCapture::Sinks Sinks() {
        return {[this](const platform::CapturedKey& key) {
                    m_keys.push_back({key.message, key.virtualKey, key.flags});
                },
                [this](std::uint32_t message) { m_buttons.push_back(message); }};
    }

    std::unique_ptr<KeyCountingWidget> m_window;
    qt::WindowInputCapture m_capture;
    std::vector<Key> m_keys;
    std::vector<std::uint32_t> m_buttons;
};

TEST_F(WindowInputCaptureTest, TakesKeysTypedInOurWindowAndWatchesItsButtons) {
    ASSERT_TRUE(m_capture.Start(true, true, Sinks()));
    EXPECT_EQ(m_capture.Reach(), platform::CaptureReach::OwnWindow);
    Type(QEvent::KeyPress, 50);          // left Shift
    Type(QEvent::KeyRelease, 38, true);  // a repeat's release: dropped
    Type(QEvent::KeyPress, 38, true);    // a repeat's press: a further down
    Type(QEvent::KeyRelease, 50);
    Type(QEvent::KeyPress, 104);  // keypad Enter
    EXPECT_EQ(m_window->keys, 0);
    Type(QEvent::KeyPress, 66);  // Caps Lock: captured and passed on
    EXPECT_EQ(m_window->keys, 1);
    Button(QEvent::MouseButtonPress, Qt::LeftButton);
    Button(QEvent::MouseButtonRelease, Qt::BackButton);
    const std::vector<Key> keys{{0x100, 0xA0, 0x00},
                                {0x100, 0x41, 0x00},
                                {0x101, 0xA0, 0x80},
                                {0x100, 0x0D, 0x01},
                                {0x100, 0x14, 0x00}};
    EXPECT_EQ(m_keys, keys);
    EXPECT_EQ(m_buttons, (std::vector<std::uint32_t>{0x201, 0x20C}));

    m_capture.Stop();
    EXPECT_FALSE(m_capture.IsRunning());
    Type(QEvent::KeyPress, 38);
    EXPECT_EQ(m_window->keys, 2);
    Button(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(m_keys.size(), keys.size());
    EXPECT_EQ(m_buttons.size(), 2U);
}

}  // namespace
}  // namespace varlok::ui
