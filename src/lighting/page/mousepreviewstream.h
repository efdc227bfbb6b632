#pragma once

#include <array>
#include <string_view>

#include "device/devicelink.h"
#include "lighting/effectstate.h"
#include "lighting/framepush.h"
#include "lighting/ledstate.h"
#include "settings/page/pagecontext.h"
#include "settings/settingsrecord.h"
#include "ui/lightpictureui.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::lighting {

// The mouse lighting as it streams: registers the lighting worker, which
// renders the effect the record selects frame by frame and sends each frame
// to the mouse on its own thread, and shows the LEDs on the 24 lights of the
// mouse picture (kPreviewName) at the window's repaint tick, which runs only
// while the window is on screen: streaming costs the UI thread nothing while
// the window is hidden, and the picture repaints only the lights whose
// colour changed since the tick before.
//
// Thread affinity: the UI thread, except the worker body it registers.
class MousePreviewStream : public ui::Page, private PreviewSink {
public:
    static constexpr std::string_view kOwner = "lighting stream";
    static constexpr std::string_view kPreviewName = "ms_mouse_body";

    // context.lighting and context.leds must be set. The worker takes the
    // device session's lighting worker slot.
    explicit MousePreviewStream(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Looks the preview up and fades all of its lights. Once the window's
    // controls exist.
    void BindPreviews();
    // The LEDs as they are now on the preview.
    void ShowLeds();

private:
    [[nodiscard]] bool IsPreviewVisible(std::size_t led) const override;
    void SetPreviewTint(std::size_t led, std::uint32_t packedColour, std::uint8_t alpha) override;

    ui::CPaintManagerUI& m_controls;
    settings::SettingsRecord& m_record;
    EffectState& m_effects;
    LedState& m_leds;
    device::DeviceLink& m_mouseLink;
    ui::CLightPictureUI* m_preview = nullptr;
    // The tints a frame gives the lights, handed to the picture together.
    std::array<ui::CLightPictureUI::Tint, kLedCount> m_tints{};
};

// A preview tint (R | B << 8 | G << 16) in the UI layer's colour form.
[[nodiscard]] constexpr ui::Argb PreviewTintToArgb(std::uint32_t packed) {
    return ui::MakeArgb(0, static_cast<std::uint8_t>(packed & 0xFF),
                        static_cast<std::uint8_t>((packed >> 16) & 0xFF),
                        static_cast<std::uint8_t>((packed >> 8) & 0xFF));
}

}  // namespace varlok::lighting
