#include "ui/qt/x11desktopcapture.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include <utility>

namespace varlok::ui::qt {

namespace {

// Whether an xcb event is a focus change that only a grab made.
bool IsGrabFocusChange(const void* xcbEvent) {
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const std::uint8_t type = event->response_type & 0x7F;
    if (type != XCB_FOCUS_IN && type != XCB_FOCUS_OUT) {
        return false;
    }
    // FocusIn and FocusOut share one layout.
    const auto* focus = static_cast<const xcb_focus_in_event_t*>(xcbEvent);
    return focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB;
}

}  // namespace

X11DesktopCapture::X11DesktopCapture(std::unique_ptr<platform::X11InputCapture> capture)
    : m_capture(std::move(capture)) {}

X11DesktopCapture::~X11DesktopCapture() {
    Stop();
}

bool X11DesktopCapture::Start(bool keyboard, bool mouse, Sinks sinks) {
    Stop();
    // Only a Qt that talks to the same X server sees our grab's focus events.
    if (keyboard && QGuiApplication::platformName() == QLatin1String("xcb")) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    if (!m_capture->Start(keyboard, mouse, std::move(sinks))) {
        Stop();
        return false;
    }
    return true;
}

void X11DesktopCapture::Stop() {
    m_capture->Stop();
    if (m_filtering) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filtering = false;
    }
}

bool X11DesktopCapture::nativeEventFilter(const QByteArray& eventType, void* message,
                                          qintptr* /*result*/) {
    return eventType == "xcb_generic_event_t" && IsGrabFocusChange(message);
}

}  // namespace varlok::ui::qt
