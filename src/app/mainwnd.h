#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/captionbuttons.h"
#include "app/connectionview.h"
#include "app/exchangeprogress.h"
#include "app/languagesettings.h"
#include "app/mainwindowdialogs.h"
#include "app/mainwindowmessages.h"
#include "app/mousepages.h"
#include "app/popupmenus.h"
#include "app/sectionnavigator.h"
#include "app/sessionworkers.h"
#include "app/shellhooks.h"
#include "app/windowpresence.h"
#include "device/hidbus.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/page/devicehook.h"
#include "keys/storeuploader.h"
#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingmodel.h"
#include "platform/desktopsettings.h"
#include "platform/foregroundprogram.h"
#include "platform/inputcapture.h"
#include "platform/reportedforegroundprogram.h"
#include "platform/udevrulefile.h"
#include "profiles/liveprofiles.h"
#include "profiles/profilestore.h"
#include "settings/desktopapplier.h"
#include "settings/devicesession.h"
#include "settings/mousemodel.h"
#include "settings/profilesaves.h"
#include "ui/menuwnd.h"
#include "ui/routetable.h"
#include "ui/trayicon.h"
#include "ui/windowimplbase.h"

namespace varlok::sim {
class VirtualMouse;
}

namespace varlok::app {

class BusServiceHost;

// The application's main window: holds the device session (links, mirror,
// exchanges, monitors, worker threads), the profile store, the editing model
// and the pages, the tray icon and the popup menus, and routes every
// notification, window message and timer through its route table, in which
// the window, its parts and each page registered what they take. Its parts
// each do one job: the pages (MousePages), which page is in front
// (SectionNavigator), what the connection shows (ConnectionView), whether
// the window is on screen (WindowPresence), the menus (PopupMenus), the
// session's threads (SessionWorkers) and the save progress
// (ExchangeProgress). UI thread only, except where a member says otherwise.
class CMainWnd : public ui::WindowImplBase, private settings::ProfileSaves {
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
        // The window stays in the tray when the mouse is found at start
        // ("--hidden", the desktop session's autostart).
        bool startHidden = false;
        // The udev rule the permission help names; this install's
        // (platform::InstalledUdevRuleFile()) when unset.
        std::optional<platform::UdevRuleFile> udevRule = std::nullopt;
        // The desktop session's autostart entry that the main menu's
        // "start with the desktop" item writes and removes;
        // platform::AutostartEntry::DefaultFile() when empty.
        std::filesystem::path autostartFile;
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
    // The editing model every change of the live settings goes through, and
    // the cores' parts of it.
    [[nodiscard]] settings::MouseModel& Model() { return m_model; }
    [[nodiscard]] profiles::LiveProfiles& LiveProfiles() { return m_liveProfiles; }
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
    // The menu last opened from the tray or the menu button, or null.
    [[nodiscard]] ui::CMenuWnd* PopupMenu() const { return m_menus.Last(); }
    // What the monitors report to; null before "windowinit".
    [[nodiscard]] WindowDeviceEvents* DeviceEvents() const { return m_workers.DeviceEvents(); }
    // True once every started worker has ended (and before any started).
    [[nodiscard]] bool HaveWorkersEnded() const { return m_session.HaveWorkersEnded(); }

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "MainWnd"; }
    [[nodiscard]] std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    ui::LResult HandleCustomMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                    bool& handled) override;
    void OnTimer(std::uintptr_t id) override { OnTimerMessage(id); }
    // The repaint tick runs while the window is on screen.
    void OnScreenChanged(bool onScreen) override;
    void OnFirstPaint() override;
    // Timer id -> action.
    virtual void OnTimerMessage(std::uintptr_t id);

private:
    // What every page is built with.
    [[nodiscard]] settings::PageContext PageContextForPages();
    void RegisterWindowRoutes();

    // Notifications, messages and timers.
    void OnWindowInit();
    void OnTrayIcon(ui::LParam mouseMessage);
    void OnMenuCommand(ui::WParam ticket);
    void OnMouseRead();
    void ShutDown();
    void StopWorkers() { m_workers.Stop(m_session); }

    // settings::ProfileSaves: the profile store's.
    void SaveDeviceProfile() override { m_profileStore.SaveDeviceProfile(); }
    void SaveLightingProfile() override { m_profileStore.SaveLightingProfile(); }
    void SaveKeyProfile() override { m_profileStore.SaveKeyProfile(); }

    Environment m_environment;
    // The desktop's program in front, and the one helpers report through the
    // bus service; the device list's links follow it. Before the session,
    // whose link watcher uses it until the session has joined it.
    std::shared_ptr<platform::ReportedForegroundProgram> m_foreground;
    LanguageSettings m_language;
    MainWindowDialogs m_dialogs{*this};
    // Before the session: its monitor threads report to the workers' sink
    // and send through their relay until the session has joined them, and
    // its exchanges report to the save progress.
    SessionWorkers m_workers{*this};
    ExchangeProgress m_exchangeProgress{*this};
    // The mouse's macro store and cursor scripts, in its data folder, and
    // their tables as a save to the mouse sends them (before the session,
    // whose exchange uses them).
    keys::MacroStore m_macroStore;
    keys::CursorScripts m_cursorScripts;
    keys::StoreUploader m_storeUploader;
    settings::DeviceSession m_session;
    profiles::ProfileStore m_profileStore;
    settings::DesktopApplier m_desktopApplier;
    // The recording hook: macro recording and the key capture.
    std::unique_ptr<keys::CDeviceHook> m_deviceHook;
    ui::RouteTable m_routes;
    // What the mouse effects carry from frame to frame; the lighting page
    // resets it on a change of mode or direction.
    lighting::EffectState m_effectState;
    // The mouse's 24 LEDs as the lighting worker renders them.
    lighting::LedState m_leds;
    // The editing model and the cores' parts of it, before the pages that
    // show them: the lighting rule for replaced settings runs before the
    // pages show them.
    settings::MouseModel m_model{m_session.Mirror(), m_session.Exchange(), m_profileStore,
                                 m_desktopApplier, m_session.MouseLink()};
    lighting::LightingModel m_lightingModel{m_model, m_effectState};
    profiles::LiveProfiles m_liveProfiles{m_profileStore, m_model};
    // After the device hook, as a recording still running removes its
    // capture.
    MousePages m_pages{PageContextForPages()};
    // After the pages it acts on.
    std::unique_ptr<BusServiceHost> m_busService;
    SectionNavigator m_navigator{*this, m_routes, m_pages};
    WindowPresence m_presence{
        *this, [this] { return IsAnyLinkConnected() || m_connection.WaitingPageExplains(); }};
    ConnectionView m_connection{
        {GetPaintManager(), m_model, m_navigator, m_presence,
         [this] {
             const WindowDeviceEvents* events = m_workers.DeviceEvents();
             return events != nullptr ? events->MouseHolder() : std::nullopt;
         },
         m_environment.udevRule.value_or(platform::InstalledUdevRuleFile())}};
    ui::CTrayIcon m_trayIcon;
    PopupMenus m_menus{*this, m_environment.virtualMouse.get(), m_environment.autostartFile};
    CaptionButtons m_captionButtons{*this};
    ui::CControlUI* m_skinButton = nullptr;
    bool m_initialised = false;
    bool m_shutDown = false;
    // The repaint tick runs at its later period (it starts at a longer one).
    bool m_repaintTickSettled = false;
};

}  // namespace varlok::app
