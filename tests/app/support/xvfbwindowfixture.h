#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/support/mainwindowfixture.h"
#include "platform/xvfbserver.h"
#include "ui/trayicon.h"

// Xlib's display, without Xlib's macros in every test that includes this.
struct _XDisplay;
extern "C" {
_XDisplay* XOpenDisplay(const char*);
int XCloseDisplay(_XDisplay*);
}

namespace varlok::app::testing {

// The main window with an X server of the test's own, where the test plays
// the user and the window manager through its own connection. Skips when
// Xvfb is not installed.
class XvfbWindowFixture : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        if (!m_server.Installed()) {
            GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
        }
        ASSERT_FALSE(m_server.DisplayName().empty()) << "Xvfb did not start";
        m_display.reset(XOpenDisplay(m_server.DisplayName().c_str()));
        ASSERT_NE(m_display, nullptr);
    }

    platform::testing::XvfbServer m_server;
    std::unique_ptr<_XDisplay, int (*)(_XDisplay*)> m_display{nullptr, XCloseDisplay};
};

}  // namespace varlok::app::testing
