#include "app/mainwnd.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/desktopaccess.h"
#include "app/mainwindowhandle.h"
#include "app/mainwindowlayouts.h"
#include "app/msgwnd.h"
#include "app/windowmonitorhost.h"
#include "device/notificationmonitor.h"
#include "device/presencemonitor.h"
#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "sim/virtualmouse.h"
#include "ui/circleprogressui.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/devicekeybuttonui.h"
#include "ui/dialogbuilder.h"
#include "ui/optionui.h"
#include "ui/resourcemanager.h"
#include "ui/tablayoutui.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using namespace std::chrono_literals;
using device::WindowMessage;
using device::WindowTimer;

// The configuration collection every link looks for, and the three devices.
constexpr std::uint16_t kVendorId = 0x0C45;
constexpr std::uint16_t kMouseProductId = 0x7643;
constexpr std::uint16_t kMousepadProductId = 0x5004;
constexpr std::uint16_t kKeyboardProductId = 0x6556;
constexpr std::uint16_t kConfigurationUsage = 0x92;
constexpr std::uint16_t kConfigurationUsagePage = 0xFF1C;

// Pauses the start-up and the bring-to-front sequence keep: the links settle
// before the workers start, and a raised window stays on top long enough
// for the desktop to take it to the front.
constexpr auto kLinkSettlePause = 100ms;
constexpr auto kWorkerStartPause = 20ms;
constexpr auto kTopmostPause = 10ms;

// The lighting page's palette starts at the program's accent colour.
constexpr ui::Argb kInitialPaletteColour = ui::MakeArgb(0xFF, 0x01, 0x99, 0xCB);

// The page of tab_switch shown while no device is connected.
constexpr int kWaitingPage = 0;

constexpr std::string_view kNoDeviceNotice = "message_text_1";
constexpr std::string_view kUnsavedMacroNotice = "message_text_3";
constexpr std::string_view kMouseRemovedNotice = "message_text_20";

// The function tabs whose focus hides the profile panel.
constexpr std::array<std::string_view, 5> kFunctionTabs{
    "ms_deng_Op_tab", "ms_key_Op_tab", "ms_rich_Op_tab", "ms_macro_Op_tab", "ms_cursor_Op_tab"};

// Containers that start hidden. They are hidden here rather than by the
// layout: a container the layout builds hidden keeps its children hidden
// after it is shown.
constexpr std::array<std::string_view, 4> kHiddenAtStart{
    "ms_tab_panel", "setting_progress", "ms_tab_function", "ms_macro_tab_saveorcancel"};

bool IsFunctionTab(std::string_view name) {
    return std::ranges::find(kFunctionTabs, name) != kFunctionTabs.end();
}

std::string_view SenderName(const ui::TNotifyUI& msg) {
    return msg.pSender != nullptr ? std::string_view(msg.pSender->GetName()) : std::string_view();
}

}  // namespace

CMainWnd::CMainWnd(Environment environment)
    : m_environment(std::move(environment)),
      m_language(m_environment.mainIni, platform::Registry(m_environment.registryFile)),
      m_keyboardLink(m_environment.bus),
      m_mouseLink(m_environment.bus),
      m_mousepadLink(m_environment.bus) {}

CMainWnd::~CMainWnd() {
    ui::CMenuWnd::DestroyMenu();
    m_popupMenu.reset();
    StopWorkers();
    if (MainWindowHandle() == GetHandle() && GetHandle().Id() != 0) {
        SetMainWindowHandle({});
    }
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

    for (std::size_t i = 0; i < m_keyDisplays.size(); ++i) {
        ui::CControlUI* key = manager.FindControl("ms_dkey_" + std::to_string(i));
        m_keyDisplays[i] = key;
        if (key != nullptr) {
            key->SetIsChangerColor(true);
            key->SetChangerAlpha(0);
        }
    }

    for (const std::string_view name : kHiddenAtStart) {
        SetControlVisible(name, false);
    }

    SetMainWindowHandle(GetHandle());

    if (auto* palette = manager.FindControl<ui::CColorPaletteUI>("ms_deng_Color_Pallet")) {
        palette->SetSelectColor(kInitialPaletteColour);
    }

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
        OnClick(msg);
    } else if (msg.sType == ui::msgtype::kSelectChanged) {
        if (OnSelectChanged(msg)) {
            RouteToOwners(NotifyOwners(msg.sType), msg);
        }
    } else if (msg.sType == ui::msgtype::kSetFocus) {
        if (IsFunctionTab(sender)) {
            SetControlVisible("ms_profile_fun_spead_tab", false);
        }
    } else {
        RouteToOwners(NotifyOwners(msg.sType), msg);
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    const auto match = FindClickRoute(SenderName(msg));
    if (!match) {
        return;
    }
    switch (match->route.action) {
        case ClickAction::ToOwner:
            RouteToOwner(match->route.owner, msg);
            break;
        case ClickAction::MainMenu:
            OpenMainMenu();
            break;
        case ClickAction::InterfaceScale:
            GetPaintManager().SetDPI(platform::ParseDecimal(msg.pSender->GetUserData()));
            break;
        case ClickAction::SelectOnboardProfile:
            m_exchange.SelectOnboardProfile(*match->number);
            break;
        case ClickAction::SaveToDevice:
            m_exchange.SaveToDevice();
            break;
    }
}

bool CMainWnd::OnSelectChanged(ui::TNotifyUI& msg) {
    const std::string_view sender = SenderName(msg);
    const auto page = FindPageRoute(sender);
    // Only a selection switches pages; the options of a group that lose
    // their selection report it too.
    if (!page || msg.wParam == 0) {
        return true;
    }
    auto& manager = GetPaintManager();
    const ui::CControlUI* unsavedBar = manager.FindControl("ms_macro_tab_saveorcancel");
    if (unsavedBar != nullptr && unsavedBar->IsVisible() && sender != "ms_macro_Op_tab" &&
        sender != "ms_tab") {
        for (const std::string_view option : {"ms_macro_Op_tab", "ms_tab"}) {
            if (auto* control = manager.FindControl<ui::COptionUI>(option)) {
                control->Selected(true, true);
            }
        }
        ShowMessageBox(this, {}, kUnsavedMacroNotice);
        return false;
    }
    Request(OwnerRequest::RemoveRecordingHooks);
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

void CMainWnd::RouteToOwners(std::span<const RouteOwner> owners, ui::TNotifyUI& msg) {
    for (const RouteOwner owner : owners) {
        if (owner != RouteOwner::MainWindow) {
            RouteToOwner(owner, msg);
        }
    }
}

void CMainWnd::RouteToOwner(RouteOwner owner, ui::TNotifyUI& /*msg*/) {
    // The one place where notifications leave the window for the page logic.
    // Of the owners, only this window and the device settings are built, and
    // both are served where their routes are handled; a page that is built
    // gets its call here.
    static_cast<void>(owner);
}

void CMainWnd::Request(OwnerRequest request) {
    // As RouteToOwner, for the requests the window makes of other owners.
    static_cast<void>(RequestOwners(request));
}

std::unique_ptr<ui::CControlUI> CMainWnd::CreateControl(std::string_view className) {
    const auto entry = FindLayoutClass(className);
    if (!entry) {
        return nullptr;
    }
    switch (entry->kind) {
        case LayoutClassKind::SubLayout: {
            ui::CDialogBuilder builder;
            auto page = builder.Create(entry->file, this, &GetPaintManager());
            if (!page) {
                platform::DebugOutput::Write("layout " + std::string(entry->file) +
                                             " not built: " + builder.GetLastError());
            }
            return page;
        }
        case LayoutClassKind::CircleProgress:
            return std::make_unique<ui::CCircleProgressUI>();
        case LayoutClassKind::DeviceKeyButton:
            return std::make_unique<ui::CDeviceKeyButtonUI>();
    }
    return nullptr;
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
    Request(OwnerRequest::InitialisePageData);
    InitLinks();
    std::this_thread::sleep_for(kLinkSettlePause);
    m_language.CopyRegistryToMainIni();
    HideWindow();
    std::this_thread::sleep_for(kWorkerStartPause);
    StartWorkers();
    const auto handle = GetHandle();
    for (const WindowTimer timer : {WindowTimer::FlushSettings, WindowTimer::Repaint,
                                    WindowTimer::KeyboardSync, WindowTimer::MousepadSync}) {
        handle.SetTimer(device::TimerId(timer),
                        static_cast<unsigned>(device::TimerPeriod(timer).count()));
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

void CMainWnd::InitLinks() {
    m_mouseLink.Init(kVendorId, kMouseProductId, kConfigurationUsage, kConfigurationUsagePage);
    m_mousepadLink.Init(kVendorId, kMousepadProductId, kConfigurationUsage,
                        kConfigurationUsagePage);
    m_keyboardLink.Init(kVendorId, kKeyboardProductId, kConfigurationUsage,
                        kConfigurationUsagePage);
}

void CMainWnd::StartWorkers() {
    const ui::WindowHandle sendHandle = m_monitorRelay.Open();
    m_monitorHost =
        std::make_unique<WindowMonitorHost>(GetHandle(), sendHandle, m_environment.activateMessage);
    m_presenceMonitor = std::make_unique<device::PresenceMonitor>(m_mouseLink, *m_monitorHost,
                                                                  m_environment.mouseProfileStore);
    m_mouseNotifications = std::make_unique<device::NotificationMonitor>(
        device::NotificationSource::Mouse, *m_monitorHost, m_environment.bus);
    m_keyboardNotifications = std::make_unique<device::NotificationMonitor>(
        device::NotificationSource::Keyboard, *m_monitorHost, m_environment.bus);

    const auto slot = [this](WorkerSlot which) -> platform::WorkerThread& {
        return m_workers[static_cast<std::size_t>(which)];
    };
    auto* presence = m_presenceMonitor.get();
    auto* mouse = m_mouseNotifications.get();
    auto* keyboard = m_keyboardNotifications.get();
    static_cast<void>(slot(WorkerSlot::PresenceMonitor).Start([presence](platform::Event& stop) {
        presence->Run(stop);
    }));
    static_cast<void>(slot(WorkerSlot::MouseNotifications)
                          .Start([mouse](platform::Event& stop) { mouse->Run(stop); },
                                 [mouse] { mouse->Wake(); }));
    static_cast<void>(slot(WorkerSlot::KeyboardNotifications)
                          .Start([keyboard](platform::Event& stop) { keyboard->Run(stop); },
                                 [keyboard] { keyboard->Wake(); }));
    // WorkerSlot::LightingWorker and WorkerSlot::ApplicationLinkWatcher stay
    // empty until their owners are built.
}

bool CMainWnd::HaveWorkersEnded() const {
    return std::ranges::all_of(m_workers,
                               [](const platform::WorkerThread& w) { return w.HasEnded(); });
}

void CMainWnd::StopWorkers() {
    if (m_workersStopped) {
        return;
    }
    m_workersStopped = true;
    // A monitor waiting in a send is answered now, and later sends return at
    // once: the UI thread is about to wait for the monitors.
    m_monitorRelay.Close();
    std::vector<platform::WorkerThread*> workers;
    for (auto& worker : m_workers) {
        workers.push_back(&worker);
    }
    const auto outcome = platform::StopWorkers(workers, 1000ms);
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
    if (message >= MessageNumber(MonitorControlMessage::SelectDeviceProfile) &&
        message <= MessageNumber(MonitorControlMessage::HideSameModeOption)) {
        handled = true;
        OnMonitorControl(message, wParam);
        return 0;
    }
    if (DelegatedMessageOwner(message)) {
        // Recording hooks, the keyboard's events and deactivation belong to
        // owners that are not built; the library's default handling applies.
        handled = false;
        return 0;
    }
    if (const auto known = device::FindWindowMessage(message)) {
        handled = true;
        OnDeviceMessage(*known, wParam, lParam);
        return 0;
    }
    handled = false;
    return 0;
}

void CMainWnd::OnDeviceMessage(WindowMessage message, ui::WParam wParam, ui::LParam lParam) {
    switch (message) {
        case WindowMessage::TrayIcon:
            OnTrayIcon(lParam);
            break;
        case WindowMessage::MenuCommand:
            OnMenuCommand(wParam);
            break;
        case WindowMessage::MouseChanged:
            m_exchange.SyncDevice();
            Request(OwnerRequest::RefreshMousePage);
            break;
        case WindowMessage::SaveStarted:
            SetControlVisible("setting_progress", true);
            break;
        case WindowMessage::SaveFinished:
            GetHandle().SetTimer(
                device::TimerId(WindowTimer::HideSaveProgress),
                static_cast<unsigned>(device::TimerPeriod(WindowTimer::HideSaveProgress).count()));
            break;
        case WindowMessage::MouseRemoved:
            OnMouseRemoved();
            break;
        default:
            // The hook and keyboard messages are delegated before this.
            break;
    }
}

void CMainWnd::OnTimerMessage(std::uintptr_t id) {
    const auto timer = device::FindWindowTimer(id);
    if (!timer) {
        return;
    }
    const auto* info = device::TimerInfo(*timer);
    if (info != nullptr && info->kind == device::TimerKind::OneShot) {
        KillTimer(*timer);
    }
    switch (*timer) {
        case WindowTimer::HideSaveProgress:
            SetControlVisible("setting_progress", false);
            break;
        case WindowTimer::FlushSettings:
            m_exchange.FlushSettings();
            break;
        case WindowTimer::RepaintAfterShow:
            GetPaintManager().Invalidate();
            break;
        case WindowTimer::ReadMouseConfiguration:
            m_exchange.SyncDevice();
            Request(OwnerRequest::RefreshMousePage);
            Request(OwnerRequest::RefreshKeyPage);
            if (m_environment.onMouseRead) {
                m_environment.onMouseRead();
            }
            break;
        case WindowTimer::Repaint:
            GetPaintManager().RepaintChanged();
            GetHandle().SetTimer(id, static_cast<unsigned>(info->laterPeriod.count()));
            break;
        case WindowTimer::RereadMouseRecord:
            m_exchange.RefreshCurrentRecord();
            Request(OwnerRequest::RefreshMousePage);
            break;
        case WindowTimer::KeyboardSync:
        case WindowTimer::MousepadSync:
        case WindowTimer::SendLightingFrame:
            // Delegated (see DelegatedTimers); their owners are not built, and
            // the keyboard and mousepad never connect.
            break;
    }
}

void CMainWnd::OnMonitorControl(ui::MessageId message, ui::WParam wParam) {
    auto& manager = GetPaintManager();
    switch (static_cast<MonitorControlMessage>(message)) {
        case MonitorControlMessage::SelectDeviceProfile:
            if (auto* combo = manager.FindControl<ui::CComboUI>("ms_device_profile_combo")) {
                const int index = static_cast<int>(wParam);
                if (index < combo->GetCount() && index != combo->GetCurSel()) {
                    combo->SelectItem(index, false, true);
                }
            }
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
    }
}

void CMainWnd::OnActivateRequest() {
    if (IsAnyLinkConnected()) {
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
        if (!IsAnyLinkConnected()) {
            HideWindow();
            ShowNoDeviceNotice();
            return;
        }
        if (CountsAsShown()) {
            HideWindow();
            return;
        }
        BringToFront();
        GetHandle().SetTimer(
            device::TimerId(WindowTimer::RepaintAfterShow),
            static_cast<unsigned>(device::TimerPeriod(WindowTimer::RepaintAfterShow).count()));
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
    ui::UiPoint point = CursorPosition();
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
    if (ui::CMenuWnd* menu = OpenMenu("menu.xml", CursorPosition())) {
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
    for (const auto& [item, code] : kEventItems) {
        if (name == item.name) {
            mouse->PressEvent(code);
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
    return m_keyboardLink.IsConnected() || m_mouseLink.IsConnected() ||
           m_mousepadLink.IsConnected();
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
    m_trayIcon.Delete();
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

void CMainWnd::KillTimer(WindowTimer timer) {
    GetHandle().KillTimer(device::TimerId(timer));
}

void CMainWnd::SetControlVisible(std::string_view name, bool visible) {
    if (auto* control = GetPaintManager().FindControl(name)) {
        control->SetVisible(visible);
    }
}

void CMainWnd::TakeMouseZoneSlot(std::uint8_t /*slot*/) {
    // The lighting model keeps the zone selector; until it is built the
    // value stays in record table entry 0, where the read put it.
    Request(OwnerRequest::TakeMouseZoneSlot);
}

void CMainWnd::SaveDeviceProfile() {
    Request(OwnerRequest::SaveDeviceProfile);
}

void CMainWnd::SaveLightingProfile() {
    Request(OwnerRequest::SaveLightingProfile);
}

void CMainWnd::HideFunctionTab() {
    SetControlVisible("ms_tab_function", false);
}

void CMainWnd::RefreshMousePage() {
    Request(OwnerRequest::RefreshMousePage);
}

void CMainWnd::Send(WindowMessage message) {
    SendMessage(device::MessageNumber(message));
}

settings::UploadResult CMainWnd::UploadCursorScripts() {
    // Without the cursor script owner there is no script table to send; the
    // save goes on with the key table.
    Request(OwnerRequest::UploadCursorScripts);
    return settings::UploadResult::Sent;
}

settings::UploadResult CMainWnd::UploadMacroTable() {
    Request(OwnerRequest::UploadMacroTable);
    return settings::UploadResult::Sent;
}

}  // namespace varlok::app
