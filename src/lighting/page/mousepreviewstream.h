#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "device/devicelink.h"
#include "lighting/effectstate.h"
#include "lighting/framepush.h"
#include "lighting/ledstate.h"
#include "settings/page/pagecontext.h"
#include "settings/settingsrecord.h"
#include "ui/controlui.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::lighting {

// The mouse lighting as it streams: registers the lighting worker (which
// renders the effect the record selects, frame by frame) and the frame timer,
// whose push sends the LEDs to the mouse and tints the 24 LED previews of the
// mouse picture (ms_dkey_0 ... ms_dkey_23) on the UI thread.
//
// Thread affinity: the UI thread, except the worker body it registers.
class MousePreviewStream : public ui::Page, private PreviewSink {
public:
    static constexpr std::string_view kOwner = "lighting stream";
    static constexpr std::string_view kPreviewPrefix = "ms_dkey_";

    // The frame timer (context.lightingFrameTimer) pushes one frame 10 ms
    // after each arming (any thread), a new arming replacing a pending one.
    // context.lighting and context.leds must be set. The worker takes the
    // device session's lighting worker slot.
    explicit MousePreviewStream(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Looks the previews up and puts them into tinted mode, fully faded.
    // Once the window's controls exist.
    void BindPreviews();

    // The frame timer fired: one frame to the mouse and the previews.
    void OnFrameTimer();

private:
    [[nodiscard]] bool IsPreviewVisible(std::size_t led) const override;
    void SetPreviewTint(std::size_t led, std::uint32_t packedColour, std::uint8_t alpha) override;

    ui::CPaintManagerUI& m_controls;
    settings::SettingsRecord& m_record;
    EffectState& m_effects;
    LedState& m_leds;
    device::DeviceLink& m_mouseLink;
    const settings::PageContext::Timer m_timer;
    std::array<ui::CControlUI*, kLedCount> m_previews{};
};

// A preview tint (R | B << 8 | G << 16) in the UI layer's colour form.
[[nodiscard]] constexpr ui::Argb PreviewTintToArgb(std::uint32_t packed) {
    return ui::MakeArgb(0, static_cast<std::uint8_t>(packed & 0xFF),
                        static_cast<std::uint8_t>((packed >> 16) & 0xFF),
                        static_cast<std::uint8_t>((packed >> 8) & 0xFF));
}

}  // namespace varlok::lighting
