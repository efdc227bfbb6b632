#include "app/application.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/datafolder.h"
#include "app/dialoghooks.h"
#include "app/mainwindowhandle.h"
#include "app/mainwindowmessages.h"
#include "app/mainwnd.h"
#include "device/hidbus.h"
#include "platform/debugoutput.h"
#include "platform/desktopsettings.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "platform/startupphases.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmousestatefile.h"
#include "ui/customcontrols.h"
#include "ui/desktopaccess.h"
#include "ui/messagetarget.h"
#include "ui/paintmanagerui.h"
#include "ui/resourcemanager.h"
#include "ui/trayicon.h"
#include "ui/uiapplication.h"
#include "ui/windowhandle.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

using namespace std::chrono_literals;

// Without a mouse the picture is taken after this long, of the window as it
// is then.
constexpr auto kScreenshotDeadline = 20s;

// For scripted runs and tests that must not meet a running instance.
constexpr const char* kInstanceNameVariable = "VARLOK_INSTANCE_NAME";

// Takes the --screenshot picture once the mouse has been read (or at the
// deadline), then closes the main window, which ends the program. With
// several frames, the pictures follow the lighting once it runs. UI thread.
class ScreenshotTask : public ui::MessageTarget {
public:
    static constexpr ui::MessageId kTakeMessage = 0x8101;
    static constexpr std::uintptr_t kDeadlineTimer = 1;
    static constexpr std::uintptr_t kLightingStartTimer = 2;
    static constexpr std::uintptr_t kFrameTimer = 3;
    // The lighting worker renders its first frame 3 s after the window
    // starts its workers; the mouse is read about then.
    static constexpr auto kLightingStartWait = 4s;
    static constexpr auto kFramePeriod = 50ms;

    ScreenshotTask(CMainWnd& window, std::filesystem::path file, int frames)
        : m_window(window), m_file(std::move(file)), m_frames(frames) {}
    ~ScreenshotTask() override { ui::WindowHandle::Unregister(m_handle); }
    ScreenshotTask(const ScreenshotTask&) = delete;
    ScreenshotTask& operator=(const ScreenshotTask&) = delete;

    void Arm() {
        m_handle = ui::WindowHandle::Register(*this);
        SetTimer(kDeadlineTimer, kScreenshotDeadline);
    }
    // After a read of the mouse: the picture is taken once the handler that
    // read it has returned and the pages show the result.
    void OnMouseRead() { m_handle.Post(kTakeMessage); }
    [[nodiscard]] bool Failed() const { return m_failed; }

    ui::LResult HandleMessage(ui::MessageId message, ui::WParam wParam, ui::LParam /*lParam*/,
                              bool& handled) override {
        handled = message == kTakeMessage || message == ui::WM_TIMER;
        if (!handled) {
            return 0;
        }
        const bool deadline = message == ui::WM_TIMER && wParam == kDeadlineTimer;
        if (message == kTakeMessage || deadline) {
            if (m_started) {
                return 0;
            }
            m_started = true;
            m_handle.KillTimer(kDeadlineTimer);
            if (deadline) {
                std::fputs(
                    "varlok: no mouse was read in time; the picture shows the window "
                    "without it\n",
                    stderr);
            }
            if (m_frames == 1) {
                TakeAndClose();
            } else {
                SetTimer(kLightingStartTimer, kLightingStartWait);
            }
        } else if (wParam == kLightingStartTimer) {
            m_handle.KillTimer(kLightingStartTimer);
            m_window.ShowWindow(true, false);
            SetTimer(kFrameTimer, kFramePeriod);
        } else if (wParam == kFrameTimer) {
            TakeFrame();
        }
        return 0;
    }

private:
    void SetTimer(std::uintptr_t id, std::chrono::milliseconds period) {
        m_handle.SetTimer(id, static_cast<unsigned>(period.count()));
    }

    void TakeAndClose() {
        m_window.ShowWindow(true, false);
        Save(m_file);
        m_window.Close();
    }

    // Frame n goes to FILE's stem, "-" and n in three digits, and its
    // extension.
    void TakeFrame() {
        ++m_taken;
        char number[16];
        std::snprintf(number, sizeof number, "-%03d", m_taken);
        std::filesystem::path frame = m_file;
        frame.replace_filename(m_file.stem().string() + number + m_file.extension().string());
        if (!Save(frame) || m_taken >= m_frames) {
            m_handle.KillTimer(kFrameTimer);
            m_window.Close();
        }
    }

    bool Save(const std::filesystem::path& file) {
        if (ui::SaveWindowPicture(m_window, file)) {
            return true;
        }
        std::fprintf(stderr, "varlok: cannot write the picture to %s\n", file.string().c_str());
        m_failed = true;
        return false;
    }

    CMainWnd& m_window;
    std::filesystem::path m_file;
    const int m_frames;
    ui::WindowHandle m_handle;
    bool m_started = false;
    int m_taken = 0;
    bool m_failed = false;
};

std::string InstanceName() {
    const char* name = std::getenv(kInstanceNameVariable);
    return name != nullptr && *name != '\0' ? std::string(name)
                                            : std::string(Application::kInstanceName);
}

}  // namespace

platform::SingleInstance::WakeCallback WakeMainWindow(ui::MessageId activateMessage) {
    return [activateMessage](const std::string& message) {
        if (message == kActivateMessageName) {
            MainWindowHandle().Post(activateMessage);
        }
    };
}

struct Application::Impl {
    Impl(int& argc, char** argv, StartOptions startOptions)
        : options(std::move(startOptions)), ui(argc, argv) {}

    StartOptions options;
    ui::UiApplication ui;
};

Application::Application(int& argc, char** argv, StartOptions options) {
    if (NeedsOffscreenPlatform()) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    m_impl = std::make_unique<Impl>(argc, argv, std::move(options));
    platform::MarkStartupPhase("Qt application");
}

Application::~Application() = default;

int Application::Run() {
    const ui::MessageId activate = ui::RegisterWindowMessage(kActivateMessageName);
    platform::DebugOutput::Write("软件标示：" + std::to_string(activate));
    if (activate < ui::kFirstRegisteredMessage || activate > ui::kLastRegisteredMessage) {
        return 0;
    }

    platform::SingleInstance instance(InstanceName(), WakeMainWindow(activate));
    // A run for a picture only learns that another instance runs (an empty
    // message wakes nobody): the picture it was asked for is not taken, and
    // a script must hear that rather than find no file.
    const auto& pictureFile = m_impl->options.screenshot;
    if (instance.Acquire(pictureFile ? std::string_view() : kActivateMessageName) ==
        platform::SingleInstance::AcquireResult::AlreadyRunning) {
        if (pictureFile) {
            std::fprintf(stderr,
                         "varlok: another varlok is running; no picture was written to %s "
                         "(close it first)\n",
                         pictureFile->string().c_str());
            return 1;
        }
        return 0;
    }

    const std::filesystem::path install = platform::InstallFolder();
    ui::CPaintManagerUI::SetInstancePath(install.string());
    ui::CPaintManagerUI::SetResourcePath((install / "skin").string());
    auto& resources = ui::CResourceManager::GetInstance();
    if (!resources.LoadResource("res.xml")) {
        std::fprintf(stderr,
                     "varlok: cannot read %s; set VARLOK_INSTALL_DIR to the folder "
                     "that holds skin/\n",
                     (install / "skin" / "res.xml").string().c_str());
        return 1;
    }
    ui::RegisterCustomControls();
    platform::MarkStartupPhase("skin read");
    ui::SetApplicationIcon(install / "skin" / "mouse" / "varlok.svg");

    CMainWnd::Environment environment;
    environment.bus = device::HidBus::System();
    environment.bus->SetOwnerLocks(device::SystemOwnerLocks(device::kWindowProgram));
    // Outlives the window, so that the last change of the mouse's memory is
    // saved after the window let go of the mouse.
    std::optional<sim::VirtualMouseStateFile> mouseMemory;
    if (m_impl->options.simulate) {
        environment.virtualMouse = sim::AttachVirtualMouse(*environment.bus);
        // As a device: it answers on a thread of its own, and keeps no log
        // of the reports (nothing in the program reads one, and a day of
        // streamed lighting would fill it).
        environment.virtualMouse->AnswerOnOwnThread();
        environment.virtualMouse->SetLogLimit(0);
        mouseMemory.emplace(environment.virtualMouse, sim::VirtualMouseStateFile::DefaultPath(),
                            m_impl->options.simulateFresh
                                ? sim::VirtualMouseStateFile::Start::Fresh
                                : sim::VirtualMouseStateFile::Start::Stored);
        if (m_impl->options.simulateLocked) {
            sim::VirtualMouse::Faults faults = environment.virtualMouse->CurrentFaults();
            faults.refuseOpen = true;
            environment.virtualMouse->SetFaults(faults);
        }
    }
    environment.activateMessage = activate;
    environment.mainIni = MainIniFile();
    environment.registryFile = platform::Registry::DefaultFile();
    environment.mouseDataFolder = MouseDataFolder();
    environment.installFolder = install;
    environment.desktop = platform::OpenDesktopSettings();
    InstallShellHooks(environment.shellHooks, environment.mainIni);

    environment.startPage = m_impl->options.page;
    environment.startHidden = m_impl->options.hidden;
    // The window owns the mouse: everything else reaches it through the
    // window's service on the session bus.
    environment.busServiceAddress = std::string();
    // Declared before the window, whose timer handler calls it.
    std::unique_ptr<ScreenshotTask> screenshot;
    if (m_impl->options.screenshot) {
        environment.onMouseRead = [&screenshot] {
            if (screenshot) {
                screenshot->OnMouseRead();
            }
        };
    }
    int result = 0;
    {
        CMainWnd window(environment);
        if (!window.Create(nullptr, CMainWnd::kTitle)) {
            std::fputs("varlok: the main window's layout could not be built\n", stderr);
            return 1;
        }
        platform::MarkStartupPhase("window built");
        window.CenterWindow();
        // A start that stays in the tray shows no window on the way there.
        if (!m_impl->options.hidden || !ui::CTrayIcon::IsSystemTrayAvailable()) {
            window.ShowWindow(true);
        }
        if (m_impl->options.screenshot) {
            screenshot = std::make_unique<ScreenshotTask>(window, *m_impl->options.screenshot,
                                                          m_impl->options.frames);
            screenshot->Arm();
        }
        ui::CPaintManagerUI::MessageLoop();
        if (screenshot && screenshot->Failed()) {
            result = 1;
        }
        screenshot.reset();
    }
    resources.Release();
    return result;
}

}  // namespace varlok::app
