#pragma once

#include <QAbstractNativeEventFilter>

#include <memory>

#include "platform/x11inputcapture.h"

namespace varlok::ui::qt {

// The X11 capture as the program uses it. A keyboard grab moves the focus
// away from our window as far as X is concerned (FocusOut, mode Grab), and
// Qt would take that for a deactivation, which ends every capture at once.
// While the grab is ours, focus changes that only the grab made are kept
// from Qt; a real one (the user clicking another window) still goes through.
//
// UI thread only.
class X11DesktopCapture : public platform::InputCapture, public QAbstractNativeEventFilter {
public:
    explicit X11DesktopCapture(std::unique_ptr<platform::X11InputCapture> capture);
    ~X11DesktopCapture() override;
    X11DesktopCapture(const X11DesktopCapture&) = delete;
    X11DesktopCapture& operator=(const X11DesktopCapture&) = delete;

    [[nodiscard]] platform::CaptureReach Reach() const override { return m_capture->Reach(); }
    bool Start(bool keyboard, bool mouse, Sinks sinks) override;
    void Stop() override;
    [[nodiscard]] bool IsRunning() const override { return m_capture->IsRunning(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::unique_ptr<platform::X11InputCapture> m_capture;
    bool m_filtering = false;
};

}  // namespace varlok::ui::qt
