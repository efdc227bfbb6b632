#include "ui/qt/windowinputcapture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include <utility>

#include "platform/keycodetable.h"
#include "platform/mousebuttonmessages.h"

namespace varlok::ui::qt {

namespace {

// Keys whose state the user keeps needing while a capture runs.
bool IsLockKey(std::uint32_t virtualKey) {
    constexpr std::uint32_t kCapsLock = 0x14;
    constexpr std::uint32_t kNumLock = 0x90;
    constexpr std::uint32_t kScrollLock = 0x91;
    return virtualKey == kCapsLock || virtualKey == kNumLock || virtualKey == kScrollLock;
}

std::uint32_t ButtonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return platform::kButtonLeft;
        case Qt::MiddleButton:
            return platform::kButtonMiddle;
        case Qt::RightButton:
            return platform::kButtonRight;
        case Qt::BackButton:
            return platform::kButtonBack;
        case Qt::ForwardButton:
            return platform::kButtonForward;
        default:
            return 0;
    }
}

}  // namespace

WindowInputCapture::~WindowInputCapture() {
    Stop();
}

bool WindowInputCapture::Start(bool keyboard, bool mouse, Sinks sinks) {
    Stop();
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    m_keyboard = keyboard;
    m_mouse = mouse;
    m_sinks = std::move(sinks);
    if (IsRunning()) {
        application->installEventFilter(this);
    }
    return true;
}

void WindowInputCapture::Stop() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
    m_keyboard = false;
    m_mouse = false;
    m_sinks = {};
}

bool WindowInputCapture::eventFilter(QObject* watched, QEvent* event) {
    // Input reaches a window first and its widgets after: watching windows
    // alone sees each event once.
    if (!watched->isWindowType() || QGuiApplication::focusWindow() == nullptr) {
        return false;
    }
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return m_keyboard && OnKey(event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            if (m_mouse) {
                OnButton(event);
            }
            return false;
        default:
            return false;
    }
}

bool WindowInputCapture::OnKey(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool pressed = event->type() == QEvent::KeyPress;
    // A key held down repeats as presses alone, as on Windows.
    if (!pressed && key->isAutoRepeat()) {
        return true;
    }
    const std::optional<platform::CapturedKey> captured = platform::CapturedKeyOf(
        key->nativeScanCode(), {.pressed = pressed,
                                .altHeld = key->modifiers().testFlag(Qt::AltModifier),
                                .controlHeld = key->modifiers().testFlag(Qt::ControlModifier)});
    if (!captured) {
        return false;
    }
    // The sink may stop the capture: keep what decides the answer first.
    const bool passOn = IsLockKey(captured->virtualKey);
    if (const auto sink = m_sinks.key) {
        sink(*captured);
    }
    return !passOn;
}

void WindowInputCapture::OnButton(QEvent* event) {
    std::optional<std::uint32_t> message;
    if (event->type() == QEvent::Wheel) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        if (delta.isNull()) {
            return;
        }
        message = platform::MouseMessageOfButton(
            delta.y() != 0 ? platform::kButtonWheelUp : platform::kButtonWheelLeft, true);
    } else {
        message =
            platform::MouseMessageOfButton(ButtonNumber(static_cast<QMouseEvent*>(event)->button()),
                                           event->type() == QEvent::MouseButtonPress);
    }
    if (const auto sink = m_sinks.mouseButton; message && sink) {
        sink(*message);
    }
}

}  // namespace varlok::ui::qt
