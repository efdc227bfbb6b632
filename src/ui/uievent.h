#pragma once

// Input events as a control sees them in DoEvent: mouse, keyboard and focus,
// in window client coordinates. The Qt layer translates its events into these.

#include <cstdint>

#include "ui/uitypes.h"

namespace varlok::ui {

enum class EventType {
    MouseEnter,
    MouseLeave,
    MouseMove,
    ButtonDown,
    ButtonUp,
    DoubleClick,
    RightButtonDown,
    RightButtonUp,
    ScrollWheel,
    SetFocus,
    KillFocus,
    KeyDown,
};

// Modifier bits of TEventUI::modifiers.
inline constexpr unsigned kModShift = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModAlt = 4;

// Keys of TEventUI::key for KeyDown (Windows virtual-key codes).
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;

struct TEventUI {
    EventType type = EventType::MouseMove;
    UiPoint ptMouse;     // window client coordinates (pixels)
    int key = 0;         // virtual-key code for KeyDown
    int wheelDelta = 0;  // ScrollWheel: positive away from the user, 120 per notch
    unsigned modifiers = 0;
};

}  // namespace varlok::ui
