// The running window's session-bus service, as its callers meet it.
//
// Both benchmarks start `varlok --simulate` (offscreen, with the report trace
// on) on a bus of their own (dbus-daemon) and talk to it with an in-process
// GDBus client.
//
// BM_SetDpiToWire: SetDpi on stage 3, alternately 2000 and 2250 DPI; each
// iteration is the time from the call to the whole settings record with the
// new stage code on the virtual mouse's wire (the window's trace). The call is
// carried to the window's UI thread and the record goes out with the next
// settings flush, so the time is bounded by the flush period of 100 ms. Each
// call waits a pseudo-random 0-99 ms first (not timed), so that the calls do
// not keep the phase of the flush the previous one ended with; the counters
// give the median and the 95th percentile (goal: p95 at most 110 ms).
//
// BM_ServiceIdleCpu: ten seconds in which nothing changes; the counters give
// the CPU time per second of wall time of the window's bus thread
// ("varlok-bus") and of GDBus's own worker thread ("gdbus") (goal: about
// zero).

#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "childprocess.h"
#include "latencysamples.h"
#include "privatebus.h"
#include "tracedreport.h"

namespace {

using namespace std::chrono_literals;
using varlok::platform::testing::ChildProcess;
using Clock = std::chrono::steady_clock;

constexpr const char* kName = "io.github.varlok.Varlok1";
constexpr const char* kPath = "/io/github/varlok/Varlok1";

// The window with the virtual mouse, its stores in a folder of its own, on a
// bus of the benchmark's own, and a client connection to that bus.
class RunningWindow {
public:
    RunningWindow() {
        char pattern[] = "/tmp/varlok-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr || !m_bus.Installed() || m_bus.Address().empty()) {
            return;
        }
        m_folder = pattern;
        m_program = std::make_unique<ChildProcess>(
            std::vector<std::string>{VARLOK_PROGRAM, "--simulate"},
            std::vector<std::string>{
                "QT_QPA_PLATFORM=offscreen",
                "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_SESSION_BUS_ADDRESS=" + m_bus.Address(),
                "XDG_RUNTIME_DIR=" + m_folder.string(),
                "VARLOK_DOCUMENTS_DIR=" + (m_folder / "documents").string(),
                "XDG_CONFIG_HOME=" + (m_folder / "config").string(),
                "VARLOK_INSTANCE_NAME=varlok-bench-" + std::to_string(::getpid()),
                "VARLOK_TRACE=1"});
        m_client = g_dbus_connection_new_for_address_sync(
            m_bus.Address().c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        // Ready once the window owns the mouse and says so.
        m_ready = m_client != nullptr && m_program->WaitUntil([this] { return Connected(); }, 30s);
    }
    ~RunningWindow() {
        if (m_program) {
            m_program->Terminate(20s);
        }
        if (m_client != nullptr) {
            g_object_unref(m_client);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    RunningWindow(const RunningWindow&) = delete;
    RunningWindow& operator=(const RunningWindow&) = delete;

    [[nodiscard]] bool Ready() const { return m_ready; }
    // Why not, for the benchmark's error.
    [[nodiscard]] std::string Trouble() const {
        if (!m_program) {
            return "no bus (dbus-daemon)";
        }
        const std::string& output = m_program->Output();
        return "the window did not start with its bus service and the mouse: " +
               output.substr(0, output.find("\n> "));
    }
    [[nodiscard]] ChildProcess& Program() { return *m_program; }

    // A method of the service; false when it failed.
    bool Call(const char* method, GVariant* arguments) {
        GVariant* reply =
            g_dbus_connection_call_sync(m_client, kName, kPath, kName, method, arguments, nullptr,
                                        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
        return reply != nullptr;
    }

private:
    bool Connected() {
        GVariant* reply = g_dbus_connection_call_sync(
            m_client, kName, kPath, "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", kName, "Connected"), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
        if (reply == nullptr) {
            return false;
        }
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        const bool connected = g_variant_get_boolean(value) != FALSE;
        g_variant_unref(value);
        g_variant_unref(reply);
        return connected;
    }

    varlok::platform::testing::PrivateBus m_bus;
    std::filesystem::path m_folder;
    std::unique_ptr<ChildProcess> m_program;
    GDBusConnection* m_client = nullptr;
    bool m_ready = false;
};

// Whether the trace from `from` on shows a whole settings record whose stage
// 3 code is `code`; `from` moves past the lines read.
bool RecordTraced(const std::string& trace, std::size_t& from, int code) {
    for (std::size_t end = trace.find('\n', from); end != std::string::npos;
         end = trace.find('\n', from)) {
        const std::vector<int> report =
            varlok::platform::testing::SentReport(std::string_view(trace).substr(from, end - from));
        from = end + 1;
        if (varlok::platform::testing::IsRecordWrite(report) && report[8 + 17] == code) {
            return true;
        }
    }
    return false;
}

void BM_SetDpiToWire(benchmark::State& state) {
    RunningWindow window;
    if (!window.Ready()) {
        state.SkipWithError(window.Trouble().c_str());
        return;
    }
    std::size_t read = window.Program().Output().size();
    varlok::bench::LatencySamples samples;
    bool high = false;
    std::minstd_rand random(7643);
    for (auto _ : state) {
        high = !high;
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 100));
        state.ResumeTiming();
        const int code = high ? 8 : 7;  // 2250 or 2000 DPI
        const auto start = Clock::now();
        if (!window.Call("SetDpi", g_variant_new("(yq)", 3, high ? 2250 : 2000))) {
            state.SkipWithError("SetDpi failed");
            break;
        }
        if (!window.Program().WaitUntil(
                [&] { return RecordTraced(window.Program().Output(), read, code); }, 2s)) {
            state.SkipWithError("the record did not reach the mouse within 2 s");
            break;
        }
        samples.Add(state, Clock::now() - start);
    }
    samples.Report(state);
}
BENCHMARK(BM_SetDpiToWire)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// CPU seconds (user and system) of the process's threads of that name.
std::optional<double> ThreadCpuSeconds(pid_t pid, const std::string& name) {
    std::optional<double> seconds;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream comm(task.path() / "comm");
        std::string threadName;
        std::getline(comm, threadName);
        if (threadName != name) {
            continue;
        }
        std::ifstream statFile(task.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        // After the name in parentheses: state, then fields 4.. ; utime and
        // stime are fields 14 and 15.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::vector<std::string> values;
        for (std::string value; fields >> value;) {
            values.push_back(value);
        }
        if (values.size() > 12) {
            seconds = seconds.value_or(0.0) +
                      static_cast<double>(std::stoll(values[11]) + std::stoll(values[12])) /
                          static_cast<double>(::sysconf(_SC_CLK_TCK));
        }
    }
    return seconds;
}

void BM_ServiceIdleCpu(benchmark::State& state) {
    RunningWindow window;
    if (!window.Ready()) {
        state.SkipWithError(window.Trouble().c_str());
        return;
    }
    const pid_t pid = window.Program().Pid();
    double busThread = 0.0;
    double gdbusThread = 0.0;
    double wall = 0.0;
    for (auto _ : state) {
        const std::optional<double> busStart = ThreadCpuSeconds(pid, "varlok-bus");
        const std::optional<double> gdbusStart = ThreadCpuSeconds(pid, "gdbus");
        const auto wallStart = Clock::now();
        // Keeps reading the window's trace (the lighting frames go on), so
        // that it never waits for its pipe.
        window.Program().WaitUntil([] { return false; }, 10s);
        wall += std::chrono::duration<double>(Clock::now() - wallStart).count();
        busThread += ThreadCpuSeconds(pid, "varlok-bus").value_or(0.0) - busStart.value_or(0.0);
        gdbusThread += ThreadCpuSeconds(pid, "gdbus").value_or(0.0) - gdbusStart.value_or(0.0);
        if (!busStart) {
            state.SkipWithError("the window has no varlok-bus thread");
            break;
        }
    }
    state.counters["bus_thread_ms_per_s"] = wall > 0.0 ? 1e3 * busThread / wall : 0.0;
    state.counters["gdbus_thread_ms_per_s"] = wall > 0.0 ? 1e3 * gdbusThread / wall : 0.0;
}
BENCHMARK(BM_ServiceIdleCpu)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
