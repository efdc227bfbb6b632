// Profiles that follow the program in front, from the desktop to the mouse.
//
// BM_LinkedProgramToWire: an X server of the benchmark's own (Xvfb), where
// the benchmark plays the window manager and sets _NET_ACTIVE_WINDOW on the
// root window, alternately to a window of a linked program and to one of its
// own. The X11 backend tells the program in front, the link watcher wakes and
// posts to a stand-in for the UI thread, which picks the entry, loads the
// profile and writes the settings record to the virtual mouse (2 ms per
// exchange, as one 1 ms poll for the request and one for the answer). Each
// iteration is the time from the property change reaching the X server to the
// WriteSettings answered by the mouse; the counters give the median and the
// 95th percentile (goal: at most 150 ms).
//
// BM_WatcherIdleCpu: the backend and the watcher for two seconds in which
// nothing changes; the counter is the process's CPU time per second of wall
// time (goal: about zero).
//
// BM_SwayFocusToWire and BM_SwayIdleCpu: the same with Sway headless (the
// tests' helper that starts it) and two client windows of two programs,
// focus moved by a "[pid=N] focus" command on Sway's IPC socket; the Sway
// backend tells the program in front. Skipped where sway is not installed.

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/support/linkeddeviceprofiles.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "latencysamples.h"
#include "platform/childprocess.h"
#include "platform/event.h"
#include "platform/filedescriptor.h"
#include "platform/inifile.h"
#include "platform/jsonvalue.h"
#include "platform/localsocket.h"
#include "platform/swayforegroundprogram.h"
#include "platform/swayipc.h"
#include "platform/x11foregroundprogram.h"
#include "profiles/applicationlinks.h"
#include "profiles/applicationlinkwatcher.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"
#include "swaysession.h"
#include "virtualmouselink.h"
#include "xvfbserver.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// X.h's Success would hide the link's LinkResult::Success.
#undef Success

extern char** environ;

namespace {

using namespace std::chrono_literals;
using varlok::profiles::ProfileCategory;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds kPollsPerExchange{2000};

// A process to link to: sleep, for as long as the benchmark runs.
class LinkedProgram {
public:
    LinkedProgram() {
        char sleep[] = "sleep";
        char seconds[] = "600";
        char* argv[] = {sleep, seconds, nullptr};
        if (::posix_spawnp(&m_pid, "sleep", nullptr, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
    }
    ~LinkedProgram() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    LinkedProgram(const LinkedProgram&) = delete;
    LinkedProgram& operator=(const LinkedProgram&) = delete;
    [[nodiscard]] pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// The window manager's part: one window per process, made active on demand.
class WindowManager {
public:
    explicit WindowManager(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}
    ~WindowManager() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    [[nodiscard]] bool Open() const { return m_display != nullptr; }

    // A window that names pid as its process.
    [[nodiscard]] Window WindowOf(long pid) {
        const Window window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 10, 10, 0, 0, 0);
        XChangeProperty(m_display, window, XInternAtom(m_display, "_NET_WM_PID", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XSync(m_display, False);
        return window;
    }
    // Returns once the X server has taken the change.
    void Activate(Window window) {
        const long value = static_cast<long>(window);
        XChangeProperty(m_display, DefaultRootWindow(m_display),
                        XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

// Two device profiles, "Desk" (the user's own) and "Game" (linked to the
// program), in a data folder of the benchmark's own.
struct ProfileFolder {
    explicit ProfileFolder(const std::string& programPath) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varlok-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        folder = pattern;
        ok = varlok::app::testing::WriteLinkedDeviceProfiles(folder, programPath);
    }
    ~ProfileFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    ProfileFolder(const ProfileFolder&) = delete;
    ProfileFolder& operator=(const ProfileFolder&) = delete;

    std::filesystem::path folder;
    bool ok = false;
};

// The UI thread's part of following the program in front: requests queue
// up and are handled one after the other on a thread of their own.
class FollowingThread {
public:
    FollowingThread(varlok::platform::ForegroundProgram& foreground,
                    varlok::profiles::ProfileStore& store, varlok::settings::MouseMirror& mirror,
                    varlok::device::DeviceLink& link)
        : m_foreground(foreground), m_store(store), m_mirror(mirror), m_link(link) {
        m_thread = std::thread([this] { Run(); });
    }
    ~FollowingThread() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    FollowingThread(const FollowingThread&) = delete;
    FollowingThread& operator=(const FollowingThread&) = delete;

    // Watcher thread: queue one request.
    void Post() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_requests;
        }
        m_wake.notify_all();
    }

    // Waits until the mouse has the settings of entry index; false after
    // the timeout.
    bool WaitForEntry(int index, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_wake.wait_for(lock, timeout, [&] { return m_sentEntry == index; });
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (true) {
            m_wake.wait(lock, [this] { return m_stopping || m_requests > 0; });
            if (m_stopping) {
                return;
            }
            --m_requests;
            lock.unlock();
            const std::optional<int> sent = Follow();
            lock.lock();
            if (sent) {
                m_sentEntry = *sent;
                m_wake.notify_all();
            }
        }
    }

    // The entry linked to the program in front, else the user's own, loaded
    // and sent when it is not the one the mouse has.
    std::optional<int> Follow() {
        const int target = varlok::profiles::LinkedEntryFor(m_store.Ini(), ProfileCategory::Device,
                                                            2, m_foreground.Path())
                               .value_or(0);
        if (target == m_current) {
            return std::nullopt;
        }
        m_current = target;
        static_cast<void>(m_store.Load(ProfileCategory::Device, target));
        const auto record = m_mirror.settingsRecord.Snapshot();
        if (m_link.WriteSettings(record, 0) != varlok::device::LinkResult::Success) {
            return std::nullopt;
        }
        return target;
    }

    varlok::platform::ForegroundProgram& m_foreground;
    varlok::profiles::ProfileStore& m_store;
    varlok::settings::MouseMirror& m_mirror;
    varlok::device::DeviceLink& m_link;
    int m_current = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_requests = 0;
    int m_sentEntry = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

// The watcher on its own thread until the scope ends.
class WatcherThread {
public:
    WatcherThread(varlok::platform::ForegroundProgram& foreground,
                  varlok::profiles::ApplicationLinkWatcher::FollowRequest follow)
        : m_watcher(foreground, std::move(follow)), m_thread([this] { m_watcher.Run(m_stop); }) {}
    ~WatcherThread() {
        m_stop.Set();
        m_thread.join();
    }
    WatcherThread(const WatcherThread&) = delete;
    WatcherThread& operator=(const WatcherThread&) = delete;

private:
    varlok::platform::Event m_stop{true, false};
    varlok::profiles::ApplicationLinkWatcher m_watcher;
    std::thread m_thread;
};

// Alternately brings the linked program's window (activate(true)) and
// another one (activate(false)) to the front and times each from the request
// to the record on the mouse's wire.
template <typename Activate>
void MeasureFocusToWire(benchmark::State& state, varlok::platform::ForegroundProgram& foreground,
                        const ProfileFolder& profiles, Activate activate) {
    varlok::bench::VirtualMouseLink device(kPollsPerExchange);
    varlok::settings::MouseMirror mirror;
    varlok::profiles::ProfileStore store({profiles.folder, profiles.folder}, mirror);
    FollowingThread following(foreground, store, mirror, device.link);
    WatcherThread watcher(foreground, [&following] { following.Post(); });
    varlok::bench::LatencySamples samples;
    int entry = 0;
    for (auto _ : state) {
        entry = 1 - entry;
        const auto start = Clock::now();
        if (!activate(entry == 1)) {
            state.SkipWithError("the window could not be brought to the front");
            break;
        }
        if (!following.WaitForEntry(entry, 2s)) {
            state.SkipWithError("the mouse did not follow within 2 s");
            break;
        }
        samples.Add(state, Clock::now() - start);
    }
    samples.Report(state);
}

void BM_LinkedProgramToWire(benchmark::State& state) {
    const varlok::platform::testing::XvfbServer server;
    const LinkedProgram program;
    if (!server.Installed() || server.DisplayName().empty() || program.Pid() <= 0) {
        state.SkipWithError("Xvfb or the linked program did not start");
        return;
    }
    const std::optional<std::string> programPath =
        varlok::platform::X11ForegroundProgram::ExecutableOf(
            static_cast<std::uint32_t>(program.Pid()));
    const ProfileFolder profiles(programPath.value_or(""));
    WindowManager manager(server.DisplayName());
    if (!programPath || !profiles.ok || !manager.Open()) {
        state.SkipWithError("profiles or X connection not ready");
        return;
    }
    varlok::platform::X11ForegroundProgram foreground(server.DisplayName());
    const Window linkedWindow = manager.WindowOf(program.Pid());
    const Window ownWindow = manager.WindowOf(::getpid());
    manager.Activate(ownWindow);
    MeasureFocusToWire(state, foreground, profiles, [&](bool linked) {
        manager.Activate(linked ? linkedWindow : ownWindow);
        return true;
    });
}
BENCHMARK(BM_LinkedProgramToWire)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The backend and the watcher while nothing changes: the process's CPU time
// per second of wall time, and the follow requests made.
void MeasureIdleCpu(benchmark::State& state, varlok::platform::ForegroundProgram& foreground) {
    int requests = 0;
    double cpu = 0.0;
    double wall = 0.0;
    {
        WatcherThread watcher(foreground, [&requests] { ++requests; });
        std::this_thread::sleep_for(200ms);
        for (auto _ : state) {
            const double cpuStart = ProcessCpuSeconds();
            const auto wallStart = Clock::now();
            std::this_thread::sleep_for(2s);
            cpu += ProcessCpuSeconds() - cpuStart;
            wall += std::chrono::duration<double>(Clock::now() - wallStart).count();
        }
    }
    state.counters["cpu_percent"] = wall > 0.0 ? 100.0 * cpu / wall : 0.0;
    // One request at the start; none while nothing changes.
    state.counters["requests"] = requests;
}

void BM_WatcherIdleCpu(benchmark::State& state) {
    const varlok::platform::testing::XvfbServer server;
    if (!server.Installed() || server.DisplayName().empty()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    WindowManager manager(server.DisplayName());
    if (!manager.Open()) {
        state.SkipWithError("no X connection");
        return;
    }
    manager.Activate(manager.WindowOf(::getpid()));
    varlok::platform::X11ForegroundProgram foreground(server.DisplayName());
    MeasureIdleCpu(state, foreground);
}
BENCHMARK(BM_WatcherIdleCpu)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

// Sway headless with a window of the linked program and one of another,
// copies of the tests' client window under two names.
struct SwayDesktop {
    SwayDesktop() {
        if (!sway.Installed() || sway.SocketPath().empty()) {
            return;
        }
        gamePath = sway.CopyProgram(VARLOK_FOCUS_WINDOW, "game");
        for (const std::filesystem::path& program :
             {gamePath, sway.CopyProgram(VARLOK_FOCUS_WINDOW, "editor")}) {
            windows.push_back(std::make_unique<varlok::platform::testing::ChildProcess>(
                std::vector{program.string()}, sway.ClientEnvironment()));
            if (!windows.back()->WaitForOutput("shown", 20s)) {
                return;
            }
        }
        commands = varlok::platform::ConnectLocalSocket(sway.SocketPath());
        // Sway maps a window (and focuses it) only after the client's first
        // frame: the other window is put in front once Sway has it.
        const auto end = Clock::now() + 20s;
        while (commands.Valid() && !ready && Clock::now() < end) {
            ready = Focus(false);
        }
    }
    // Focuses the window of the game (or the other one), as a key binding
    // does; false when Sway has no such window (yet).
    bool Focus(bool game) {
        const std::string command =
            "[pid=" + std::to_string(windows[game ? 0 : 1]->Pid()) + "] focus";
        const std::optional<std::string> answer = varlok::platform::SwayRequest(
            commands.Get(), varlok::platform::swayipc::kRunCommand, command, 2s);
        const std::optional<varlok::platform::JsonValue> results =
            answer ? varlok::platform::JsonValue::Parse(*answer) : std::nullopt;
        return results && !results->Items().empty() &&
               results->Items().front().TrueMember("success");
    }

    varlok::platform::testing::SwaySession sway;
    std::filesystem::path gamePath;
    std::vector<std::unique_ptr<varlok::platform::testing::ChildProcess>> windows;
    varlok::platform::FileDescriptor commands;
    bool ready = false;
};

void BM_SwayFocusToWire(benchmark::State& state) {
    SwayDesktop desktop;
    if (!desktop.ready) {
        state.SkipWithError("sway is not installed (package sway) or did not start");
        return;
    }
    const ProfileFolder profiles(desktop.gamePath.string());
    varlok::platform::SwayForegroundProgram foreground(desktop.sway.SocketPath());
    MeasureFocusToWire(state, foreground, profiles,
                       [&](bool linked) { return desktop.Focus(linked); });
}
BENCHMARK(BM_SwayFocusToWire)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

void BM_SwayIdleCpu(benchmark::State& state) {
    SwayDesktop desktop;
    if (!desktop.ready) {
        state.SkipWithError("sway is not installed (package sway) or did not start");
        return;
    }
    varlok::platform::SwayForegroundProgram foreground(desktop.sway.SocketPath());
    MeasureIdleCpu(state, foreground);
}
BENCHMARK(BM_SwayIdleCpu)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
