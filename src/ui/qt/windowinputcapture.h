#pragma once

#include <QObject>

#include "platform/inputcapture.h"

namespace varlok::ui::qt {

// The capture where no program may watch another's input (Wayland, or no
// X server): what is typed and clicked in our own windows while one of them
// has the focus. Keys are taken from the window as the desktop capture takes
// them from every program (the lock keys pass); buttons are only watched.
// Key codes come from the platform's native scan code, the XKB key code on
// both X11 and Wayland. Sinks are called on the UI thread.
//
// UI thread only.
class WindowInputCapture : public QObject, public platform::InputCapture {
public:
    WindowInputCapture() = default;
    ~WindowInputCapture() override;
    WindowInputCapture(const WindowInputCapture&) = delete;
    WindowInputCapture& operator=(const WindowInputCapture&) = delete;

    [[nodiscard]] platform::CaptureReach Reach() const override {
        return platform::CaptureReach::OwnWindow;
    }
    // False without an application object to watch.
    bool Start(bool keyboard, bool mouse, Sinks sinks) override;
    void Stop() override;
    [[nodiscard]] bool IsRunning() const override { return m_keyboard || m_mouse; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnKey(QEvent* event);
    void OnButton(QEvent* event);

    bool m_keyboard = false;
    bool m_mouse = false;
    Sinks m_sinks;
};

}  // namespace varlok::ui::qt
