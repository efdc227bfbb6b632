#include "app/mainwnd.h"

#include <array>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "app/busservicehost.h"
#include "app/mainwindowhandle.h"
#include "app/mainwindowlayouts.h"
#include "app/mainwindowroutes.h"
#include "app/msgwnd.h"
#include "app/storerecovery.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"
#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "platform/folders.h"
#include "platform/startupphases.h"
#include "platform/unsupporteddesktopsettings.h"
#include "ui/inputcapturefactory.h"
#include "ui/resourcemanager.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using namespace std::chrono_literals;

// Pauses the start-up keeps: the links settle before the workers start.
constexpr auto kLinkSettlePause = 100ms;
constexpr auto kWorkerStartPause = 20ms;

// Containers that start hidden. They are hidden here rather than by the
// layout: a container the layout builds hidden keeps its children hidden
// after it is shown.
// (The macro section's save/cancel bar follows the section's own state.)
constexpr std::array<std::string_view, 3> kHiddenAtStart{"ms_tab_panel", "setting_progress",
                                                         "ms_tab_function"};

// The timers the window starts when it initialises: the first flush (later
// ones are armed by the changes), the siblings' synchronisation. The repaint
// tick runs while the window is on screen (OnScreenChanged).
constexpr std::array kTimersAtStart{WindowTimer::FlushSettings, WindowTimer::KeyboardSync,
                                    WindowTimer::MousepadSync};

// A window given no desktop gets one whose settings cannot be changed.
std::shared_ptr<platform::DesktopSettings> DesktopOrNone(
    std::shared_ptr<platform::DesktopSettings> desktop) {
    return desktop ? std::move(desktop) : std::make_shared<platform::UnsupportedDesktopSettings>();
}

// What the environment leaves empty is made here, and kept there.
template <typename Service, typename Make>
std::shared_ptr<Service> GivenOrMade(std::shared_ptr<Service>& given, Make make) {
    if (!given) {
        given = make();
    }
    return given;
}

}  // namespace

CMainWnd::CMainWnd(Environment environment)
    : m_environment(std::move(environment)),
      m_foreground(std::make_shared<platform::ReportedForegroundProgram>(GivenOrMade(
          m_environment.foreground, [] { return platform::CreateForegroundProgram(); }))),
      m_language(m_environment.mainIni, platform::Registry(m_environment.registryFile)),
      m_macroStore(m_environment.mouseDataFolder),
      m_cursorScripts(m_environment.mouseDataFolder, m_environment.installFolder),
      m_storeUploader(m_cursorScripts, m_macroStore,
                      [this](const keys::StoreMessage& message) {
                          keys::ShowStoreMessage(m_dialogs, message);
                      }),
      m_session(m_environment.bus, *this, m_exchangeProgress, m_storeUploader),
      m_profileStore({m_environment.mouseDataFolder, m_environment.installFolder},
                     m_session.Mirror(),
                     // Read through the applier, whose thread makes every desktop call;
                     // the store calls this only once the window is up.
                     [this] { return m_desktopApplier.ReadPointerSpeed(); }),
      m_desktopApplier(DesktopOrNone(m_environment.desktop), m_session.Mirror()),
      m_deviceHook(std::make_unique<keys::CDeviceHook>(
          GivenOrMade(m_environment.inputCapture, ui::CreateInputCapture))) {
    m_busService = std::make_unique<BusServiceHost>(
        BusServiceHost::Window{m_model, m_lightingModel, m_liveProfiles, m_dialogs, *m_foreground,
                               m_environment.virtualMouse != nullptr});
    RegisterWindowRoutes();
    m_busService->RegisterRoutes(m_routes);
    m_pages.RegisterRoutes(m_routes);
    // Until the window exists no timer can be armed: the flush the window
    // arms when it initialises takes what came before.
    m_model.SetCommitRequest([this] { StartWindowTimer(GetHandle(), WindowTimer::FlushSettings); });
}

CMainWnd::~CMainWnd() {
    if (!m_shutDown) {
        m_model.Commit();
    }
    m_menus.Close();
    m_busService->Stop();
    StopWorkers();
    m_pages.Clear();
    if (MainWindowHandle() == GetHandle() && GetHandle().Id() != 0) {
        SetMainWindowHandle({});
    }
}

settings::PageContext CMainWnd::PageContextForPages() {
    settings::PageContext context{GetPaintManager(), m_dialogs, m_model};
    context.lighting = &m_lightingModel;
    context.leds = &m_leds;
    context.profiles = &m_liveProfiles;
    context.foreground = m_foreground.get();
    context.followForegroundProgram = {MessageNumber(WindowMessage::FollowForegroundProgram), [] {
                                           static_cast<void>(MainWindowHandle().Post(MessageNumber(
                                               WindowMessage::FollowForegroundProgram)));
                                       }};
    context.macros = &m_macroStore;
    context.cursorScripts = &m_cursorScripts;
    context.deviceHook = m_deviceHook.get();
    context.macroRecorderTicks = m_environment.macroRecorderTicks;
    return context;
}

void CMainWnd::RegisterWindowRoutes() {
    using ui::NameMatch;
    using Routed = std::optional<int>;
    m_routes.OnClick(kWindowOwner, "menubtn", NameMatch::Exact,
                     [this](ui::TNotifyUI&, Routed) { m_menus.OpenMainMenu(); });
    m_routes.OnClick(kWindowOwner, "dpi_btn", NameMatch::Exact, [this](ui::TNotifyUI& msg, Routed) {
        GetPaintManager().SetDPI(platform::ParseDecimal(msg.pSender->GetUserData()));
    });
    m_routes.OnClick(
        kDeviceSettingsOwner, "ms_profile_", NameMatch::PrefixIndex,
        [this](ui::TNotifyUI&, Routed index) { m_model.SelectOnboardProfile(*index); });
    for (const std::string_view tab : kFunctionTabs) {
        m_routes.OnNotify(kWindowOwner, ui::msgtype::kSetFocus, tab, NameMatch::Exact,
                          [this](ui::TNotifyUI&, Routed) {
                              keys::SetControlVisible(GetPaintManager(), "ms_profile_fun_spead_tab",
                                                      false);
                          });
    }

    OnWindowMessage(m_routes, WindowMessage::TrayIcon,
                    [this](ui::WParam, ui::LParam lParam) { OnTrayIcon(lParam); });
    OnWindowMessage(m_routes, WindowMessage::MenuCommand,
                    [this](ui::WParam wParam, ui::LParam) { OnMenuCommand(wParam); });
    OnWindowMessage(m_routes, WindowMessage::MouseChanged,
                    [this](ui::WParam, ui::LParam) { m_model.SyncDevice(); });
    m_exchangeProgress.RegisterRoutes(m_routes);
    OnWindowMessage(m_routes, WindowMessage::MouseRemoved,
                    [this](ui::WParam, ui::LParam) { m_presence.OnMouseRemoved(); });
    m_connection.RegisterRoutes(m_routes);

    OnWindowTimer(m_routes, WindowTimer::FlushSettings, [this] { m_model.Commit(); });
    OnWindowTimer(m_routes, WindowTimer::RepaintAfterShow,
                  [this] { GetPaintManager().Invalidate(); });
    OnWindowTimer(m_routes, WindowTimer::ReadMouseConfiguration, [this] { OnMouseRead(); });
    OnWindowTimer(m_routes, WindowTimer::Repaint, [this] {
        // The pictures that change on their own follow: only what changed
        // is painted.
        m_routes.Raise(settings::PageSignal::kRepaintTick);
        GetPaintManager().RepaintChanged();
        // The first tick comes later than the others: from then on the
        // timer keeps the shorter period without being armed again.
        if (!std::exchange(m_repaintTickSettled, true)) {
            const WindowTimerInfo* info = TimerInfo(WindowTimer::Repaint);
            GetHandle().SetTimer(TimerId(WindowTimer::Repaint),
                                 static_cast<unsigned>(info->laterPeriod.count()));
        }
    });
    OnWindowTimer(m_routes, WindowTimer::RereadMouseRecord,
                  [this] { m_model.RefreshCurrentRecord(); });
}

void CMainWnd::InitWindow() {
    platform::DebugOutput::Write("InitWindow");
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetTextQueryInterface(this);
    resources.LoadLanguage(kBaseLanguageFile);

    if (m_environment.shellHooks.registerSkinReceiver) {
        m_environment.shellHooks.registerSkinReceiver(*this);
    }

    auto& manager = GetPaintManager();
    m_captionButtons.Find();
    m_skinButton = manager.FindControl("skinbtn");

    for (const std::string_view name : kHiddenAtStart) {
        keys::SetControlVisible(manager, name, false);
    }

    SetMainWindowHandle(GetHandle());
    m_deviceHook->SetTarget(GetHandle());

    const std::string icon = resources.ResolvePath("mouse/varlok.svg");
    m_trayIcon.Create(GetHandle(), icon, kTrayToolTip, ui::kTrayIconMessage);
    m_trayIcon.Show();
    // Interface scale: the UI library follows the screen's scale by itself;
    // the dpi_btn route changes it on request.
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    const std::string sender = msg.pSender != nullptr ? msg.pSender->GetName() : std::string();
    platform::DebugOutput::Write(msg.sType + " " + sender);

    if (msg.sType == ui::msgtype::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == ui::msgtype::kClick) {
        if (m_captionButtons.OnClick(msg)) {
            return;
        }
        if (msg.pSender != nullptr && msg.pSender == m_skinButton &&
            m_environment.shellHooks.openSkinFrame) {
            m_environment.shellHooks.openSkinFrame(*this, *m_skinButton);
        }
        m_routes.DeliverNotify(msg);
    } else if (msg.sType == ui::msgtype::kSelectChanged) {
        if (m_navigator.OnSelectChanged(msg)) {
            m_routes.DeliverNotify(msg);
        }
    } else {
        m_routes.DeliverNotify(msg);
    }
    WindowImplBase::Notify(msg);
}

std::unique_ptr<ui::CControlUI> CMainWnd::CreateControl(std::string_view className) {
    return BuildLayoutClass(className, this, GetPaintManager());
}

std::optional<std::string> CMainWnd::QueryControlText(std::string_view id) {
    return MainWindowControlText(id, ui::CResourceManager::GetInstance().GetLanguage());
}

void CMainWnd::OnWindowInit() {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    RecoverStores({m_environment.mainIni, m_environment.registryFile, m_profileStore, m_macroStore,
                   m_cursorScripts});
    if (m_environment.shellHooks.applySavedBackground) {
        m_environment.shellHooks.applySavedBackground(*this);
    }
    m_routes.Raise(settings::PageSignal::kFillPageData);
    m_session.InitLinks();
    std::this_thread::sleep_for(kLinkSettlePause);
    m_language.CopyRegistryToMainIni();
    m_language.StoreLocaleLanguageIfUnset();
    m_presence.Hide();
    std::this_thread::sleep_for(kWorkerStartPause);
    m_workers.Start(m_session, m_routes, GetHandle(),
                    {m_environment.activateMessage, !m_environment.startHidden},
                    m_effectState.reactiveTrigger);
    for (const WindowTimer timer : kTimersAtStart) {
        StartWindowTimer(GetHandle(), timer);
    }
    if (IsOnScreen()) {
        OnScreenChanged(true);
    }
    if (m_environment.busServiceAddress) {
        m_busService->Start(*m_environment.busServiceAddress);
    }
    if (const auto language = m_language.StoredLanguage()) {
        LoadInterfaceLanguage(*language);
        ui::CResourceManager::GetInstance().ReloadText();
    }
    m_menus.CheckLanguage(m_language.StoredIndex());
    platform::MarkStartupPhase("window initialised");
    TellOfSetAsideFiles(m_dialogs);
}

ui::LResult CMainWnd::HandleCustomMessage(ui::MessageId message, ui::WParam wParam,
                                          ui::LParam lParam, bool& handled) {
    if (message == m_environment.activateMessage && message != 0) {
        handled = true;
        m_presence.OnActivateRequest();
        return 0;
    }
    if (message == ui::WM_DESTROY) {
        handled = true;
        ShutDown();
        return 0;
    }
    if (message == ui::WM_DPICHANGED) {
        handled = true;
        GetPaintManager().SetDPI(static_cast<int>(wParam & 0xFFFF));
        GetPaintManager().ResetDPIAssets();
        GetPaintManager().NeedUpdate();
        return 0;
    }
    if (message == ui::WM_ACTIVATE) {
        // Capturing input ends when the window no longer has the user's
        // attention; the library handles activation as usual.
        if ((wParam & 0xFFFF) == ui::WA_INACTIVE) {
            m_routes.Raise(settings::PageSignal::kStopRecording);
        }
        handled = false;
        return 0;
    }
    if (const std::optional<ui::LResult> result =
            m_routes.DeliverMessage(message, wParam, lParam)) {
        handled = true;
        // The service's own messages refresh it themselves.
        if (message != MessageNumber(WindowMessage::BusServiceRefresh) &&
            message != MessageNumber(WindowMessage::BusServiceCall)) {
            m_busService->RequestRefresh();
        }
        return *result;
    }
    handled = false;
    return 0;
}

void CMainWnd::OnTimerMessage(std::uintptr_t id) {
    if (const auto timer = FindWindowTimer(id)) {
        const WindowTimerInfo* info = TimerInfo(*timer);
        if (info != nullptr && info->kind == TimerKind::OneShot) {
            GetHandle().KillTimer(id);
        }
    }
    // What the timers change in the live settings the model tells the bus
    // service itself.
    m_routes.DeliverTimer(id);
}

void CMainWnd::OnScreenChanged(bool onScreen) {
    // Before the window initialised, its pages have nothing to show yet;
    // the initialisation starts what a window on screen runs.
    if (!m_initialised || m_shutDown) {
        return;
    }
    if (onScreen) {
        m_routes.Raise(settings::PageSignal::kWindowShown);
        m_repaintTickSettled = false;
        StartWindowTimer(GetHandle(), WindowTimer::Repaint);
    } else {
        GetHandle().KillTimer(TimerId(WindowTimer::Repaint));
    }
}

void CMainWnd::OnFirstPaint() {
    platform::MarkStartupPhase("first paint");
}

void CMainWnd::OnMouseRead() {
    m_model.SyncDevice();
    platform::MarkStartupPhase("configuration read");
    if (m_environment.startPage) {
        const std::string name = *std::exchange(m_environment.startPage, std::nullopt);
        m_navigator.ShowFunctionPage(name);
    }
    if (m_environment.onMouseRead) {
        m_environment.onMouseRead();
    }
    // The virtual mouse's memory is loaded again each time the window takes
    // its turn with it, which may find its file damaged.
    TellOfSetAsideFiles(m_dialogs);
}

void CMainWnd::OnTrayIcon(ui::LParam mouseMessage) {
    if (mouseMessage == static_cast<ui::LParam>(ui::WM_LBUTTONUP)) {
        if (m_presence.OnTrayClick()) {
            StartWindowTimer(GetHandle(), WindowTimer::RepaintAfterShow);
        }
    } else if (mouseMessage == static_cast<ui::LParam>(ui::WM_RBUTTONUP)) {
        // An index no language carries shows the base language, Chinese.
        const LanguageRow language = m_language.StoredLanguage().value_or(LanguageTable()[0]);
        m_menus.OpenTrayMenu(language.exitCaption);
    }
}

void CMainWnd::OnMenuCommand(ui::WParam ticket) {
    const auto choice = ui::TakeMenuChoice(ticket);
    if (!choice) {
        return;
    }
    if (const auto language = LanguageByMenuItem(choice->name)) {
        ChangeLanguage(*language);
    } else if (choice->name == "About_setting") {
        if (m_environment.shellHooks.openAbout) {
            m_environment.shellHooks.openAbout(*this);
        }
    } else if (choice->name == PopupMenus::kAutostartItem) {
        if (!m_menus.ToggleAutostart(platform::RunningExecutable())) {
            ShowMessageBox(this, {}, PopupMenus::kAutostartFailedMessage);
        }
    } else if (choice->name == "exit") {
        Close();
    } else if (choice->name == "Menu_Import" || choice->name == "Menu_Export") {
        // Offered by some skins; they stand for nothing.
    } else if (!m_menus.RunSimulationItem(choice->name)) {
        ShowMessageBox(this, {}, choice->text);
    }
}

bool CMainWnd::IsAnyLinkConnected() const {
    return m_session.IsAnyLinkConnected();
}

void CMainWnd::ChangeLanguage(const LanguageRow& language) {
    LoadInterfaceLanguage(language);
    m_language.Store(language);
    m_menus.CheckLanguage(language.index);
    ui::CResourceManager::GetInstance().ReloadText();
    GetPaintManager().Invalidate();
}

void CMainWnd::ShutDown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    // A change made just before closing still reaches the mouse and the
    // selected profiles.
    m_model.Commit();
    m_trayIcon.Delete();
    m_deviceHook->Remove();
    // Before the workers: no call runs while the device session stops.
    m_busService->Stop();
    platform::DebugOutput::Write("退出测试");
    ShowWindow(false);
    StopWorkers();
    if (m_environment.shellHooks.unregisterSkinReceiver) {
        m_environment.shellHooks.unregisterSkinReceiver(*this);
    }
    SetMainWindowHandle({});
    if (m_environment.quitOnDestroy) {
        ui::PostQuitMessage(0);
    }
}

}  // namespace varlok::app
