#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/languagesettings.h"
#include "app/mainwindowdialogs.h"
#include "app/mainwindowmessages.h"
#include "app/messagerelay.h"
#include "app/shellhooks.h"
#include "device/hidbus.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/page/devicehook.h"
#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "platform/desktopsettings.h"
#include "platform/foregroundprogram.h"
#include "platform/inputcapture.h"
#include "platform/ownerlock.h"
#include "platform/reportedforegroundprogram.h"
#include "profiles/profilestore.h"
#include "settings/desktopapplier.h"
#include "settings/devicesession.h"
#include "settings/exchangehooks.h"
#include "settings/profilesaves.h"
#include "ui/menuwnd.h"
#include "ui/routetable.h"
#include "ui/trayicon.h"
#include "ui/windowimplbase.h"

namespace varlok::sim {
class VirtualMouse;
}

namespace varlok::settings {
class PerformancePage;
}

namespace varlok::profiles {
class ProfileListsPage;
}

namespace varlok::keys {
class KeyPage;
class CursorPage;
class MacroPage;
}  // namespace varlok::keys

namespace varlok::lighting {
class LightingPage;
class MousePreviewStream;
}  // namespace varlok::lighting

namespace varlok::app {

class BusServiceHost;
class WindowDeviceEvents;

// The application's main window: holds the device session (links, mirror,
// exchanges, monitors, worker threads), the profile store and the pages, the
// tray icon and the popup menus, and routes every notification, window
// message and timer through its route table, in which the window and each
// page registered what they take. UI thread only, except where a member says
// otherwise.
class CMainWnd : public ui::WindowImplBase,
                 private settings::ExchangeHooks,
                 private settings::ProfileSaves {
public:
    // What the window needs from the process.
    struct Environment {
        // The HID bus the links and monitors reach devices through.
        std::shared_ptr<device::HidBus> bus = device::HidBus::System();
        // Set with --simulate: the menus then offer to unplug and plug it and
        // to press its device events.
        std::shared_ptr<sim::VirtualMouse> virtualMouse;
        // The registered number of kActivateMessageName.
        ui::MessageId activateMessage = 0;
        // main.ini and the registry stand-in.
        std::filesystem::path mainIni;
        std::filesystem::path registryFile;
        // The mouse's data folder (msProfile.ini and the profile files) and
        // the installation folder (the default profiles).
        std::filesystem::path mouseDataFolder;
        std::filesystem::path installFolder;
        // Where the pointer speed and wheel lines go; a desktop that takes
        // neither when empty.
        std::shared_ptr<platform::DesktopSettings> desktop;
        // Tells the program in front, for profiles linked to programs; the
        // session's own (X11, or none on other desktops) when empty.
        std::shared_ptr<platform::ForegroundProgram> foreground;
        // Captures keyboard and mouse input for macro recording and the key
        // capture; the session's own when empty.
        std::shared_ptr<platform::InputCapture> inputCapture;
        // The macro recorder's clock in milliseconds; the steady clock when
        // empty (tests step their own).
        std::function<std::int64_t()> macroRecorderTicks;
        // Post the quit message when the window is destroyed (off in tests
        // that run several windows in one process).
        bool quitOnDestroy = true;
        // The function page (FindFunctionPage's name) shown after the first
        // full read of the mouse.
        std::optional<std::string> startPage;
        // Called on the UI thread after each full read of the mouse (timer 8)
        // and the refresh of its pages.
        std::function<void()> onMouseRead;
        // Export the session-bus service when the window initialises: on the
        // session bus when empty, on the bus at this address otherwise; not
        // at all when unset (tests that run several windows in one process).
        std::optional<std::string> busServiceAddress;
        ShellHooks shellHooks;
    };

    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr std::string_view kTitle = "VARLOK";
    static constexpr std::string_view kTrayToolTip = "VARLOK";
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

    // The device state and the pages' table, for tests and the owners that
    // handle the window's routes.
    [[nodiscard]] settings::DeviceSession& Session() { return m_session; }
    [[nodiscard]] device::DeviceLink& MouseLink() { return m_session.MouseLink(); }
    [[nodiscard]] settings::MouseMirror& Mirror() { return m_session.Mirror(); }
    [[nodiscard]] settings::ConfigurationExchange& Exchange() { return m_session.Exchange(); }
    [[nodiscard]] profiles::ProfileStore& ProfileStore() { return m_profileStore; }
    [[nodiscard]] settings::DesktopApplier& DesktopApplier() { return m_desktopApplier; }
    [[nodiscard]] lighting::EffectState& LightingEffectState() { return m_effectState; }
    [[nodiscard]] lighting::LedState& LightingLeds() { return m_leds; }
    [[nodiscard]] const ui::RouteTable& Routes() const { return m_routes; }
    [[nodiscard]] const Environment& GetEnvironment() const { return m_environment; }
    [[nodiscard]] ui::CTrayIcon& TrayIcon() { return m_trayIcon; }
    [[nodiscard]] keys::CDeviceHook& DeviceHook() { return *m_deviceHook; }
    // The session-bus service (exported only when the environment asks).
    [[nodiscard]] BusServiceHost& BusService() { return *m_busService; }
    // The key section's logic (its macro combo follows the macro list).
    [[nodiscard]] keys::KeyPage& KeyAssignmentPage() { return *m_keyPage; }
    // The menu last opened from the tray or the menu button, or null.
    [[nodiscard]] ui::CMenuWnd* PopupMenu() const { return m_popupMenu.get(); }
    // What the monitors report to; null before "windowinit".
    [[nodiscard]] WindowDeviceEvents* DeviceEvents() const { return m_deviceEvents.get(); }
    // True once every started worker has ended (and before any started).
    [[nodiscard]] bool HaveWorkersEnded() const { return m_session.HaveWorkersEnded(); }

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
    void RegisterWindowRoutes();
    void RegisterWindowTimer(WindowTimer timer, std::function<void()> action);
    void RegisterWindowMessage(WindowMessage message,
                               std::function<void(ui::WParam, ui::LParam)> action);

    // Notifications.
    void OnWindowInit();
    // False when the notification must go no further (unsaved macro edits).
    bool OnSelectChanged(ui::TNotifyUI& msg);

    // Messages and timers.
    void OnActivateRequest();
    void OnMouseRemoved();
    void OnMonitorControl(ui::MessageId message);
    // Swaps the waiting page's text for the udev rule's help, and back.
    void ShowPermissionHelp(bool show);
    // Names the program that holds the mouse on the waiting page, or takes
    // the name away (none).
    void ShowMouseHolder(const std::optional<platform::LockHolder>& holder);
    // Shows the waiting page's part that says why there is no mouse page.
    void ShowWaitingReason();
    // Whether the waiting page says more than "connect the mouse".
    [[nodiscard]] bool WaitingPageExplains() const;
    void OnTrayIcon(ui::LParam mouseMessage);
    void OnMenuCommand(ui::WParam ticket);
    void OnMouseRead();
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

    void StartWorkers();
    void StopWorkers();
    void StartTimer(WindowTimer timer);
    void KillTimer(WindowTimer timer);
    void SetControlVisible(std::string_view name, bool visible);
    // After a timer or message that may have changed what the bus service
    // shows: it takes its snapshot again (soon, once).
    void RefreshBusServiceAfterTimer(std::uintptr_t id, bool flushed);

    // settings::ExchangeHooks.
    void OnboardProfileSwitched() override;
    void SaveStarted() override;
    void SaveFinished() override;
    settings::UploadResult UploadCursorScripts() override;
    settings::UploadResult UploadMacroTable() override;
    // settings::ProfileSaves: the profile store's.
    void SaveDeviceProfile() override { m_profileStore.SaveDeviceProfile(); }
    void SaveLightingProfile() override { m_profileStore.SaveLightingProfile(); }

    Environment m_environment;
    // The desktop's program in front, and the one helpers report through the
    // bus service; the device list's links follow it. Before the session,
    // whose link watcher uses it until the session has joined it.
    std::shared_ptr<platform::ReportedForegroundProgram> m_foreground;
    LanguageSettings m_language;
    MainWindowDialogs m_dialogs{*this};
    // Before the session: its monitor threads report to the sink and send
    // through the relay until the session has joined them.
    MessageRelay m_monitorRelay{*this};
    std::unique_ptr<WindowDeviceEvents> m_deviceEvents;
    settings::DeviceSession m_session;
    profiles::ProfileStore m_profileStore;
    settings::DesktopApplier m_desktopApplier;
    // The mouse's macro store and cursor scripts, in its data folder.
    keys::MacroStore m_macroStore;
    keys::CursorScripts m_cursorScripts;
    // The recording hook: macro recording and the key capture.
    std::unique_ptr<keys::CDeviceHook> m_deviceHook;
    ui::RouteTable m_routes;
    // What the mouse effects carry from frame to frame; the lighting page
    // resets it on a change of mode or direction.
    lighting::EffectState m_effectState;
    // The mouse's 24 LEDs as the lighting worker renders them.
    lighting::LedState m_leds;
    std::unique_ptr<settings::PerformancePage> m_performancePage;
    std::unique_ptr<lighting::LightingPage> m_lightingPage;
    std::unique_ptr<lighting::MousePreviewStream> m_lightingStream;
    std::unique_ptr<profiles::ProfileListsPage> m_profileListsPage;
    std::unique_ptr<keys::KeyPage> m_keyPage;
    std::unique_ptr<keys::CursorPage> m_cursorPage;
    // After the device hook: a recording still running removes its capture.
    std::unique_ptr<keys::MacroPage> m_macroPage;
    // After the pages it acts on.
    std::unique_ptr<BusServiceHost> m_busService;
    ui::CTrayIcon m_trayIcon;
    std::shared_ptr<ui::MenuCheckMap> m_menuChecks = std::make_shared<ui::MenuCheckMap>();
    // The menu last opened from the tray or the menu button.
    std::unique_ptr<ui::CMenuWnd> m_popupMenu;
    ui::CControlUI* m_closeButton = nullptr;
    ui::CControlUI* m_maxButton = nullptr;
    ui::CControlUI* m_restoreButton = nullptr;
    ui::CControlUI* m_minButton = nullptr;
    ui::CControlUI* m_skinButton = nullptr;
    bool m_initialised = false;
    bool m_shutDown = false;
    bool m_reportedNoTray = false;
    // The mouse is present but its node may not be opened (UI thread).
    bool m_mousePermissionDenied = false;
    // The program that holds the mouse, if another one does (UI thread).
    std::optional<platform::LockHolder> m_mouseHolder;
    bool m_workersStopped = false;
    // Set while the unsaved-macro guard selects the macro tab again, so that
    // the selections it causes pass without a second message.
    bool m_restoringMacroTab = false;
};

}  // namespace varlok::app
