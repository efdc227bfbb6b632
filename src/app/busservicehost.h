#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/mainwindowdialogs.h"
#include "platform/gdbusobjectexport.h"
#include "platform/reportedforegroundprogram.h"
#include "service/varlokservice.h"
#include "service/windowactions.h"
#include "settings/configurationexchange.h"
#include "ui/routetable.h"

namespace varlok::settings {
class PerformancePage;
}
namespace varlok::lighting {
class LightingPage;
}
namespace varlok::profiles {
class ProfileListsPage;
}

namespace varlok::app {

// The window's session-bus service: the service logic, what it asks of the
// window (done by the pages' own functions, the ones their controls use), and
// the GDBus export once started. Calls arrive on the bus thread, wait in a
// queue and are run on the UI thread when the window's message for them comes
// (posted, never sent: the UI thread may be waiting for the device link's lock
// that a sender would hold). Property reads never wait for the UI thread;
// they are answered from the snapshot that RequestRefresh keeps current.
//
// Thread affinity: the UI thread, except the export's call handler.
class BusServiceHost final : private service::WindowActions {
public:
    // What the service reaches in the window; every reference must outlive
    // the host.
    struct Window {
        settings::PerformancePage& performance;
        lighting::LightingPage& lighting;
        profiles::ProfileListsPage& profiles;
        settings::ConfigurationExchange& exchange;
        MainWindowDialogs& dialogs;
        platform::ReportedForegroundProgram& foreground;
        settings::MouseMirror& mirror;
        profiles::ProfileStore& store;
        device::DeviceLink& mouseLink;
        // The window runs with the virtual mouse.
        bool simulated = false;
    };

    explicit BusServiceHost(Window window);
    // Stop().
    ~BusServiceHost() override;
    BusServiceHost(const BusServiceHost&) = delete;
    BusServiceHost& operator=(const BusServiceHost&) = delete;

    // The messages by which calls and refreshes reach the UI thread.
    void RegisterRoutes(ui::RouteTable& routes);

    // Exports the service on the bus at address (empty: the session bus);
    // calls are carried to the UI thread through MainWindowHandle. Once.
    void Start(std::string address);
    // No call is taken any more; the calls waiting are answered (the window
    // is closing), the object withdrawn, the name released and the bus thread
    // joined. Again: nothing.
    void Stop();

    // The properties may have changed: the snapshot is taken again soon (once
    // for any number of requests before it), and what changed is published.
    void RequestRefresh();

    [[nodiscard]] service::VarlokService& Service() { return m_service; }
    // The export, or null before Start.
    [[nodiscard]] const platform::GdbusObjectExport* Export() const { return m_export.get(); }

private:
    // Bus thread.
    void Enqueue(platform::BusCall call);
    // UI thread: runs every waiting call.
    void RunCalls();
    void Refresh();

    // service::WindowActions.
    [[nodiscard]] bool IsSimulated() const override { return m_window.simulated; }
    [[nodiscard]] std::optional<int> ChosenProfile(
        profiles::ProfileCategory category) const override;
    [[nodiscard]] std::string ForegroundProgram() const override;
    void SetStageDpi(int stage, int position) override;
    void SetStageColour(int stage, lighting::Rgb colour) override;
    void SetCurrentDpiStage(int stage) override;
    void SetReportRate(int index) override;
    void SelectOnboardProfile(int index) override;
    void ApplyProfile(profiles::ProfileCategory category,
                      std::span<const std::uint8_t> body) override;
    void ChooseProfile(profiles::ProfileCategory category, int index) override;
    void ChangeLighting(const lighting::EffectChange& change) override;
    [[nodiscard]] std::optional<std::string> Upload() override;
    void SetForegroundProgram(std::string path) override;

    Window m_window;
    service::VarlokService m_service;
    std::unique_ptr<platform::GdbusObjectExport> m_export;
    bool m_refreshPosted = false;

    std::mutex m_mutex;
    std::deque<platform::BusCall> m_calls;
};

}  // namespace varlok::app
