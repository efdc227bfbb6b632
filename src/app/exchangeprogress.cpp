#include "app/exchangeprogress.h"

#include "app/mainwindowmessages.h"
#include "app/mainwindowroutes.h"
#include "keys/page/pagecontrols.h"

namespace varlok::app {

namespace {

constexpr std::string_view kProgress = "setting_progress";

}  // namespace

void ExchangeProgress::RegisterRoutes(ui::RouteTable& routes) {
    OnWindowMessage(routes, WindowMessage::SaveStarted, [this](ui::WParam, ui::LParam) {
        keys::SetControlVisible(m_window.GetPaintManager(), kProgress, true);
    });
    OnWindowMessage(routes, WindowMessage::SaveFinished, [this](ui::WParam, ui::LParam) {
        StartWindowTimer(m_window.GetHandle(), WindowTimer::HideSaveProgress);
    });
    OnWindowTimer(routes, WindowTimer::HideSaveProgress, [this] {
        keys::SetControlVisible(m_window.GetPaintManager(), kProgress, false);
    });
}

void ExchangeProgress::OnboardProfileSwitched() {
    // The model shows the pages the new profile's record once the switch
    // returns.
    keys::SetControlVisible(m_window.GetPaintManager(), "ms_tab_function", false);
}

void ExchangeProgress::SaveStarted() {
    m_window.SendMessage(MessageNumber(WindowMessage::SaveStarted));
}

void ExchangeProgress::SaveFinished() {
    m_window.SendMessage(MessageNumber(WindowMessage::SaveFinished));
}

}  // namespace varlok::app
