#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "keys/macroaction.h"

namespace varlok::keys {

// The KeyNameTable rows a macro may hold: the keyboard keys and modifiers
// (rows 0..103), not the multimedia and system rows.
inline constexpr std::size_t kMacroKeyRows = 104;

// The action of key row `row` pressed (down) or released: code 0x0A with the
// row's usage, or 0x09 with its modifier bit; bit 7 when down.
[[nodiscard]] MacroAction KeyboardActionOf(std::size_t row, bool down);
// The key row (below kMacroKeyRows) a keyboard action names.
[[nodiscard]] std::optional<std::size_t> FindKeyRowOfAction(const MacroAction& action);
// Whether an action is a mouse action (button or move) rather than a key.
[[nodiscard]] inline bool IsMouseAction(const MacroAction& action) {
    return (action.code & ~kDownBit) < kModifierKeyCode;
}
// Whether an action is a pointer move, whose value is a distance.
[[nodiscard]] inline bool IsMoveAction(const MacroAction& action) {
    const int code = action.code & ~kDownBit;
    return code == kHorizontalMoveCode || code == kVerticalMoveCode;
}

// Turns captured keys and mouse buttons into macro actions, with the pause
// between one event and the next: each appended action carries pause 0 and
// the pause measured since the previous event goes to the action that was
// last before it (dropped when there was none). Pauses are rounded down to
// 10 ms and limited to 655350 ms; with a fixed pause every pause is 50 ms.
//
// Key auto-repeat gives one down action per press: a press of the key that
// was pressed last is ignored until that key is released. A mouse message
// equal to the last recorded one is ignored too. Only the left, right and
// middle buttons are recorded, never side buttons, the wheel or movement.
//
// Thread affinity: one thread (the UI thread).
class MacroRecorder {
public:
    // Milliseconds of a monotonic clock.
    using TickSource = std::function<std::int64_t()>;

    struct Options {
        bool keyboard = true;
        bool mouseClicks = true;
        bool fixedPause = false;
    };

    static constexpr int kFixedPauseMs = 50;

    // ticks defaults to the steady clock.
    explicit MacroRecorder(TickSource ticks = {});

    // Starts a recording: the last-event time is now and no key or button
    // was seen yet.
    void Start(Options options);
    void Stop() { m_recording = false; }
    [[nodiscard]] bool IsRecording() const { return m_recording; }

    // A keyboard message (0x100, 0x101, 0x104, 0x105) with the capture's
    // virtual-key code and flags. True when an action was appended.
    bool RecordKey(std::vector<MacroAction>& actions, std::uint32_t message,
                   std::uint32_t virtualKey, std::uint32_t flags);
    // A mouse message (0x201 ...). True when an action was appended.
    // onStopButton: the pointer is on the button that stops the recording.
    // A left press there begins the click that stops it: neither that press
    // nor the left release after it is recorded, in whatever order they and
    // the click itself reach the caller (a release that comes after the
    // recording stopped is not recorded anyway).
    bool RecordMouse(std::vector<MacroAction>& actions, std::uint32_t message,
                     bool onStopButton = false);

private:
    void Append(std::vector<MacroAction>& actions, MacroAction action);

    TickSource m_ticks;
    Options m_options;
    bool m_recording = false;
    std::int64_t m_lastEvent = 0;
    std::optional<std::uint32_t> m_lastPress;
    std::optional<std::uint32_t> m_lastMouseMessage;
    // A left press on the stop button was left out; so is the next release.
    bool m_stopClickPressed = false;
};

}  // namespace varlok::keys
