#include "app/mainwnd.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/busservicehost.h"
#include "app/mainwindowhandle.h"
#include "app/mainwindowlayouts.h"
#include "app/mainwindowroutes.h"
#include "app/msgwnd.h"
#include "app/windowdeviceevents.h"
#include "device/deviceevents.h"
#include "keys/page/cursorpage.h"
#include "keys/page/keypage.h"
#include "keys/page/macropage.h"
#include "keys/page/storemessagebox.h"
#include "lighting/page/lightingpage.h"
#include "lighting/page/mousepreviewstream.h"
#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "platform/unsupporteddesktopsettings.h"
#include "profiles/page/profilelistspage.h"
#include "settings/page/pagecontext.h"
#include "settings/page/performancepage.h"
#include "sim/virtualmouse.h"
#include "ui/comboui.h"
#include "ui/desktopaccess.h"
#include "ui/inputcapturefactory.h"
#include "ui/optionui.h"
#include "ui/resourcemanager.h"
#include "ui/tablayoutui.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using namespace std::chrono_literals;

// Pauses the start-up and the bring-to-front sequence keep: the links settle
// before the workers start, and a raised window stays on top long enough
// for the desktop to take it to the front.
constexpr auto kLinkSettlePause = 100ms;
constexpr auto kWorkerStartPause = 20ms;
constexpr auto kTopmostPause = 10ms;

// The page of tab_switch shown while no device is connected.
constexpr int kWaitingPage = 0;

constexpr std::string_view kNoDeviceNotice = "message_text_1";
constexpr std::string_view kUnsavedMacroNotice = "message_text_3";
constexpr std::string_view kMacroSectionPrefix = "ms_macro_";
constexpr std::string_view kMouseRemovedNotice = "message_text_20";

// Containers that start hidden. They are hidden here rather than by the
// layout: a container the layout builds hidden keeps its children hidden
// after it is shown.
// (The macro section's save/cancel bar follows the section's own state.)
constexpr std::array<std::string_view, 3> kHiddenAtStart{"ms_tab_panel", "setting_progress",
                                                         "ms_tab_function"};

// The timers the window starts when it initialises.
constexpr std::array kTimersAtStart{WindowTimer::FlushSettings, WindowTimer::Repaint,
                                    WindowTimer::KeyboardSync, WindowTimer::MousepadSync};

std::string_view SenderName(const ui::TNotifyUI& msg) {
    return msg.pSender != nullptr ? std::string_view(msg.pSender->GetName()) : std::string_view();
}

// The pages of the mouse, in the order they are built: their views follow
// the model's changes in this order.
using PageFactory = std::unique_ptr<ui::Page> (*)(const settings::PageContext&);
template <typename PageType>
std::unique_ptr<ui::Page> MakePage(const settings::PageContext& context) {
    return std::make_unique<PageType>(context);
}
constexpr std::array<PageFactory, 7> kPages = {
    &MakePage<settings::PerformancePage>,
    &MakePage<lighting::LightingPage>,
    &MakePage<profiles::ProfileListsPage>,
    &MakePage<keys::KeyPage>,
    &MakePage<keys::CursorPage>,
    &MakePage<keys::MacroPage>,
    &MakePage<lighting::MousePreviewStream>,
};
// The order their routes go into the table, in which the handlers of one
// event run: the profile lists fill first, the lighting previews follow the
// lighting section.
constexpr std::array<std::size_t, kPages.size()> kRouteOrder = {2, 0, 1, 6, 3, 4, 5};

bool AnyUnsavedEdits(const std::vector<std::unique_ptr<ui::Page>>& pages) {
    return std::ranges::any_of(pages, [](const auto& page) { return page->HasUnsavedEdits(); });
}

// A window given no desktop gets one whose settings cannot be changed.
std::shared_ptr<platform::DesktopSettings> DesktopOrNone(
    std::shared_ptr<platform::DesktopSettings> desktop) {
    return desktop ? std::move(desktop) : std::make_shared<platform::UnsupportedDesktopSettings>();
}

}  // namespace

CMainWnd::CMainWnd(Environment environment)
    : m_environment(std::move(environment)),
      m_language(m_environment.mainIni, platform::Registry(m_environment.registryFile)),
      m_macroStore(m_environment.mouseDataFolder),
      m_cursorScripts(m_environment.mouseDataFolder, m_environment.installFolder),
      m_storeUploader(m_cursorScripts, m_macroStore,
                      [this](const keys::StoreMessage& message) {
                          keys::ShowStoreMessage(m_dialogs, message);
                      }),
      m_session(m_environment.bus, *this, *this, m_storeUploader),
      m_profileStore({m_environment.mouseDataFolder, m_environment.installFolder},
                     m_session.Mirror(),
                     // Read through the applier, whose thread makes every desktop call;
                     // the store calls this only once the window is up.
                     [this] { return m_desktopApplier.ReadPointerSpeed(); }),
      m_desktopApplier(DesktopOrNone(m_environment.desktop), m_session.Mirror()) {
    if (!m_environment.foreground) {
        m_environment.foreground = platform::CreateForegroundProgram();
    }
    m_foreground = std::make_shared<platform::ReportedForegroundProgram>(m_environment.foreground);
    if (!m_environment.inputCapture) {
        m_environment.inputCapture = ui::CreateInputCapture();
    }
    m_deviceHook = std::make_unique<keys::CDeviceHook>(m_environment.inputCapture);
    settings::PageContext context{GetPaintManager(), m_dialogs, m_model};
    context.lighting = &m_lightingModel;
    context.leds = &m_leds;
    context.lightingFrameTimer = {TimerId(WindowTimer::SendLightingFrame),
                                  [this] { StartTimer(WindowTimer::SendLightingFrame); },
                                  [this] { KillTimer(WindowTimer::SendLightingFrame); }};
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
    for (const PageFactory make : kPages) {
        m_pages.push_back(make(context));
    }
    m_busService = std::make_unique<BusServiceHost>(
        BusServiceHost::Window{m_model, m_lightingModel, m_liveProfiles, m_dialogs, *m_foreground,
                               m_environment.virtualMouse != nullptr});
    RegisterWindowRoutes();
    m_busService->RegisterRoutes(m_routes);
    for (const std::size_t index : kRouteOrder) {
        m_pages[index]->RegisterRoutes(m_routes);
    }
}

CMainWnd::~CMainWnd() {
    if (!m_shutDown) {
        m_model.Commit();
    }
    ui::CMenuWnd::DestroyMenu();
    m_popupMenu.reset();
    m_busService->Stop();
    StopWorkers();
    while (!m_pages.empty()) {
        m_pages.pop_back();
    }
    if (MainWindowHandle() == GetHandle() && GetHandle().Id() != 0) {
        SetMainWindowHandle({});
    }
}

void CMainWnd::RegisterWindowTimer(WindowTimer timer, std::function<void()> action) {
    m_routes.OnTimer(kWindowOwner, TimerId(timer), std::move(action));
}

void CMainWnd::RegisterWindowMessage(WindowMessage message,
                                     std::function<void(ui::WParam, ui::LParam)> action) {
    m_routes.OnMessage(kWindowOwner, MessageNumber(message), MessageNumber(message),
                       [action = std::move(action)](ui::MessageId, ui::WParam wParam,
                                                    ui::LParam lParam) -> ui::LResult {
                           action(wParam, lParam);
                           return 0;
                       });
}

void CMainWnd::RegisterWindowRoutes() {
    using ui::NameMatch;
    using Routed = std::optional<int>;
    m_routes.OnClick(kWindowOwner, "menubtn", NameMatch::Exact,
                     [this](ui::TNotifyUI&, Routed) { OpenMainMenu(); });
    m_routes.OnClick(kWindowOwner, "dpi_btn", NameMatch::Exact, [this](ui::TNotifyUI& msg, Routed) {
        GetPaintManager().SetDPI(platform::ParseDecimal(msg.pSender->GetUserData()));
    });
    m_routes.OnClick(
        kDeviceSettingsOwner, "ms_profile_", NameMatch::PrefixIndex,
        [this](ui::TNotifyUI&, Routed index) { m_model.SelectOnboardProfile(*index); });
    for (const std::string_view tab : kFunctionTabs) {
        m_routes.OnNotify(kWindowOwner, ui::msgtype::kSetFocus, tab, NameMatch::Exact,
                          [this](ui::TNotifyUI&, Routed) {
                              SetControlVisible("ms_profile_fun_spead_tab", false);
                          });
    }

    RegisterWindowMessage(WindowMessage::TrayIcon,
                          [this](ui::WParam, ui::LParam lParam) { OnTrayIcon(lParam); });
    RegisterWindowMessage(WindowMessage::MenuCommand,
                          [this](ui::WParam wParam, ui::LParam) { OnMenuCommand(wParam); });
    RegisterWindowMessage(WindowMessage::MouseChanged,
                          [this](ui::WParam, ui::LParam) { m_model.SyncDevice(); });
    RegisterWindowMessage(WindowMessage::SaveStarted, [this](ui::WParam, ui::LParam) {
        SetControlVisible("setting_progress", true);
    });
    RegisterWindowMessage(WindowMessage::SaveFinished, [this](ui::WParam, ui::LParam) {
        StartTimer(WindowTimer::HideSaveProgress);
    });
    RegisterWindowMessage(WindowMessage::MouseRemoved,
                          [this](ui::WParam, ui::LParam) { OnMouseRemoved(); });
    m_routes.OnMessage(kWindowOwner, MessageNumber(kFirstMonitorControlMessage),
                       MessageNumber(kLastMonitorControlMessage),
                       [this](ui::MessageId message, ui::WParam, ui::LParam) -> ui::LResult {
                           OnMonitorControl(message);
                           return 0;
                       });

    RegisterWindowTimer(WindowTimer::HideSaveProgress,
                        [this] { SetControlVisible("setting_progress", false); });
    RegisterWindowTimer(WindowTimer::FlushSettings, [this] { m_model.Commit(); });
    RegisterWindowTimer(WindowTimer::RepaintAfterShow, [this] { GetPaintManager().Invalidate(); });
    RegisterWindowTimer(WindowTimer::ReadMouseConfiguration, [this] { OnMouseRead(); });
    RegisterWindowTimer(WindowTimer::Repaint, [this] {
        // The previews follow the lights: only what changed is painted.
        GetPaintManager().RepaintChanged();
        const WindowTimerInfo* info = TimerInfo(WindowTimer::Repaint);
        GetHandle().SetTimer(TimerId(WindowTimer::Repaint),
                             static_cast<unsigned>(info->laterPeriod.count()));
    });
    RegisterWindowTimer(WindowTimer::RereadMouseRecord, [this] { m_model.RefreshCurrentRecord(); });
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
    m_closeButton = manager.FindControl("closebtn");
    m_maxButton = manager.FindControl("maxbtn");
    m_restoreButton = manager.FindControl("restorebtn");
    m_minButton = manager.FindControl("minbtn");
    m_skinButton = manager.FindControl("skinbtn");

    for (const std::string_view name : kHiddenAtStart) {
        SetControlVisible(name, false);
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
    const std::string_view sender = SenderName(msg);
    platform::DebugOutput::Write(msg.sType + " " + std::string(sender));

    if (msg.sType == ui::msgtype::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == ui::msgtype::kClick) {
        if (msg.pSender == m_closeButton && m_closeButton != nullptr) {
            Close();
            return;
        }
        if (msg.pSender != nullptr && (msg.pSender == m_minButton || msg.pSender == m_maxButton ||
                                       msg.pSender == m_restoreButton)) {
            const ui::WParam command = msg.pSender == m_minButton   ? ui::SC_MINIMIZE
                                       : msg.pSender == m_maxButton ? ui::SC_MAXIMIZE
                                                                    : ui::SC_RESTORE;
            SendMessage(ui::WM_SYSCOMMAND, command);
            return;
        }
        if (msg.pSender != nullptr && msg.pSender == m_skinButton &&
            m_environment.shellHooks.openSkinFrame) {
            m_environment.shellHooks.openSkinFrame(*this, *m_skinButton);
        }
        m_routes.DeliverNotify(msg);
    } else if (msg.sType == ui::msgtype::kSelectChanged) {
        if (OnSelectChanged(msg)) {
            m_routes.DeliverNotify(msg);
        }
    } else {
        m_routes.DeliverNotify(msg);
    }
    WindowImplBase::Notify(msg);
}

bool CMainWnd::OnSelectChanged(ui::TNotifyUI& msg) {
    const std::string_view sender = SenderName(msg);
    auto& manager = GetPaintManager();
    const auto page = FindPageRoute(sender);
    // The macro section's own options (recording options, the insert panel)
    // edit within the section; they neither leave it nor end a recording.
    if (sender.starts_with(kMacroSectionPrefix) && !page) {
        return true;
    }
    // Unsaved macro edits keep the macro page in front: choosing another
    // section or device page is taken back, while the selections that take
    // it back there pass. Other options and check boxes leave no section;
    // the program changes them too (a program switch unticks a link check
    // box), which must never raise the notice.
    if (!m_restoringMacroTab && page && msg.wParam != 0 && AnyUnsavedEdits(m_pages) &&
        sender != "ms_macro_Op_tab" && sender != "ms_tab") {
        m_restoringMacroTab = true;
        for (const std::string_view option : {"ms_macro_Op_tab", "ms_tab"}) {
            if (auto* control = manager.FindControl<ui::COptionUI>(option)) {
                control->Selected(true, true);
            }
        }
        m_restoringMacroTab = false;
        ShowMessageBox(this, {}, kUnsavedMacroNotice);
        return false;
    }
    m_routes.Raise(settings::PageSignal::kStopRecording);
    // Only a selection switches pages; the options of a group that lose
    // their selection report it too.
    if (!page || msg.wParam == 0) {
        return true;
    }
    auto* tabs = manager.FindControl<ui::CTabLayoutUI>(page->tabLayout);
    if (tabs == nullptr) {
        return true;
    }
    if (sender == "ms_key_Op_tab" && tabs->GetCurSel() != page->page) {
        SetControlVisible("ms_tab_function", true);
    }
    tabs->SelectItem(page->page);
    return true;
}

std::unique_ptr<ui::CControlUI> CMainWnd::CreateControl(std::string_view className) {
    return BuildLayoutClass(className, this, GetPaintManager());
}

std::optional<std::string> CMainWnd::QueryControlText(std::string_view id) {
    const auto equals = [id](std::string_view key) {
        return std::ranges::equal(id, key, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
        });
    };
    const bool english = ui::CResourceManager::GetInstance().GetLanguage() == "en";
    if (equals("titletext")) {
        return english ? "Duilib Demo v1.1" : "mouse";
    }
    if (equals("hometext")) {
        return english ? "{a}Home Page{/a}" : "{a}演示官网{/a}";
    }
    return std::nullopt;
}

void CMainWnd::OnWindowInit() {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    if (m_environment.shellHooks.applySavedBackground) {
        m_environment.shellHooks.applySavedBackground(*this);
    }
    m_routes.Raise(settings::PageSignal::kFillPageData);
    m_session.InitLinks();
    std::this_thread::sleep_for(kLinkSettlePause);
    m_language.CopyRegistryToMainIni();
    m_language.StoreLocaleLanguageIfUnset();
    HideWindow();
    std::this_thread::sleep_for(kWorkerStartPause);
    StartWorkers();
    for (const WindowTimer timer : kTimersAtStart) {
        StartTimer(timer);
    }
    if (m_environment.busServiceAddress) {
        m_busService->Start(*m_environment.busServiceAddress);
    }
    if (const auto language = m_language.StoredLanguage()) {
        LoadInterfaceLanguage(*language);
        ui::CResourceManager::GetInstance().ReloadText();
    }
    CheckLanguageItem(m_language.StoredIndex());
}

void CMainWnd::CheckLanguageItem(int index) {
    for (const LanguageRow& language : LanguageTable()) {
        (*m_menuChecks)[std::string(language.menuItem)] = language.index == index;
    }
}

void CMainWnd::StartWorkers() {
    const ui::WindowHandle sendHandle = m_monitorRelay.Open();
    m_deviceEvents = std::make_unique<WindowDeviceEvents>(
        GetHandle(), sendHandle, m_environment.activateMessage, m_effectState.reactiveTrigger);
    // The pages' workers take their slots; the session starts them after its
    // monitors.
    for (const ui::RouteTable::WorkerRoute& worker : m_routes.Workers()) {
        if (!m_session.SetWorker(static_cast<settings::DeviceSession::WorkerSlot>(worker.slot),
                                 worker.body, worker.wake)) {
            platform::DebugOutput::Write("worker slot taken or unknown: " + worker.owner + "\n");
        }
    }
    m_session.Start(*m_deviceEvents);
}

void CMainWnd::StopWorkers() {
    if (m_workersStopped) {
        return;
    }
    m_workersStopped = true;
    // A monitor waiting in a send is answered now, and later sends return at
    // once: the UI thread is about to wait for the monitors.
    m_monitorRelay.Close();
    const auto outcome = m_session.Stop();
    platform::DebugOutput::Write(outcome == platform::StopOutcome::AllEnded
                                     ? "所有对象处于激发状态\n"
                                     : "所有对象处于非激发状态，超时\n");
}

ui::LResult CMainWnd::HandleCustomMessage(ui::MessageId message, ui::WParam wParam,
                                          ui::LParam lParam, bool& handled) {
    if (message == m_environment.activateMessage && message != 0) {
        handled = true;
        OnActivateRequest();
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
            KillTimer(*timer);
        }
    }
    // What the timers change in the live settings the model tells the bus
    // service itself.
    m_routes.DeliverTimer(id);
}

void CMainWnd::OnMouseRead() {
    m_model.SyncDevice();
    if (m_environment.startPage) {
        const auto page = FindFunctionPage(*m_environment.startPage);
        m_environment.startPage.reset();
        ui::CControlUI* control = page ? GetPaintManager().FindControl(page->tab) : nullptr;
        if (auto* tab = dynamic_cast<ui::COptionUI*>(control)) {
            tab->Selected(true, true);
        } else if (control != nullptr) {
            // A button that shows its panel, as a click would.
            ui::TNotifyUI click{std::string(ui::msgtype::kClick), control, 0, 0};
            Notify(click);
        }
    }
    if (m_environment.onMouseRead) {
        m_environment.onMouseRead();
    }
}

void CMainWnd::OnMonitorControl(ui::MessageId message) {
    auto& manager = GetPaintManager();
    switch (static_cast<MonitorControlMessage>(message)) {
        case MonitorControlMessage::SelectStoredDeviceProfile:
            m_model.Notify(settings::MouseChange::MouseConnected);
            break;
        case MonitorControlMessage::ShowMouseTab:
            if (auto* tab = manager.FindControl<ui::COptionUI>("ms_tab")) {
                tab->SetVisible(true);
                if (tab->IsSelected()) {
                    // Selecting an option that already is raises nothing, yet
                    // the connection must show the mouse page.
                    ui::TNotifyUI select{std::string(ui::msgtype::kSelectChanged), tab, 1, 0};
                    Notify(select);
                } else {
                    tab->Selected(true, true);
                }
            }
            break;
        case MonitorControlMessage::ShowMouseTabPanel:
            SetControlVisible("ms_tab_panel", true);
            break;
        case MonitorControlMessage::HideMouseTab:
            SetControlVisible("ms_tab", false);
            // Without a tray the window stays on screen: it shows that it
            // waits for the mouse instead of a page of a mouse that is gone.
            if (auto* tabs = manager.FindControl<ui::CTabLayoutUI>("tab_switch")) {
                tabs->SelectItem(kWaitingPage);
            }
            break;
        case MonitorControlMessage::HideSameModeOption:
            SetControlVisible("ms_deng_same_mode", false);
            break;
        case MonitorControlMessage::ShowPermissionHelp:
            ShowPermissionHelp(true);
            // Plugging the mouse in is the moment the user looks for an
            // answer; a window waiting in the tray would give none.
            BringToFront();
            break;
        case MonitorControlMessage::HidePermissionHelp:
            ShowPermissionHelp(false);
            break;
        case MonitorControlMessage::MouseHolderChanged:
            ShowMouseHolder(m_deviceEvents ? m_deviceEvents->MouseHolder() : std::nullopt);
            break;
    }
}

void CMainWnd::ShowPermissionHelp(bool show) {
    m_mousePermissionDenied = show;
    ShowWaitingReason();
}

void CMainWnd::ShowMouseHolder(const std::optional<platform::LockHolder>& holder) {
    const bool taken = holder && !m_mouseHolder;
    m_mouseHolder = holder;
    if (holder) {
        // The program's name and id are shown as they are, in every language.
        std::string name = holder->pid == 0 ? std::string()
                           : holder->program.empty()
                               ? "PID " + std::to_string(holder->pid)
                               : holder->program + " (PID " + std::to_string(holder->pid) + ")";
        if (auto* label = GetPaintManager().FindControl("main_in_use_holder")) {
            label->SetText(name);
            label->SetVisible(!name.empty());
        }
    }
    ShowWaitingReason();
    if (taken) {
        // Started while a script has the mouse: the window says why it waits
        // instead of hiding in the tray behind "no mouse".
        BringToFront();
    }
}

void CMainWnd::ShowWaitingReason() {
    // A refusal is what the user can act on; the holder comes next.
    SetControlVisible("main_permission", m_mousePermissionDenied);
    SetControlVisible("main_in_use", !m_mousePermissionDenied && m_mouseHolder.has_value());
    SetControlVisible("main_waiting", !m_mousePermissionDenied && !m_mouseHolder);
}

bool CMainWnd::WaitingPageExplains() const {
    return m_mousePermissionDenied || m_mouseHolder.has_value();
}

void CMainWnd::OnActivateRequest() {
    // While the mouse is refused or held the window itself says why.
    if (IsAnyLinkConnected() || WaitingPageExplains()) {
        BringToFront();
        return;
    }
    HideWindow();
    ShowNoDeviceNotice();
}

void CMainWnd::OnMouseRemoved() {
    if (auto* tab = GetPaintManager().FindControl("ms_deng_Op_tab")) {
        tab->SetFocus();
    }
    ShowTimedMessage(true, this, {}, kMouseRemovedNotice);
    HideWindow();
}

void CMainWnd::OnTrayIcon(ui::LParam mouseMessage) {
    if (mouseMessage == static_cast<ui::LParam>(ui::WM_LBUTTONUP)) {
        if (!IsAnyLinkConnected() && !WaitingPageExplains()) {
            HideWindow();
            ShowNoDeviceNotice();
            return;
        }
        if (CountsAsShown()) {
            HideWindow();
            return;
        }
        BringToFront();
        StartTimer(WindowTimer::RepaintAfterShow);
    } else if (mouseMessage == static_cast<ui::LParam>(ui::WM_RBUTTONUP)) {
        OpenTrayMenu();
    }
}

ui::CMenuWnd* CMainWnd::OpenMenu(std::string_view layout, ui::UiPoint point) {
    m_popupMenu.reset();
    auto menu = std::make_unique<ui::CMenuWnd>();
    if (!menu->Init(GetHandle(), layout, point, m_menuChecks)) {
        platform::DebugOutput::Write("menu " + std::string(layout) + " cannot be opened");
        return nullptr;
    }
    m_popupMenu = std::move(menu);
    return m_popupMenu.get();
}

void CMainWnd::OpenTrayMenu() {
    ui::UiPoint point = ui::CursorPosition();
    point.y -= kTrayMenuRaise;
    ui::CMenuWnd* menu = OpenMenu("menu1.xml", point);
    if (menu == nullptr) {
        return;
    }
    AddSimulationItems(*menu);
    // An index no language carries shows the base language, Chinese.
    const LanguageRow language = m_language.StoredLanguage().value_or(LanguageTable()[0]);
    menu->AddElement("exit", language.exitCaption);
    menu->ResizeMenu();
}

void CMainWnd::OpenMainMenu() {
    if (ui::CMenuWnd* menu = OpenMenu("menu.xml", ui::CursorPosition())) {
        AddSimulationItems(*menu);
        menu->ResizeMenu();
    }
}

namespace {

// The simulation items, and the English text shown when the language file
// has none for their key.
struct SimulationItem {
    std::string_view name;
    std::string_view key;
    std::string_view english;
};

constexpr SimulationItem kUnplugItem{"sim_unplug", "menu_sim_unplug", "Unplug the virtual mouse"};
constexpr SimulationItem kPlugItem{"sim_plug", "menu_sim_plug", "Plug in the virtual mouse"};
constexpr std::array kEventItems{
    std::pair{SimulationItem{"sim_event_401", "menu_sim_event_401",
                             "Virtual mouse: profile switch (0x401)"},
              std::uint16_t{0x401}},
    std::pair{SimulationItem{"sim_event_402", "menu_sim_event_402",
                             "Virtual mouse: configuration change (0x402)"},
              std::uint16_t{0x402}},
    std::pair{SimulationItem{"sim_event_403", "menu_sim_event_403",
                             "Virtual mouse: reactive key (0x403)"},
              std::uint16_t{0x403}},
};

// The mouse's own DPI button, offered beside the profile switch (0x401).
constexpr SimulationItem kDpiButtonItem{"sim_dpi_button", "menu_sim_dpi_button",
                                        "Press the DPI button (0x401)"};

std::string SimulationText(const SimulationItem& item) {
    const auto& resources = ui::CResourceManager::GetInstance();
    return resources.HasText(item.key) ? resources.GetText(item.key) : std::string(item.english);
}

}  // namespace

void CMainWnd::AddSimulationItems(ui::CMenuWnd& menu) {
    if (!m_environment.virtualMouse) {
        return;
    }
    const SimulationItem& plugItem =
        m_environment.virtualMouse->IsPlugged() ? kUnplugItem : kPlugItem;
    menu.AddElement(plugItem.name, SimulationText(plugItem));
    for (const auto& [item, code] : kEventItems) {
        menu.AddElement(item.name, SimulationText(item));
        if (code == static_cast<std::uint16_t>(device::DeviceEventCode::ProfileSwitched)) {
            menu.AddElement(kDpiButtonItem.name, SimulationText(kDpiButtonItem));
        }
    }
}

bool CMainWnd::RunSimulationItem(std::string_view name) {
    sim::VirtualMouse* mouse = m_environment.virtualMouse.get();
    if (mouse == nullptr) {
        return false;
    }
    if (name == kUnplugItem.name) {
        mouse->Unplug();
        return true;
    }
    if (name == kPlugItem.name) {
        mouse->Plug();
        return true;
    }
    if (name == kDpiButtonItem.name) {
        mouse->PressDpiButton();
        return true;
    }
    for (const auto& [item, code] : kEventItems) {
        if (name == item.name) {
            // The profile switch is the mouse's own button: the mouse
            // switches, then reports it.
            if (code == static_cast<std::uint16_t>(device::DeviceEventCode::ProfileSwitched)) {
                mouse->PressProfileButton();
            } else {
                mouse->PressEvent(code);
            }
            return true;
        }
    }
    return false;
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
    } else if (choice->name == "exit") {
        Close();
    } else if (choice->name == "Menu_Import" || choice->name == "Menu_Export") {
        // Offered by some skins; they stand for nothing.
    } else if (!RunSimulationItem(choice->name)) {
        ShowMessageBox(this, {}, choice->text);
    }
}

bool CMainWnd::CountsAsShown() const {
    return IsWindowVisible() != IsMinimized();
}

void CMainWnd::ShowNoDeviceNotice() {
    if (!IsMessageShowing(kNoDeviceNotice)) {
        ShowMessageBox(this, {}, kNoDeviceNotice);
    }
}

void CMainWnd::HideWindow() {
    if (ui::CTrayIcon::IsSystemTrayAvailable()) {
        ShowWindow(false);
        return;
    }
    if (!m_reportedNoTray) {
        m_reportedNoTray = true;
        std::fputs(
            "varlok: this desktop has no system tray, so the window stays on screen "
            "instead of hiding in the tray\n",
            stderr);
    }
}

void CMainWnd::BringToFront() {
    ShowWindow(true);
    SendMessage(ui::WM_SYSCOMMAND, ui::SC_RESTORE);
    SetTopmost(true);
    std::this_thread::sleep_for(kTopmostPause);
    SetTopmost(false);
    GetPaintManager().Invalidate();
}

bool CMainWnd::IsAnyLinkConnected() const {
    return m_session.IsAnyLinkConnected();
}

void CMainWnd::ChangeLanguage(const LanguageRow& language) {
    LoadInterfaceLanguage(language);
    m_language.Store(language);
    CheckLanguageItem(language.index);
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

void CMainWnd::StartTimer(WindowTimer timer) {
    GetHandle().SetTimer(TimerId(timer), static_cast<unsigned>(TimerPeriod(timer).count()));
}

void CMainWnd::KillTimer(WindowTimer timer) {
    GetHandle().KillTimer(TimerId(timer));
}

void CMainWnd::SetControlVisible(std::string_view name, bool visible) {
    if (auto* control = GetPaintManager().FindControl(name)) {
        control->SetVisible(visible);
    }
}

void CMainWnd::OnboardProfileSwitched() {
    // The model shows the pages the new profile's record once the switch
    // returns.
    SetControlVisible("ms_tab_function", false);
}

void CMainWnd::SaveStarted() {
    SendMessage(MessageNumber(WindowMessage::SaveStarted));
}

void CMainWnd::SaveFinished() {
    SendMessage(MessageNumber(WindowMessage::SaveFinished));
}

}  // namespace varlok::app
