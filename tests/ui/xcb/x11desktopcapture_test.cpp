// The desktop capture with a Qt that talks to the same X server (its own
// Xvfb): our window stays the active one while the keyboard grab runs. Qt
// takes the focus change of a grab for a deactivation, and the main window
// ends every capture when it is deactivated, so without the capture's focus
// filter a recording would end as soon as it started.

#include "ui/qt/x11desktopcapture.h"

#include "xvfbserver.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace varlok::ui::qt {
namespace {

using platform::testing::XvfbServer;

// Runs Qt's events until done holds, or for at most 10 s.
bool ProcessUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

// Runs Qt's events for a while: long enough for Qt to act on a focus change
// (it waits 400 ms for a FocusIn before it deactivates).
void ProcessFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

TEST(X11DesktopCaptureWithQt, OurWindowStaysActiveWhileTheKeyboardIsTaken) {
    XvfbServer server;
    if (!server.Installed()) {
        GTEST_SKIP() << "Xvfb is not installed (package xvfb); no X server to test against";
    }
    ASSERT_FALSE(server.DisplayName().empty());
    ::setenv("DISPLAY", server.DisplayName().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int argc = 1;
    char name[] = "x11desktopcapture_test";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QWidget window;
    window.resize(32, 32);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(ProcessUntil([&] { return window.isActiveWindow(); }));

    X11DesktopCapture capture(platform::X11InputCapture::Open(server.DisplayName()));
    ASSERT_TRUE(capture.Start(true, true, {}));
    ProcessFor(1000);
    EXPECT_TRUE(window.isActiveWindow());
    capture.Stop();
    ProcessFor(500);
    EXPECT_TRUE(window.isActiveWindow());
}

}  // namespace
}  // namespace varlok::ui::qt
