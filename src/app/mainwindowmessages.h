#pragma once

// The window messages and timers of the main window, as data in one place:
// what the worker threads, the tray icon, the menus and the pages send to
// it, and the timers it runs. The numbers are the UI's 32-bit MessageId.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varlok::app {

// Window message numbers the main window handles (besides the registered
// activation message, whose number is handed out at run time).
enum class WindowMessage : std::uint32_t {
    TrayIcon = 0x0401,
    MenuCommand = 0x0479,
    HookKeySingleKey = 0x0801,
    HookKeyHitKey = 0x0802,
    HookKeyMacro = 0x0803,
    HookKeyFourth = 0x0804,
    HookMouseSingleKey = 0x0810,
    HookMouseHitKey = 0x0811,
    HookMouseMacro = 0x0812,
    HookMouseFourth = 0x0813,
    // The mouse announced a change of its configuration (event 0x402).
    MouseChanged = 0x0901,
    // The keyboard's events 0x402 and 0x401.
    KeyboardEvent402 = 0x0B01,
    KeyboardEvent401 = 0x0B02,
    // A save to the device starts (show the progress) and ends.
    SaveStarted = 0x0C00,
    SaveFinished = 0x0C01,
    // The mouse went away.
    MouseRemoved = 0x0C05,
    // The program in front changed: the device list follows its link.
    FollowForegroundProgram = 0x0C10,
    // The bus service: calls wait in its queue; its properties may have
    // changed.
    BusServiceCall = 0x0C20,
    BusServiceRefresh = 0x0C21,
};

// How a worker thread hands a message to the main window.
enum class MessageDelivery {
    Posted,  // queued; the thread goes on at once
    Sent,    // the thread waits until the main window has handled it
};

struct WindowMessageInfo {
    WindowMessage message;
    std::string_view name;
    MessageDelivery delivery;
};

// The name of the registered message that brings the main window to the
// front: sent by a second instance, posted by the presence monitor after
// its first pass found the mouse.
inline constexpr std::string_view kActivateMessageName = "TAMBRELL_004";

inline constexpr std::array kWindowMessages{
    WindowMessageInfo{WindowMessage::TrayIcon, "TrayIcon", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::MenuCommand, "MenuCommand", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookKeySingleKey, "WM_HOOK_KEY_SINGLEKEY",
                      MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookKeyHitKey, "WM_HOOK_KEY_KBHITKEY",
                      MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookKeyMacro, "WM_HOOK_KEY_MACRO", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookKeyFourth, "HookKeyFourth", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookMouseSingleKey, "WM_HOOK_MOU_SINGLEKEY",
                      MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookMouseHitKey, "WM_HOOK_MOU_HitKEY",
                      MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookMouseMacro, "WM_HOOK_MOU_MACRO", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::HookMouseFourth, "HookMouseFourth", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::MouseChanged, "MouseChanged", MessageDelivery::Sent},
    WindowMessageInfo{WindowMessage::KeyboardEvent402, "KeyboardEvent402", MessageDelivery::Sent},
    WindowMessageInfo{WindowMessage::KeyboardEvent401, "KeyboardEvent401", MessageDelivery::Sent},
    WindowMessageInfo{WindowMessage::SaveStarted, "SaveStarted", MessageDelivery::Sent},
    WindowMessageInfo{WindowMessage::SaveFinished, "SaveFinished", MessageDelivery::Sent},
    WindowMessageInfo{WindowMessage::MouseRemoved, "MouseRemoved", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::FollowForegroundProgram, "FollowForegroundProgram",
                      MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::BusServiceCall, "BusServiceCall", MessageDelivery::Posted},
    WindowMessageInfo{WindowMessage::BusServiceRefresh, "BusServiceRefresh",
                      MessageDelivery::Posted},
};

// Timer ids of the main window.
enum class WindowTimer : std::uintptr_t {
    HideSaveProgress = 1,
    FlushSettings = 2,
    RepaintAfterShow = 7,
    ReadMouseConfiguration = 8,
    Repaint = 10,
    KeyboardSync = 11,
    MousepadSync = 12,
    RereadMouseRecord = 13,
};

enum class TimerKind {
    OneShot,   // the handler kills the timer before it acts
    Periodic,  // ticks until killed
};

struct WindowTimerInfo {
    WindowTimer timer;
    std::string_view name;
    TimerKind kind;
    // The period the timer is started with, and the one its handler re-arms
    // it with (the same for all but the repaint timer).
    std::chrono::milliseconds period;
    std::chrono::milliseconds laterPeriod;
};

inline constexpr std::array kWindowTimers{
    WindowTimerInfo{WindowTimer::HideSaveProgress, "HideSaveProgress", TimerKind::OneShot,
                    std::chrono::milliseconds{1000}, std::chrono::milliseconds{1000}},
    // Armed by the first change of a burst (and once when the window
    // initialises): the burst goes out in one write 100 ms later.
    WindowTimerInfo{WindowTimer::FlushSettings, "FlushSettings", TimerKind::OneShot,
                    std::chrono::milliseconds{100}, std::chrono::milliseconds{100}},
    WindowTimerInfo{WindowTimer::RepaintAfterShow, "RepaintAfterShow", TimerKind::OneShot,
                    std::chrono::milliseconds{10}, std::chrono::milliseconds{10}},
    WindowTimerInfo{WindowTimer::ReadMouseConfiguration, "ReadMouseConfiguration",
                    TimerKind::OneShot, std::chrono::milliseconds{500},
                    std::chrono::milliseconds{500}},
    WindowTimerInfo{WindowTimer::Repaint, "Repaint", TimerKind::Periodic,
                    std::chrono::milliseconds{100}, std::chrono::milliseconds{50}},
    WindowTimerInfo{WindowTimer::KeyboardSync, "KeyboardSync", TimerKind::OneShot,
                    std::chrono::milliseconds{500}, std::chrono::milliseconds{500}},
    WindowTimerInfo{WindowTimer::MousepadSync, "MousepadSync", TimerKind::OneShot,
                    std::chrono::milliseconds{500}, std::chrono::milliseconds{500}},
    WindowTimerInfo{WindowTimer::RereadMouseRecord, "RereadMouseRecord", TimerKind::OneShot,
                    std::chrono::milliseconds{10}, std::chrono::milliseconds{10}},
};

[[nodiscard]] constexpr std::uint32_t MessageNumber(WindowMessage message) {
    return static_cast<std::uint32_t>(message);
}
[[nodiscard]] constexpr std::uintptr_t TimerId(WindowTimer timer) {
    return static_cast<std::uintptr_t>(timer);
}

// The table's entry of a message or timer; every enumerator has one, so
// null only for a number cast into the enumeration from outside it.
[[nodiscard]] const WindowMessageInfo* MessageInfo(WindowMessage message);
[[nodiscard]] const WindowTimerInfo* TimerInfo(WindowTimer timer);
// The period a timer is started with.
[[nodiscard]] std::chrono::milliseconds TimerPeriod(WindowTimer timer);
// The other way round: the message or timer a number stands for, or none
// when the main window does not know it.
[[nodiscard]] std::optional<WindowMessage> FindWindowMessage(std::uint32_t number);
[[nodiscard]] std::optional<WindowTimer> FindWindowTimer(std::uintptr_t id);

}  // namespace varlok::app
