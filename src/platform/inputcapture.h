#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace varlok::platform {

// A keyboard event as the recorder and the key capture read it: the Windows
// keyboard message, virtual-key code and low-level flags, whatever the desktop.
struct CapturedKey {
    // 0x100 key down, 0x101 key up, 0x104 system key down, 0x105 system key up.
    std::uint32_t message = 0;
    // Windows virtual-key code.
    std::uint32_t virtualKey = 0;
    // Bit 0: extended key; bit 7: the key was released.
    std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kCapturedKeyExtended = 0x01;
inline constexpr std::uint32_t kCapturedKeyReleased = 0x80;

// How far a capture reaches on this desktop.
enum class CaptureReach {
    // Keys typed in any program are taken (only Caps Lock, Num Lock and
    // Scroll Lock still reach the others); mouse buttons are seen anywhere.
    Desktop,
    // Only what is typed and clicked in our own window while it has the
    // focus (Wayland lets no program watch another's input).
    OwnWindow,
};

// The stand-in for the low-level keyboard and mouse hooks: while started it
// hands every key event and every mouse button message to its sinks.
class InputCapture {
public:
    struct Sinks {
        std::function<void(const CapturedKey&)> key;
        // The Windows mouse message (0x201 WM_LBUTTONDOWN ... 0x20C).
        std::function<void(std::uint32_t mouseMessage)> mouseButton;
    };

    virtual ~InputCapture() = default;

    [[nodiscard]] virtual CaptureReach Reach() const = 0;

    // Stops any running capture, then captures the keyboard and/or the mouse
    // buttons. False, with nothing captured, when either could not be had.
    // The sinks may be called on a thread of the capture's own.
    virtual bool Start(bool keyboard, bool mouse, Sinks sinks) = 0;
    // After it returns no sink is called any more. Safe when not started.
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsRunning() const = 0;
};

}  // namespace varlok::platform
