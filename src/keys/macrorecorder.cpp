#include "keys/macrorecorder.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "keys/keynametable.h"
#include "keys/mouseeventtable.h"

namespace varlok::keys {

namespace {

constexpr std::uint32_t kKeyDown = 0x100;
constexpr std::uint32_t kSysKeyDown = 0x104;
constexpr std::uint32_t kLeftButtonDown = 0x201;
constexpr std::uint32_t kLeftButtonUp = 0x202;
constexpr std::int64_t kMaxPauseMs = static_cast<std::int64_t>(kMaxPauseUnits) * kPauseUnitMs;

std::int64_t SteadyTicks() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

MacroAction KeyboardActionOf(std::size_t row, bool down) {
    const KeyNameRow& key = KeyNameTable::Rows()[std::min(row, kMacroKeyRows - 1)];
    MacroAction action;
    const bool usage = key.function.p2 != 0;
    action.code = static_cast<std::uint8_t>((usage ? kKeyboardKeyCode : kModifierKeyCode) |
                                            (down ? kDownBit : 0));
    action.value = usage ? key.function.p2 : key.function.p1;
    action.downFlag = down ? 1 : 0;
    action.label = key.LanguageKey();
    return action;
}

std::optional<std::size_t> FindKeyRowOfAction(const MacroAction& action) {
    const int code = action.code & ~kDownBit;
    if (code != kKeyboardKeyCode && code != kModifierKeyCode) {
        return std::nullopt;
    }
    const auto rows = KeyNameTable::Rows();
    for (std::size_t row = 0; row < kMacroKeyRows; ++row) {
        const KeyFunction& key = rows[row].function;
        const bool usage = key.p2 != 0;
        if (usage == (code == kKeyboardKeyCode) && (usage ? key.p2 : key.p1) == action.value) {
            return row;
        }
    }
    return std::nullopt;
}

MacroRecorder::MacroRecorder(TickSource ticks)
    : m_ticks(ticks ? std::move(ticks) : TickSource(SteadyTicks)) {}

void MacroRecorder::Start(Options options) {
    m_options = options;
    m_lastEvent = m_ticks();
    m_lastPress.reset();
    m_lastMouseMessage.reset();
    m_stopClickPressed = false;
    m_recording = true;
}

bool MacroRecorder::RecordKey(std::vector<MacroAction>& actions, std::uint32_t message,
                              std::uint32_t virtualKey, std::uint32_t flags) {
    if (!m_recording || !m_options.keyboard) {
        return false;
    }
    const auto row = KeyNameTable::FindCapturedKey(static_cast<std::uint16_t>(virtualKey), flags);
    const bool pressed = message == kKeyDown || message == kSysKeyDown;
    // The keypad's Enter is its own key for the auto-repeat rule too.
    const std::uint32_t key = row ? KeyNameTable::Rows()[*row].virtualKey : virtualKey;
    if (pressed) {
        if (m_lastPress == key) {
            return false;
        }
        m_lastPress = key;
    } else if (m_lastPress == key) {
        m_lastPress.reset();
    }
    if (!row || *row >= kMacroKeyRows) {
        return false;
    }
    Append(actions, KeyboardActionOf(*row, pressed));
    return true;
}

bool MacroRecorder::RecordMouse(std::vector<MacroAction>& actions, std::uint32_t message,
                                bool onStopButton) {
    if (!m_recording || !m_options.mouseClicks) {
        return false;
    }
    if (message == kLeftButtonDown && onStopButton) {
        m_stopClickPressed = true;
        return false;
    }
    if (message == kLeftButtonUp && std::exchange(m_stopClickPressed, false)) {
        return false;
    }
    const auto row = MouseEventTable::FindRecordedMessage(message);
    if (!row || m_lastMouseMessage == message) {
        return false;
    }
    m_lastMouseMessage = message;
    Append(actions, MouseEventTable::ActionOf(*row));
    return true;
}

void MacroRecorder::Append(std::vector<MacroAction>& actions, MacroAction action) {
    const std::int64_t now = m_ticks();
    std::int64_t pauseMs = std::clamp<std::int64_t>(now - m_lastEvent, 0, kMaxPauseMs);
    m_lastEvent = now;
    if (m_options.fixedPause) {
        pauseMs = kFixedPauseMs;
    }
    if (!actions.empty()) {
        actions.back().SetPauseMs(pauseMs);
    }
    action.SetPauseUnits(0);
    actions.push_back(std::move(action));
}

}  // namespace varlok::keys
