#include "keys/page/devicehook.h"

#include <utility>

namespace varlok::keys {

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
}

bool CDeviceHook::Install(HookMode mode, bool keyboard, bool mouse) {
    Remove();
    platform::InputCapture::Sinks sinks;
    const ui::WindowHandle target = m_target;
    const ui::MessageId keyMessage = KeyboardMessageOf(mode);
    sinks.key = [target, keyMessage](const platform::CapturedKey& key) {
        const KeyboardHookRecord record{key.virtualKey, key.flags};
        target.Send(keyMessage, key.message, reinterpret_cast<ui::LParam>(&record));  // NOLINT
    };
    if (const auto mouseMessage = MouseMessageOf(mode)) {
        sinks.mouseButton = [target, message = *mouseMessage](std::uint32_t button) {
            target.Post(message, button);
        };
    } else {
        sinks.mouseButton = [](std::uint32_t) {};
    }
    if (!m_capture->Start(keyboard, mouse, std::move(sinks))) {
        return false;
    }
    m_mode = mode;
    return true;
}

void CDeviceHook::Remove() {
    m_capture->Stop();
    m_mode.reset();
}

bool CDeviceHook::IsInstalled() const {
    return m_mode.has_value() && m_capture->IsRunning();
}

platform::CaptureReach CDeviceHook::Reach() const {
    return m_capture->Reach();
}

}  // namespace varlok::keys
