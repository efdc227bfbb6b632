// The X11 capture against an X server of the test's own, driven with XTest
// as a keyboard and a mouse would: what the sinks receive, and what another
// client with the input focus receives meanwhile.

#include "platform/x11inputcapture.h"

#include "xvfbserver.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// After GoogleTest: Xlib defines None, Bool and Status as macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using testing::XvfbServer;

// Long enough never to be reached on a loaded machine.
constexpr auto kPatience = 10s;

struct Key {
    std::uint32_t message, virtualKey, flags;
    friend bool operator==(const Key&, const Key&) = default;
};

// What the sinks received, from the capture's thread.
class Received {
public:
    InputCapture::Sinks Sinks() {
        return {[this](const CapturedKey& key) {
                    Add(keys, {key.message, key.virtualKey, key.flags});
                },
                [this](std::uint32_t message) { Add(buttons, message); }};
    }
    bool WaitFor(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, done);
    }
    template <class T>
    std::vector<T> Copy(const std::vector<T>& list) {
        const std::lock_guard lock(mutex);
        return list;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Key> keys;
    std::vector<std::uint32_t> buttons;

private:
    template <class T>
    void Add(std::vector<T>& list, T value) {
        {
            const std::lock_guard lock(mutex);
            list.push_back(value);
        }
        changed.notify_all();
    }
};

class X11InputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = std::make_unique<XvfbServer>();
        if (!m_server->Installed()) {
            GTEST_SKIP() << "Xvfb is not installed (package xvfb); no X server to test against";
        }
        ASSERT_FALSE(m_server->DisplayName().empty()) << "Xvfb did not start";
        m_capture = X11InputCapture::Open(m_server->DisplayName());
        ASSERT_NE(m_capture, nullptr);
        m_display.reset(XOpenDisplay(m_server->DisplayName().c_str()));
        ASSERT_NE(m_display, nullptr);
        int ignored = 0;
        ASSERT_TRUE(XTestQueryExtension(m_display.get(), &ignored, &ignored, &ignored, &ignored));
    }

    // Another program's window, covering the screen, with the input focus.
    Window FocusedWindow() {
        Display* display = m_display.get();
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0);
        XSelectInput(display, window, KeyPressMask | KeyReleaseMask | ButtonPressMask);
        XMapWindow(display, window);
        XSync(display, False);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XTestFakeMotionEvent(display, 0, 10, 10, CurrentTime);
        XSync(display, False);
        return window;
    }

    void Press(KeySym symbol, bool down) {
        XTestFakeKeyEvent(m_display.get(), XKeysymToKeycode(m_display.get(), symbol), down ? 1 : 0,
                          CurrentTime);
        XSync(m_display.get(), False);
    }
    void Type(KeySym symbol) {
        Press(symbol, true);
        Press(symbol, false);
    }
    void Click(unsigned button) {
        XTestFakeButtonEvent(m_display.get(), button, 1, CurrentTime);
        XTestFakeButtonEvent(m_display.get(), button, 0, CurrentTime);
        XSync(m_display.get(), False);
    }

    // The types of the events the other window received, once the server
    // has answered a round trip (so whatever it sent has arrived).
    std::vector<int> WindowEvents() {
        XSync(m_display.get(), False);
        std::vector<int> types;
        XEvent event;
        while (XPending(m_display.get()) > 0) {
            XNextEvent(m_display.get(), &event);
            types.push_back(event.type);
        }
        return types;
    }

    bool CapsLocked() {
        XkbStateRec state{};
        XkbGetState(m_display.get(), XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }

    std::size_t KeyCount() { return m_received.Copy(m_received.keys).size(); }

    std::unique_ptr<XvfbServer> m_server;
    // Outlives the capture, whose thread calls into it until it is stopped.
    Received m_received;
    std::unique_ptr<X11InputCapture> m_capture;
    std::unique_ptr<Display, int (*)(Display*)> m_display{nullptr, XCloseDisplay};
};

TEST_F(X11InputCaptureTest, TakesKeysFromTheWindowInFrontAndWatchesButtons) {
    FocusedWindow();
    ASSERT_TRUE(m_capture->Start(true, true, m_received.Sinks()));
    EXPECT_TRUE(m_capture->IsRunning());
    EXPECT_EQ(m_capture->Reach(), CaptureReach::Desktop);

    Press(XK_Control_L, true);
    Type(XK_c);
    Press(XK_Control_L, false);
    Type(XK_Shift_L);
    Type(XK_Delete);
    for (const unsigned button : {1U, 3U, 2U, 4U, 8U}) {
        Click(button);
    }
    ASSERT_TRUE(m_received.WaitFor(
        [&] { return m_received.keys.size() >= 8 && m_received.buttons.size() >= 9; }));
    const std::vector<Key> expectedKeys{
        {0x100, 0xA2, 0x00}, {0x100, 0x43, 0x00}, {0x101, 0x43, 0x80}, {0x101, 0xA2, 0x80},
        {0x100, 0xA0, 0x00}, {0x101, 0xA0, 0x80}, {0x100, 0x2E, 0x01}, {0x101, 0x2E, 0x81}};
    EXPECT_EQ(m_received.Copy(m_received.keys), expectedKeys);
    const std::vector<std::uint32_t> expectedButtons{0x201, 0x202, 0x204, 0x205, 0x207,
                                                     0x208, 0x20A, 0x20B, 0x20C};
    EXPECT_EQ(m_received.Copy(m_received.buttons), expectedButtons);
    // The window in front saw the buttons (watched, not taken) and no key.
    const std::vector<int> seen = WindowEvents();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), ButtonPress), 5);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), KeyPress), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), KeyRelease), 0);

    m_capture->Stop();
    EXPECT_FALSE(m_capture->IsRunning());
    Type(XK_a);
    Click(1);
    const std::vector<int> after = WindowEvents();
    EXPECT_EQ(std::count(after.begin(), after.end(), KeyPress), 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), KeyRelease), 1);
    EXPECT_EQ(KeyCount(), expectedKeys.size());
    EXPECT_EQ(m_received.Copy(m_received.buttons).size(), expectedButtons.size());
}

TEST_F(X11InputCaptureTest, AHeldKeyRepeatsAsDownsAndComesUpOnce) {
    // Repeats after 30 ms, every 20 ms.
    ASSERT_TRUE(XkbSetAutoRepeatRate(m_display.get(), XkbUseCoreKbd, 30, 20));
    ASSERT_TRUE(m_capture->Start(true, false, m_received.Sinks()));
    Press(XK_a, true);
    ASSERT_TRUE(m_received.WaitFor([&] { return m_received.keys.size() >= 4; }));
    Press(XK_a, false);
    ASSERT_TRUE(m_received.WaitFor(
        [&] { return !m_received.keys.empty() && m_received.keys.back().message == 0x101; }));
    m_capture->Stop();
    const std::vector<Key> keys = m_received.Copy(m_received.keys);
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        EXPECT_EQ(keys[i], (Key{0x100, 0x41, 0x00})) << "event " << i;
    }
    EXPECT_EQ(keys.back(), (Key{0x101, 0x41, 0x80}));
}

TEST_F(X11InputCaptureTest, CapsLockStillTogglesWhileTheKeyboardIsTaken) {
    ASSERT_FALSE(CapsLocked());
    ASSERT_TRUE(m_capture->Start(true, false, m_received.Sinks()));
    Type(XK_Caps_Lock);
    ASSERT_TRUE(m_received.WaitFor([&] { return m_received.keys.size() >= 2; }));
    EXPECT_TRUE(CapsLocked());
    EXPECT_EQ(m_received.Copy(m_received.keys)[0], (Key{0x100, 0x14, 0x00}));
    Type(XK_Caps_Lock);
    ASSERT_TRUE(m_received.WaitFor([&] { return m_received.keys.size() >= 4; }));
    EXPECT_FALSE(CapsLocked());
}

TEST_F(X11InputCaptureTest, StartFailsCleanlyWhileAnotherProgramHoldsTheKeyboard) {
    Display* display = m_display.get();
    ASSERT_EQ(XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                            GrabModeAsync, CurrentTime),
              GrabSuccess);
    XSync(display, False);
    EXPECT_FALSE(m_capture->Start(true, true, m_received.Sinks()));
    EXPECT_FALSE(m_capture->IsRunning());
    Click(1);
    XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);
    EXPECT_TRUE(m_received.Copy(m_received.buttons).empty());
    EXPECT_TRUE(m_capture->Start(true, false, m_received.Sinks()));
}

TEST(X11InputCapture, WithoutAnXServerThereIsNone) {
    EXPECT_EQ(X11InputCapture::Open(":not-a-display"), nullptr);
}

}  // namespace
}  // namespace varlok::platform
