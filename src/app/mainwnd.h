#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/languagesettings.h"
#include "app/mainwindowroutes.h"
#include "app/messagerelay.h"
#include "app/shellhooks.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "device/mainwindowmessages.h"
#include "platform/workerthread.h"
#include "settings/configurationexchange.h"
#include "settings/exchangehooks.h"
#include "settings/mousemirror.h"
#include "ui/menuwnd.h"
#include "ui/trayicon.h"
#include "ui/windowimplbase.h"

namespace varlok::sim {
class VirtualMouse;
}

namespace varlok::device {
class PresenceMonitor;
class NotificationMonitor;
}  // namespace varlok::device

namespace varlok::app {

class WindowMonitorHost;

// The application's main window: owns the device links, the mouse's
// configuration mirror and its exchanges, the worker threads that watch the
// devices, the tray icon and the popup menus, and routes every notification,
// window message and timer to the owner that handles it (see
// mainwindowroutes.h). UI thread only, except where a member says otherwise.
class CMainWnd : public ui::WindowImplBase, private settings::ExchangeHooks {
public:
    // What the window needs from the process.
    struct Environment {
        // The HID bus the links and monitors reach devices through.
        std::shared_ptr<device::HidBus> bus = device::HidBus::System();
        // Set with --simulate: the menus then offer to unplug and plug it and
        // to press its device events.
        std::shared_ptr<sim::VirtualMouse> virtualMouse;
        // The registered number of device::kActivateMessageName.
        ui::MessageId activateMessage = 0;
        // main.ini and the registry stand-in.
        std::filesystem::path mainIni;
        std::filesystem::path registryFile;
        // msProfile.ini, which names the device profile to select on connection.
        std::filesystem::path mouseProfileStore;
        // Post the quit message when the window is destroyed (off in tests
        // that run several windows in one process).
        bool quitOnDestroy = true;
        // Called on the UI thread after each full read of the mouse (timer 8)
        // and the refresh of its pages.
        std::function<void()> onMouseRead;
        ShellHooks shellHooks;
    };

    // Worker slots, one stop event each; the order is the start order.
    static constexpr std::size_t kWorkerSlots = 15;
    enum class WorkerSlot : std::size_t {
        PresenceMonitor = 0,
        MouseNotifications = 1,
        KeyboardNotifications = 2,
        // Started by the lighting worker's and the application-link
        // watcher's owners; empty until they are built.
        LightingWorker = 3,
        ApplicationLinkWatcher = 4,
    };

    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr std::string_view kTitle = "VARLOK";
    static constexpr std::string_view kTrayToolTip = "VARLOK";
    static constexpr std::size_t kKeyDisplayCount = 24;
    // The tray menu opens this far above the pointer.
    static constexpr int kTrayMenuRaise = 50;

    explicit CMainWnd(Environment environment);
    // Stops the workers if the window was not closed first.
    ~CMainWnd() override;

    void Notify(ui::TNotifyUI& msg) override;
    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override;
    [[nodiscard]] std::optional<std::string> QueryControlText(std::string_view id) override;

    // Language change from the menu: load it, store it in main.ini and the
    // registry, and show every text in it.
    void ChangeLanguage(const LanguageRow& language);

    // Whether any of the three links is connected (only the mouse ever is).
    [[nodiscard]] bool IsAnyLinkConnected() const;

    // The device state, for the owners that handle the window's routes.
    [[nodiscard]] device::DeviceLink& MouseLink() { return m_mouseLink; }
    [[nodiscard]] settings::MouseMirror& Mirror() { return m_mirror; }
    [[nodiscard]] settings::ConfigurationExchange& Exchange() { return m_exchange; }
    [[nodiscard]] const Environment& GetEnvironment() const { return m_environment; }
    [[nodiscard]] ui::CTrayIcon& TrayIcon() { return m_trayIcon; }
    // The menu last opened from the tray or the menu button, or null.
    [[nodiscard]] ui::CMenuWnd* PopupMenu() const { return m_popupMenu.get(); }
    // The monitors' view of this window; null before "windowinit".
    [[nodiscard]] WindowMonitorHost* MonitorHost() const { return m_monitorHost.get(); }
    // True once every started worker has ended (and before any started).
    [[nodiscard]] bool HaveWorkersEnded() const;

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "MainWnd"; }
    [[nodiscard]] std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    ui::LResult HandleCustomMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                    bool& handled) override;
    void OnTimer(std::uintptr_t id) override { OnTimerMessage(id); }
    // Timer id -> action.
    virtual void OnTimerMessage(std::uintptr_t id);

private:
    // Notifications.
    void OnWindowInit();
    void OnClick(ui::TNotifyUI& msg);
    // False when the notification must go no further (unsaved macro edits).
    bool OnSelectChanged(ui::TNotifyUI& msg);
    void RouteToOwners(std::span<const RouteOwner> owners, ui::TNotifyUI& msg);
    void RouteToOwner(RouteOwner owner, ui::TNotifyUI& msg);
    void Request(OwnerRequest request);

    // Messages.
    void OnActivateRequest();
    void OnDeviceMessage(device::WindowMessage message, ui::WParam wParam, ui::LParam lParam);
    void OnMouseRemoved();
    void OnMonitorControl(ui::MessageId message, ui::WParam wParam);
    void OnTrayIcon(ui::LParam mouseMessage);
    void OnMenuCommand(ui::WParam ticket);
    void OpenTrayMenu();
    void OpenMainMenu();
    // Replaces the remembered popup menu with a new one opened at point.
    ui::CMenuWnd* OpenMenu(std::string_view layout, ui::UiPoint point);
    // With --simulate: items that unplug and plug the virtual mouse and
    // press its device events.
    void AddSimulationItems(ui::CMenuWnd& menu);
    // True when name was a simulation item and was carried out.
    bool RunSimulationItem(std::string_view name);
    void ShutDown();
    // The language menus show the language with this index as checked.
    void CheckLanguageItem(int index);

    // Window visibility.
    // Hides the window when the desktop has a tray to get it back from;
    // otherwise leaves it on screen and says why once.
    void HideWindow();
    // Shows, restores and raises the window above others for a moment.
    void BringToFront();
    [[nodiscard]] bool CountsAsShown() const;
    void ShowNoDeviceNotice();

    void InitLinks();
    void StartWorkers();
    void StopWorkers();
    void KillTimer(device::WindowTimer timer);
    void SetControlVisible(std::string_view name, bool visible);

    // settings::ExchangeHooks.
    void TakeMouseZoneSlot(std::uint8_t slot) override;
    void SaveDeviceProfile() override;
    void SaveLightingProfile() override;
    void HideFunctionTab() override;
    void RefreshMousePage() override;
    void Send(device::WindowMessage message) override;
    settings::UploadResult UploadCursorScripts() override;
    settings::UploadResult UploadMacroTable() override;

    Environment m_environment;
    LanguageSettings m_language;
    device::DeviceLink m_keyboardLink;
    device::DeviceLink m_mouseLink;
    device::DeviceLink m_mousepadLink;
    settings::MouseMirror m_mirror;
    settings::ConfigurationExchange m_exchange{m_mouseLink, m_mirror, *this};
    ui::CTrayIcon m_trayIcon;
    std::shared_ptr<ui::MenuCheckMap> m_menuChecks = std::make_shared<ui::MenuCheckMap>();
    // The menu last opened from the tray or the menu button.
    std::unique_ptr<ui::CMenuWnd> m_popupMenu;
    ui::CControlUI* m_closeButton = nullptr;
    ui::CControlUI* m_maxButton = nullptr;
    ui::CControlUI* m_restoreButton = nullptr;
    ui::CControlUI* m_minButton = nullptr;
    ui::CControlUI* m_skinButton = nullptr;
    std::array<ui::CControlUI*, kKeyDisplayCount> m_keyDisplays{};
    bool m_initialised = false;
    bool m_shutDown = false;
    bool m_reportedNoTray = false;
    bool m_workersStopped = false;

    // Declared last: the threads end before the monitors and the links
    // they use are destroyed.
    MessageRelay m_monitorRelay{*this};
    std::unique_ptr<WindowMonitorHost> m_monitorHost;
    std::unique_ptr<device::PresenceMonitor> m_presenceMonitor;
    std::unique_ptr<device::NotificationMonitor> m_mouseNotifications;
    std::unique_ptr<device::NotificationMonitor> m_keyboardNotifications;
    std::array<platform::WorkerThread, kWorkerSlots> m_workers;
};

}  // namespace varlok::app
