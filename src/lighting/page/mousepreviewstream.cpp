#include "lighting/page/mousepreviewstream.h"

#include <algorithm>
#include <span>

#include "lighting/lightingmodel.h"
#include "lighting/lightingworker.h"
#include "settings/devicesession.h"

namespace varlok::lighting {

MousePreviewStream::MousePreviewStream(const settings::PageContext& context)
    : m_controls(context.controls),
      m_record(context.model.Mirror().settingsRecord),
      m_effects(context.lighting->Effects()),
      m_leds(*context.leds),
      m_mouseLink(context.model.MouseLink()) {}

void MousePreviewStream::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { BindPreviews(); });
    // What streamed while nothing was shown appears at once.
    routes.OnSignal(kOwner, settings::PageSignal::kWindowShown, [this] { ShowLeds(); });
    routes.OnSignal(kOwner, settings::PageSignal::kRepaintTick, [this] { ShowLeds(); });
    constexpr auto kWorkerSlot =
        static_cast<std::size_t>(settings::DeviceSession::WorkerSlot::LightingWorker);
    routes.OnWorker(kOwner, kWorkerSlot, [this](platform::Event& stop) {
        LightingWorker worker(
            m_record, m_effects, m_leds,
            {.isConnected = [this] { return m_mouseLink.IsConnected(); },
             .pushFrame = [this] { static_cast<void>(PushMouseFrame(m_leds, m_mouseLink)); }});
        worker.Run(stop);
    });
}

void MousePreviewStream::BindPreviews() {
    m_preview = m_controls.FindControl<ui::CLightPictureUI>(kPreviewName);
    if (m_preview != nullptr) {
        for (std::size_t i = 0; i < m_preview->GetLightCount(); ++i) {
            m_preview->SetLightTint(i, 0, 0);
        }
    }
}

void MousePreviewStream::ShowLeds() {
    // Only while the mouse is there, as for the frames: while it is away the
    // picture keeps the last frame's colours.
    if (m_preview == nullptr || !m_mouseLink.IsConnected()) {
        return;
    }
    const std::size_t lights = std::min(m_preview->GetLightCount(), m_tints.size());
    for (std::size_t i = 0; i < lights; ++i) {
        m_tints[i] = {m_preview->GetLightColor(i), m_preview->GetLightAlpha(i)};
    }
    ShowMouseFrame(m_leds, *this);
    m_preview->SetLightTints(std::span(m_tints).first(lights));
}

bool MousePreviewStream::IsPreviewVisible(std::size_t led) const {
    return m_preview != nullptr && m_preview->IsVisible() && led < m_preview->GetLightCount();
}

void MousePreviewStream::SetPreviewTint(std::size_t led, std::uint32_t packedColour,
                                        std::uint8_t alpha) {
    if (led < m_tints.size()) {
        m_tints[led] = {PreviewTintToArgb(packedColour), alpha};
    }
}

}  // namespace varlok::lighting
