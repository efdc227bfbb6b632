#include "ui/inputcapturefactory.h"

#include <algorithm>
#include <string>

#include "platform/x11inputcapture.h"
#include "ui/qt/windowinputcapture.h"
#include "ui/qt/x11desktopcapture.h"

namespace varlok::ui {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

}  // namespace

bool WantsDesktopCapture(const platform::DesktopSession& session) {
    const bool wayland = session.hasWaylandDisplay || Lower(session.sessionType) == "wayland";
    return session.hasX11Display && !wayland && Lower(session.forcedDesktop) != "none";
}

std::shared_ptr<platform::InputCapture> CreateInputCapture() {
    if (WantsDesktopCapture(platform::CurrentDesktopSession())) {
        if (auto desktop = platform::X11InputCapture::Open()) {
            return std::make_shared<qt::X11DesktopCapture>(std::move(desktop));
        }
    }
    return std::make_shared<qt::WindowInputCapture>();
}

}  // namespace varlok::ui
