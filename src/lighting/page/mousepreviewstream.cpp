#include "lighting/page/mousepreviewstream.h"

#include <string>
#include <utility>

#include "lighting/lightingmodel.h"
#include "lighting/lightingworker.h"
#include "settings/devicesession.h"

namespace varlok::lighting {

MousePreviewStream::MousePreviewStream(const settings::PageContext& context)
    : m_controls(context.controls),
      m_record(context.model.Mirror().settingsRecord),
      m_effects(context.lighting->Effects()),
      m_leds(*context.leds),
      m_mouseLink(context.model.MouseLink()),
      m_timer(context.lightingFrameTimer) {}

void MousePreviewStream::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { BindPreviews(); });
    routes.OnTimer(kOwner, m_timer.id, [this] { OnFrameTimer(); });
    constexpr auto kWorkerSlot =
        static_cast<std::size_t>(settings::DeviceSession::WorkerSlot::LightingWorker);
    routes.OnWorker(kOwner, kWorkerSlot, [this](platform::Event& stop) {
        LightingWorker worker(
            m_record, m_effects, m_leds,
            LightingWorker::Hooks{[this] { return m_mouseLink.IsConnected(); }, m_timer.arm, {}});
        worker.Run(stop);
    });
}

void MousePreviewStream::BindPreviews() {
    for (std::size_t i = 0; i < m_previews.size(); ++i) {
        ui::CControlUI* preview =
            m_controls.FindControl(std::string(kPreviewPrefix) + std::to_string(i));
        m_previews[i] = preview;
        if (preview != nullptr) {
            preview->SetIsChangerColor(true);
            preview->SetChangerAlpha(0);
        }
    }
}

void MousePreviewStream::OnFrameTimer() {
    m_timer.cancel();
    if (m_leds.TakeNewStep() && m_mouseLink.IsConnected()) {
        static_cast<void>(PushMouseFrame(m_leds, *this, m_mouseLink));
    }
}

bool MousePreviewStream::IsPreviewVisible(std::size_t led) const {
    const ui::CControlUI* preview = m_previews.at(led);
    return preview != nullptr && preview->IsVisible();
}

void MousePreviewStream::SetPreviewTint(std::size_t led, std::uint32_t packedColour,
                                        std::uint8_t alpha) {
    if (ui::CControlUI* preview = m_previews.at(led)) {
        preview->SetChangerTint(PreviewTintToArgb(packedColour), alpha);
    }
}

}  // namespace varlok::lighting
