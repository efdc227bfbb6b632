#include "keys/page/devicehook.h"

#include <thread>
#include <utility>

#include "ui/windowmessages.h"

namespace varlok::keys {

namespace {

// The relay's own messages: wParam = the installation, lParam = the event.
constexpr ui::MessageId kRelayKey = ui::WM_USER + 1;
constexpr ui::MessageId kRelayMouse = ui::WM_USER + 2;

// A captured key in one parameter: flags, virtual key, keyboard message.
static_assert(sizeof(ui::LParam) >= 8, "a captured key is carried in one 64-bit parameter");

ui::LParam PackKey(const platform::CapturedKey& key) {
    const std::uint64_t packed = (static_cast<std::uint64_t>(key.flags & 0xFFFF) << 48) |
                                 (static_cast<std::uint64_t>(key.virtualKey & 0xFFFF) << 32) |
                                 key.message;
    return static_cast<ui::LParam>(packed);
}

platform::CapturedKey UnpackKey(ui::LParam lParam) {
    const auto packed = static_cast<std::uint64_t>(lParam);
    return {.message = static_cast<std::uint32_t>(packed & 0xFFFFFFFF),
            .virtualKey = static_cast<std::uint32_t>((packed >> 32) & 0xFFFF),
            .flags = static_cast<std::uint32_t>(packed >> 48)};
}

}  // namespace

ui::MessageId KeyboardMessageOf(HookMode mode) {
    switch (mode) {
        case HookMode::SingleKey:
            return kHookSingleKeyMessage;
        case HookMode::HitKey:
            return kHookHitKeyMessage;
        case HookMode::Macro:
            return kHookMacroKeyMessage;
    }
    return kHookSingleKeyMessage;
}

std::optional<ui::MessageId> MouseMessageOf(HookMode mode) {
    if (mode == HookMode::Macro) {
        return kHookMacroMouseMessage;
    }
    return std::nullopt;
}

CDeviceHook::CDeviceHook(std::shared_ptr<platform::InputCapture> capture)
    : m_capture(std::move(capture)) {}

CDeviceHook::~CDeviceHook() {
    Remove();
    ui::WindowHandle::Unregister(m_relayHandle);
}

bool CDeviceHook::Install(HookMode mode, bool keyboard, bool mouse) {
    Remove();
    if (!m_relayHandle.IsValid()) {
        m_relayHandle = ui::WindowHandle::Register(m_relay);
    }
    const std::uint64_t installation = ++m_installation;
    const std::thread::id uiThread = std::this_thread::get_id();
    const ui::WindowHandle relay = m_relayHandle;
    // A sink runs on the UI thread (delivered at once) or on the capture's
    // thread, which only queues: it must never wait for the UI thread, which
    // may be in Remove waiting for it.
    platform::InputCapture::Sinks sinks;
    sinks.key = [this, installation, uiThread, relay](const platform::CapturedKey& key) {
        if (std::this_thread::get_id() == uiThread) {
            DeliverKey(installation, key);
        } else {
            relay.Post(kRelayKey, installation, PackKey(key));
        }
    };
    sinks.mouseButton = [this, installation, uiThread, relay](std::uint32_t button) {
        if (std::this_thread::get_id() == uiThread) {
            DeliverMouse(installation, button, true);
        } else {
            relay.Post(kRelayMouse, installation, static_cast<ui::LParam>(button));
        }
    };
    m_mode = mode;
    if (!m_capture->Start(keyboard, mouse, std::move(sinks))) {
        Remove();
        return false;
    }
    return true;
}

void CDeviceHook::Remove() {
    m_capture->Stop();
    // Whatever the capture queued until now belongs to a removed capture.
    ++m_installation;
    m_mode.reset();
}

bool CDeviceHook::IsInstalled() const {
    return m_mode.has_value() && m_capture->IsRunning();
}

platform::CaptureReach CDeviceHook::Reach() const {
    return m_capture->Reach();
}

void CDeviceHook::DeliverKey(std::uint64_t installation, const platform::CapturedKey& key) {
    if (installation != m_installation || !m_mode) {
        return;
    }
    // Sent: the record lives until the receiver has returned.
    const KeyboardHookRecord record{key.virtualKey, key.flags};
    m_target.Send(KeyboardMessageOf(*m_mode), key.message,
                  reinterpret_cast<ui::LParam>(&record));  // NOLINT
}

void CDeviceHook::DeliverMouse(std::uint64_t installation, std::uint32_t mouseMessage, bool post) {
    if (installation != m_installation || !m_mode) {
        return;
    }
    const std::optional<ui::MessageId> message = MouseMessageOf(*m_mode);
    if (!message) {
        return;
    }
    // From the relay it goes at once, so that it keeps its place among the
    // keys queued with it.
    if (post) {
        m_target.Post(*message, mouseMessage);
    } else {
        m_target.Send(*message, mouseMessage);
    }
}

ui::LResult CDeviceHook::Relay::HandleMessage(ui::MessageId message, ui::WParam wParam,
                                              ui::LParam lParam, bool& handled) {
    handled = true;
    if (message == kRelayKey) {
        m_owner.DeliverKey(wParam, UnpackKey(lParam));
    } else if (message == kRelayMouse) {
        m_owner.DeliverMouse(wParam, static_cast<std::uint32_t>(lParam), false);
    } else {
        handled = false;
    }
    return 0;
}

}  // namespace varlok::keys
