#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/inputcapture.h"
#include "ui/messagetarget.h"
#include "ui/uitypes.h"
#include "ui/windowhandle.h"

namespace varlok::keys {

// What a capture is for, and so which window messages it produces.
enum class HookMode : int {
    SingleKey = 16,  // key capture of the key page: keys only
    HitKey = 32,     // keys only; nothing acts on them
    Macro = 64,      // macro recording: keys and mouse buttons
};

// The window messages of the hook modes.
inline constexpr ui::MessageId kHookSingleKeyMessage = 0x0810;
inline constexpr ui::MessageId kHookHitKeyMessage = 0x0811;
inline constexpr ui::MessageId kHookMacroKeyMessage = 0x0812;
inline constexpr ui::MessageId kHookMacroMouseMessage = 0x0813;

// Language key of the message for an Install that failed: on the desktop
// that means another program holds the keyboard.
inline constexpr std::string_view kCaptureKeyboardBusy = "input_capture_keyboard_busy";

// The record a keyboard hook message points to (lParam); valid while the
// receiver handles the message, which is sent.
struct KeyboardHookRecord {
    std::uint32_t virtualKey = 0;
    // Bit 0: extended key; bit 7: released (platform::kCapturedKey*).
    std::uint32_t flags = 0;
};

// The keyboard message of a mode, and its mouse message when it has one.
[[nodiscard]] ui::MessageId KeyboardMessageOf(HookMode mode);
[[nodiscard]] std::optional<ui::MessageId> MouseMessageOf(HookMode mode);

// Reads the record of a keyboard hook message's lParam.
[[nodiscard]] inline const KeyboardHookRecord& HookRecordOf(ui::LParam lParam) {
    return *reinterpret_cast<const KeyboardHookRecord*>(lParam);  // NOLINT
}

// The holder of the keyboard and mouse capture for recording and key
// capture. While installed, every captured key is sent to the target window
// as the mode's keyboard message (wParam = the keyboard message 0x100,
// 0x101, 0x104 or 0x105, lParam = a KeyboardHookRecord*), and every mouse
// button message is posted as the mode's mouse message (wParam = the mouse
// message), in the order they happened. Destroying it removes the capture.
//
// A capture that reads input on a thread of its own never waits for the UI
// thread: it queues each event to the UI thread, which hands it to the
// target there, unless the capture was removed (or installed again) since.
// So Remove never waits for a delivery, and after it returns no message of
// the removed capture reaches the target, keyboard or mouse. Events a
// capture reports on the UI thread itself are delivered at once.
//
// Thread affinity: everything on the UI thread.
class CDeviceHook {
public:
    // capture must not be null.
    explicit CDeviceHook(std::shared_ptr<platform::InputCapture> capture);
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Removes any capture, then captures the keyboard and/or the mouse for
    // mode. False when the capture could not be had; nothing is captured then.
    bool Install(HookMode mode, bool keyboard, bool mouse);
    // The window the messages go to (the main window, once it exists).
    void SetTarget(ui::WindowHandle target) { m_target = target; }
    // After it returns no further hook message is delivered.
    void Remove();
    [[nodiscard]] bool IsInstalled() const;
    [[nodiscard]] std::optional<HookMode> Mode() const { return m_mode; }
    // How far the capture reaches on this desktop (for the tooltips).
    [[nodiscard]] platform::CaptureReach Reach() const;

    [[nodiscard]] platform::InputCapture& Capture() { return *m_capture; }

private:
    // Receives the events a capture thread queued; UI thread.
    class Relay : public ui::MessageTarget {
    public:
        explicit Relay(CDeviceHook& owner) : m_owner(owner) {}
        ui::LResult HandleMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                  bool& handled) override;

    private:
        CDeviceHook& m_owner;
    };

    // Deliver an event of the installation numbered installation, if it is
    // still the current one.
    void DeliverKey(std::uint64_t installation, const platform::CapturedKey& key);
    void DeliverMouse(std::uint64_t installation, std::uint32_t mouseMessage, bool post);

    std::shared_ptr<platform::InputCapture> m_capture;
    ui::WindowHandle m_target;
    std::optional<HookMode> m_mode;
    Relay m_relay{*this};
    ui::WindowHandle m_relayHandle;
    // Counts installations and removals: a queued event names the
    // installation it belongs to.
    std::uint64_t m_installation = 0;
};

}  // namespace varlok::keys
