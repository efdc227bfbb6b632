#include "app/busservicehost.h"

#include <utility>

#include "app/mainwindowhandle.h"
#include "app/mainwindowmessages.h"
#include "lighting/lightingmodel.h"
#include "platform/debugoutput.h"
#include "profiles/liveprofiles.h"
#include "service/busnames.h"
#include "service/introspectionxml.h"

namespace varlok::app {

namespace {

constexpr std::string_view kOwner = "bus service";

}  // namespace

BusServiceHost::BusServiceHost(Window window)
    : m_window(window),
      m_service(*this, m_window.model.Mirror(), m_window.profiles.Store(),
                m_window.model.MouseLink()),
      m_subscription(
          m_window.model.Subscribe([this](settings::MouseChange) { RequestRefresh(); })) {}

BusServiceHost::~BusServiceHost() {
    Stop();
}

void BusServiceHost::RegisterRoutes(ui::RouteTable& routes) {
    const auto route = [&routes](WindowMessage message, std::function<void()> action) {
        routes.OnMessage(
            kOwner, MessageNumber(message), MessageNumber(message),
            [action = std::move(action)](ui::MessageId, ui::WParam, ui::LParam) -> ui::LResult {
                action();
                return 0;
            });
    };
    route(WindowMessage::BusServiceCall, [this] { RunCalls(); });
    route(WindowMessage::BusServiceRefresh, [this] { Refresh(); });
}

void BusServiceHost::Start(std::string address) {
    if (m_export) {
        return;
    }
    platform::BusExportOptions options;
    options.address = std::move(address);
    options.busName = service::kBusName;
    options.objectPath = service::kObjectPath;
    options.interfaceName = service::kInterfaceName;
    options.introspectionXml = service::kIntrospectionXml;
    options.properties = m_service.TakeSnapshot();
    options.onCall = [this](platform::BusCall call) { Enqueue(std::move(call)); };
    m_export = std::make_unique<platform::GdbusObjectExport>(std::move(options));
    m_service.Attach(m_export.get());
    // What changed while the export was made goes out with the first refresh.
    RequestRefresh();
}

void BusServiceHost::Stop() {
    if (!m_export) {
        return;
    }
    m_export->RefuseCalls();
    std::deque<platform::BusCall> waiting;
    {
        const std::lock_guard lock(m_mutex);
        waiting.swap(m_calls);
    }
    for (platform::BusCall& call : waiting) {
        service::Fail(call, service::ServiceError::Refused, "the window is closing");
    }
    m_service.Attach(nullptr);
    m_export->Stop();
}

void BusServiceHost::Enqueue(platform::BusCall call) {
    {
        const std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    // A window that is gone drops the post; Stop answers the call.
    static_cast<void>(MainWindowHandle().Post(MessageNumber(WindowMessage::BusServiceCall)));
}

void BusServiceHost::RunCalls() {
    while (true) {
        std::optional<platform::BusCall> call;
        {
            const std::lock_guard lock(m_mutex);
            if (m_calls.empty()) {
                return;
            }
            call.emplace(std::move(m_calls.front()));
            m_calls.pop_front();
        }
        m_service.Handle(std::move(*call));
    }
}

void BusServiceHost::RequestRefresh() {
    // Nothing to keep current without an object that shows the properties
    // (an export that did not get its name has none).
    if (!m_service.IsAttached() || m_refreshPosted) {
        return;
    }
    if (m_export) {
        const platform::BusExportState state = m_export->State();
        if (state != platform::BusExportState::Starting &&
            state != platform::BusExportState::Exported) {
            return;
        }
    }
    m_refreshPosted = MainWindowHandle().Post(MessageNumber(WindowMessage::BusServiceRefresh));
}

void BusServiceHost::Refresh() {
    m_refreshPosted = false;
    m_service.Refresh();
}

std::optional<int> BusServiceHost::ChosenProfile(profiles::ProfileCategory category) const {
    return m_window.profiles.Chosen(category);
}

std::string BusServiceHost::ForegroundProgram() const {
    return m_window.foreground.Path();
}

void BusServiceHost::SetStageDpi(int stage, int position) {
    m_window.model.SetStageDpi(stage, position);
}

void BusServiceHost::SetStageColour(int stage, lighting::Rgb colour) {
    m_window.model.SetStageColour(stage, colour);
}

void BusServiceHost::SetCurrentDpiStage(int stage) {
    m_window.model.SetCurrentStage(stage);
}

void BusServiceHost::SetReportRate(int index) {
    m_window.model.SetReportRate(index);
}

void BusServiceHost::SelectOnboardProfile(int index) {
    m_window.model.SelectOnboardProfile(index);
}

void BusServiceHost::ApplyProfile(profiles::ProfileCategory category,
                                  std::span<const std::uint8_t> body) {
    m_window.profiles.ApplyBody(category, body);
}

void BusServiceHost::ChooseProfile(profiles::ProfileCategory category, int index) {
    m_window.profiles.Choose(category, index);
}

void BusServiceHost::ChangeLighting(const lighting::EffectChange& change) {
    m_window.lighting.ApplyChange(change);
}

std::optional<std::string> BusServiceHost::Upload() {
    // What the send button shows the user goes to the caller instead.
    std::vector<std::string> messages;
    m_window.dialogs.CaptureMessages(&messages);
    m_window.model.SaveToDevice();
    m_window.dialogs.CaptureMessages(nullptr);
    if (messages.empty()) {
        return std::nullopt;
    }
    std::string text;
    for (const std::string& message : messages) {
        text += (text.empty() ? "" : "; ") + message;
    }
    return text;
}

void BusServiceHost::SetForegroundProgram(std::string path) {
    m_window.foreground.Report(std::move(path));
}

}  // namespace varlok::app
