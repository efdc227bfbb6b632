#include "monkeyworld.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <thread>

#include "app/dialoghooks.h"
#include "app/support/windowenvironment.h"
#include "platform/atomicfile.h"
#include "sim/virtualhidbackend.h"
#include "ui/trayicon.h"
#include "ui/windowhandle.h"

namespace varlok::soak {

namespace {

using namespace std::chrono_literals;

// Far beyond what any of it takes on a loaded machine under the sanitizers;
// only there so that a hang is reported rather than waited out.
constexpr auto kCloseGuard = 30s;
constexpr auto kAnswerGuard = 30s;
constexpr auto kReadGuard = 60s;
constexpr auto kUnplugGuard = 20s;
// Longer than the host's 300 ms read limit for an answer.
constexpr auto kSlowAnswer = 400ms;

bool Below(const std::filesystem::path& path, const std::filesystem::path& folder) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first ==
           folder.end();
}

}  // namespace

std::string_view NameOf(DeviceFault fault) {
    switch (fault) {
        case DeviceFault::Silent:
            return "silent";
        case DeviceFault::FailingWrites:
            return "failing writes";
        case DeviceFault::FailureStatus:
            return "status 0xFF";
        case DeviceFault::BusyStatus:
            return "status 0xFE";
        case DeviceFault::Garbage:
            return "garbage and short answers";
        case DeviceFault::SlowAnswers:
            return "answers too late";
        case DeviceFault::UnplugInTransfer:
            return "unplugged in a transfer";
        case DeviceFault::RefuseOpen:
            return "may not be opened";
    }
    return "?";
}

std::string_view NameOf(DiskFault fault) {
    switch (fault) {
        case DiskFault::Full:
            return "disk full";
        case DiskFault::ReadOnlyDocuments:
            return "documents folder read-only";
        case DiskFault::EveryThirdWrite:
            return "every third write fails";
    }
    return "?";
}

MonkeyWorld::MonkeyWorld(std::filesystem::path folder, std::filesystem::path install)
    : m_folder(std::filesystem::weakly_canonical(folder)),
      m_install(std::move(install)),
      m_statePath(m_folder / "run" / "varlok" / sim::VirtualMouseStateFile::kFileName) {
    // Without a tray the window never hides, so that every control stays in
    // reach; the unplugged mouse is shown on the window itself.
    ui::CTrayIcon::OverrideSystemTrayAvailable(false);
}

MonkeyWorld::~MonkeyWorld() {
    EndDiskFaults();
    if (m_mouse) {
        EndDeviceFaults();
    }
    Quit();
    ui::CTrayIcon::OverrideSystemTrayAvailable(std::nullopt);
}

void MonkeyWorld::Start() {
    m_mouse = sim::AttachVirtualMouse(*m_bus);
    // Nothing reads the log; a long run need not keep it.
    m_mouse->SetLogLimit(256);
    m_stateFile.emplace(m_mouse, m_statePath, sim::VirtualMouseStateFile::Start::Stored);
    app::CMainWnd::Environment environment =
        app::testing::TestWindowEnvironment(m_folder, m_install, m_bus);
    environment.virtualMouse = m_mouse;
    environment.foreground = m_foreground;
    environment.inputCapture = m_capture;
    environment.desktop = m_desktop;
    environment.onMouseRead = [this] {
        ++m_reads;
        if (m_onRead) {
            m_onRead();
        }
    };
    app::InstallShellHooks(environment.shellHooks, environment.mainIni);
    m_window = std::make_unique<app::CMainWnd>(std::move(environment));
    static_cast<void>(m_window->Create(nullptr, app::CMainWnd::kTitle));
    m_window->CenterWindow();
    m_window->ShowWindow(true);
    const int before = m_reads;
    ui::test::ProcessEvents();
    WaitForRead(before);
}

void MonkeyWorld::Replug(std::chrono::milliseconds pause) {
    m_mouse->Unplug();
    RunFor(pause);
    const int before = m_reads;
    m_mouse->Plug();
    WaitForRead(before);
}

void MonkeyWorld::WaitForRead(int before) {
    // A read the window started while the mouse answers as it should; what
    // the steps see then does not depend on the machine's pace.
    const sim::VirtualMouse::Faults faults = m_mouse->CurrentFaults();
    if (Running() && !faults.silent && !faults.failWrites && !faults.forcedStatus &&
        !faults.garbage && !faults.refuseOpen && faults.latency.count() == 0 &&
        !faults.unplugAfterReports) {
        static_cast<void>(
            ui::test::RunUntil([this, before] { return m_reads > before; }, kReadGuard));
    }
}

void MonkeyWorld::Quit() {
    if (m_window && m_window->IsWindow()) {
        m_window->Close();
        static_cast<void>(ui::test::RunUntil(
            [this] { return m_window->GetWindowWidget() == nullptr; }, kCloseGuard));
    }
    m_window.reset();
    ui::test::ProcessEvents();
    // As the program's end: the last change of the memory is saved.
    m_stateFile.reset();
}

bool MonkeyWorld::Running() const {
    return m_window && m_window->GetWindowWidget() != nullptr;
}

void MonkeyWorld::SetDeviceFault(DeviceFault fault, std::uint32_t afterReports) {
    sim::VirtualMouse::Faults faults;
    switch (fault) {
        case DeviceFault::Silent:
            faults.silent = true;
            break;
        case DeviceFault::FailingWrites:
            faults.failWrites = true;
            break;
        case DeviceFault::FailureStatus:
            faults.forcedStatus = 0xFF;
            break;
        case DeviceFault::BusyStatus:
            faults.forcedStatus = 0xFE;
            break;
        case DeviceFault::Garbage:
            faults.garbage = true;
            break;
        case DeviceFault::SlowAnswers:
            faults.latency = kSlowAnswer;
            break;
        case DeviceFault::UnplugInTransfer:
            faults.unplugAfterReports = afterReports;
            break;
        case DeviceFault::RefuseOpen:
            faults.refuseOpen = true;
            break;
    }
    m_mouse->SetFaults(faults);
    if (fault == DeviceFault::RefuseOpen) {
        m_mouse->Unplug();
        m_mouse->Plug();
    }
}

void MonkeyWorld::EndDeviceFaults() {
    const bool refused = m_mouse->CurrentFaults().refuseOpen;
    m_mouse->SetFaults({});
    if (refused) {
        m_mouse->Unplug();
        m_mouse->Plug();
    }
}

void MonkeyWorld::SetDiskFault(DiskFault fault) {
    m_diskFault = fault;
    ApplyDiskFault();
}

void MonkeyWorld::EndDiskFaults() {
    m_diskFault.reset();
    ApplyDiskFault();
}

void MonkeyWorld::ApplyDiskFault() {
    // A folder of the documents one may not write: a user's own program is
    // refused by the permissions, and the hook refuses it as well where the
    // permissions do not hold (a run as root).
    std::error_code error;
    const auto permissions =
        m_diskFault == DiskFault::ReadOnlyDocuments
            ? std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec
            : std::filesystem::perms::owner_all;
    for (const std::filesystem::path& folder : {m_folder, DataFolder()}) {
        std::filesystem::permissions(folder, permissions, std::filesystem::perm_options::replace,
                                     error);
    }
    if (!m_diskFault) {
        platform::SetProcessWriteFaults({});
        return;
    }
    const DiskFault fault = *m_diskFault;
    const std::filesystem::path documents = m_folder;
    const std::filesystem::path runtime = m_statePath.parent_path();
    auto writes = std::make_shared<std::atomic<unsigned>>(0);
    platform::SetProcessWriteFaults(
        [fault, documents, runtime, writes](const std::filesystem::path& target,
                                            platform::AtomicWriteStep step) {
            switch (fault) {
                case DiskFault::Full:
                    return step != platform::AtomicWriteStep::WriteData;
                case DiskFault::ReadOnlyDocuments:
                    return step != platform::AtomicWriteStep::CreateTemporary ||
                           !Below(target, documents) || Below(target, runtime);
                case DiskFault::EveryThirdWrite:
                    return step != platform::AtomicWriteStep::CreateTemporary || ++*writes % 3 != 0;
            }
            return true;
        });
}

void MonkeyWorld::RunFor(std::chrono::milliseconds time) {
    QElapsedTimer clock;
    clock.start();
    static_cast<void>(
        ui::test::RunUntil([&clock, time] { return clock.elapsed() >= time.count(); }, time));
}

std::vector<std::string> MonkeyWorld::CheckWindowAnswers() {
    if (!Running()) {
        return {"the window is gone"};
    }
    static const ui::MessageId ping = ui::RegisterWindowMessage("VARLOK_MONKEY_PING");
    std::atomic<bool> answered{false};
    std::thread caller([handle = m_window->GetHandle(), &answered] {
        static_cast<void>(handle.Send(ping));
        answered = true;
    });
    std::vector<std::string> faults;
    if (!ui::test::RunUntil([&answered] { return answered.load(); }, kAnswerGuard)) {
        faults.push_back("the window did not answer a message within 30 s");
        // The caller waits on; the watchdog ends a window that never answers.
        static_cast<void>(
            ui::test::RunUntil([&answered] { return answered.load(); }, std::chrono::hours(1)));
    }
    caller.join();
    return faults;
}

std::vector<std::string> MonkeyWorld::CheckStores() {
    const StoreCheck check =
        soak::CheckStores(DataFolder(), m_install, m_statePath,
                          Running() || m_diskFault ? StartFill::Skip : StartFill::Run);
    return check.faults;
}

std::vector<std::string> MonkeyWorld::CheckMirrorAfterFullRead() {
    if (!Running()) {
        return {};
    }
    EndDeviceFaults();
    m_mouse->Unplug();
    static_cast<void>(
        ui::test::RunUntil([this] { return !m_window->MouseLink().IsConnected(); }, kUnplugGuard));
    std::vector<std::string> faults;
    bool read = false;
    m_onRead = [this, &faults, &read] {
        faults = CompareMirror();
        read = true;
    };
    m_mouse->Plug();
    if (!ui::test::RunUntil([&read] { return read; }, kReadGuard)) {
        faults.push_back("the mouse was not read within 60 s of being plugged in");
    }
    m_onRead = {};
    return faults;
}

std::vector<std::string> MonkeyWorld::CompareMirror() const {
    const settings::MouseMirror& mirror = m_window->Mirror();
    std::vector<std::string> faults;
    if (mirror.deviceInfo.Raw() != m_mouse->DeviceInfo()) {
        faults.push_back("the mirror's information block is not the mouse's");
    }
    if (mirror.factoryKeyMap != m_mouse->FactoryKeyMap()) {
        faults.push_back("the mirror's factory key map is not the mouse's");
    }
    for (std::size_t index = 0; index < mirror.keySlots.size(); ++index) {
        if (mirror.keySlots[index] != m_mouse->StoredKeyBlock(index)) {
            faults.push_back("the mirror's key table " + std::to_string(index) +
                             " is not the mouse's");
        }
    }
    return faults;
}

}  // namespace varlok::soak
