// The lighting stream. Frame period: the lighting worker runs and pushes its
// frames as in the program, against the virtual mouse answering each report
// 1 ms after its request; the time between the first reports of consecutive
// frames, taken as the host writes them, is compared with the nominal period
// of 1 ms stop check + 12 x speed + 10 ms + the mode's extra pause, on the
// machine as it is and beside two CPU-bound processes more (load 2). Frame
// cost: the same over the hidraw backend with a node of its own, whose mouse
// is played by a thread apart: per frame, the system calls of the transfers,
// the heap allocations, the wake-ups and the CPU time of the worker, which
// carries the push (the device's thread is not counted). Step cost: one
// effect step and the frame built from it, per mode.

#include <benchmark/benchmark.h>

#ifdef __linux__
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "costcounters.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "hidrawmouselink.h"
#include "lighting/effects.h"
#include "lighting/framepush.h"
#include "lighting/lightingworker.h"
#include "platform/event.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace varlok;

constexpr std::chrono::microseconds kReportLatency{1000};
constexpr std::size_t kPeriodsMeasured = 60;

// Passes everything to the virtual mouse and notes when each frame's first
// lighting report (offset 0) is written.
class WireClock : public device::HidBackend {
public:
    explicit WireClock(std::shared_ptr<sim::VirtualHidBackend> inner) : m_inner(std::move(inner)) {}

    std::string_view Scheme() const override { return m_inner->Scheme(); }
    bool Enumerate(std::vector<std::string>& paths) override { return m_inner->Enumerate(paths); }
    bool Probe(std::string_view path) override { return m_inner->Probe(path); }
    std::unique_ptr<device::HidConnection> Open(std::string_view path,
                                                const device::HidOpenRequest& request,
                                                device::HidOpenError& error) override {
        auto inner = m_inner->Open(path, request, error);
        return inner ? std::make_unique<Connection>(std::move(inner), m_times) : nullptr;
    }

    [[nodiscard]] std::vector<Clock::time_point> FrameStarts() const {
        const std::lock_guard lock(m_times->mutex);
        return m_times->starts;
    }

private:
    struct Times {
        mutable std::mutex mutex;
        std::vector<Clock::time_point> starts;
    };
    class Connection : public device::HidConnection {
    public:
        Connection(std::unique_ptr<device::HidConnection> inner, std::shared_ptr<Times> times)
            : m_inner(std::move(inner)), m_times(std::move(times)) {}
        std::vector<std::uint8_t> ReportDescriptor() const override {
            return m_inner->ReportDescriptor();
        }
        device::HidAttributes Attributes() const override { return m_inner->Attributes(); }
        device::TransferResult Read(std::span<std::uint8_t> buffer,
                                    std::chrono::milliseconds timeout) override {
            return m_inner->Read(buffer, timeout);
        }
        device::TransferResult Write(std::span<const std::uint8_t> report,
                                     std::chrono::milliseconds timeout) override {
            constexpr auto kLighting =
                static_cast<std::uint8_t>(device::Command::SendLightingFrame);
            if (report.size() > 6 && report[3] == kLighting && report[5] == 0 && report[6] == 0) {
                const std::lock_guard lock(m_times->mutex);
                m_times->starts.push_back(Clock::now());
            }
            return m_inner->Write(report, timeout);
        }
        void Abort() override { m_inner->Abort(); }

    private:
        std::unique_ptr<device::HidConnection> m_inner;
        std::shared_ptr<Times> m_times;
    };

    std::shared_ptr<sim::VirtualHidBackend> m_inner;
    std::shared_ptr<Times> m_times = std::make_shared<Times>();
};

double Percentile(std::vector<double> values, double fraction) {
    std::ranges::sort(values);
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

// Processes that keep a CPU busy each, for as long as the object lives: the
// machine as a game leaves it.
class BusyProcesses {
public:
    explicit BusyProcesses(int count) {
#ifdef __linux__
        for (int i = 0; i < count; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                for (std::uint64_t spin = 0;; ++spin) {
                    benchmark::DoNotOptimize(spin);
                }
            }
            if (child > 0) {
                m_children.push_back(child);
            }
        }
#else
        static_cast<void>(count);
#endif
    }
    ~BusyProcesses() {
#ifdef __linux__
        for (const pid_t child : m_children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
#endif
    }
    BusyProcesses(const BusyProcesses&) = delete;
    BusyProcesses& operator=(const BusyProcesses&) = delete;

private:
    std::vector<int> m_children;
};

// The record's lighting for a benchmark: mode and speed, full brightness.
void SetLighting(settings::SettingsRecord& record, std::uint8_t mode, std::uint8_t speed) {
    lighting::LightingSettings light(record);
    light.SetMode(mode);
    light.SetSpeed(speed);
    light.SetBrightness(4);
}

// The worker on a thread of its own, started at once (no start pause),
// pushing each frame as the program's lighting stream does; its thread is
// counted by CostCounters. Stops and joins when destroyed.
class StreamingWorker {
public:
    StreamingWorker(settings::SettingsRecord& record, device::DeviceLink& link)
        : m_worker(record, m_effects, m_leds,
                   {.isConnected = [&link] { return link.IsConnected(); },
                    .pushFrame =
                        [this, &link] {
                            static_cast<void>(lighting::PushMouseFrame(m_leds, link));
                            m_pushed.fetch_add(1);
                        },
                    .startPause = std::chrono::milliseconds(0)}),
          m_thread([this] {
              bench::CostCounters::CountThisThread();
              m_worker.Run(m_stop);
          }) {}
    ~StreamingWorker() {
        m_stop.Set();
        m_thread.join();
    }
    StreamingWorker(const StreamingWorker&) = delete;
    StreamingWorker& operator=(const StreamingWorker&) = delete;

    [[nodiscard]] std::size_t FramesPushed() const { return m_pushed.load(); }
    // Returns once that many frames were pushed in all.
    void WaitForFrames(std::size_t frames, std::chrono::milliseconds period) const {
        while (FramesPushed() < frames) {
            std::this_thread::sleep_for(period);
        }
    }

private:
    lighting::EffectState m_effects;
    lighting::LedState m_leds;
    platform::Event m_stop{true, false};
    std::atomic<std::size_t> m_pushed{0};
    lighting::LightingWorker m_worker;
    std::thread m_thread;  // last: starts once the rest is ready
};

// Arguments: speed level, mode, CPU-bound processes beside it.
void BM_FramePeriod(benchmark::State& state) {
    const auto speed = static_cast<std::uint8_t>(state.range(0));
    const auto mode = static_cast<std::uint8_t>(state.range(1));
    const std::chrono::duration<double, std::milli> nominal =
        std::chrono::milliseconds(1) + lighting::SpeedPause(speed) + lighting::ExtraPause(mode);
    const auto period = std::chrono::duration_cast<std::chrono::milliseconds>(nominal);

    std::vector<double> deviations;
    for (auto _ : state) {
        auto bus = std::make_shared<device::HidBus>();
        auto mouse = std::make_shared<sim::VirtualMouse>();
        auto simBackend = std::make_shared<sim::VirtualHidBackend>(mouse);
        auto wire = std::make_shared<WireClock>(simBackend);
        bus->Attach(wire);
        sim::VirtualMouse::Faults faults;
        faults.latency = kReportLatency;
        mouse->SetFaults(faults);
        mouse->SetLogLimit(1);
        device::DeviceLink link(bus);
        link.Init(device::DeviceType::Mouse);
        if (!link.Device().Open(simBackend->PathOf(sim::MouseCollection::Configuration), true, true,
                                true, false)) {
            state.SkipWithError("virtual mouse not opened");
            return;
        }
        link.SetConnected(true);

        settings::SettingsRecord record;
        SetLighting(record, mode, speed);
        {
            const BusyProcesses load(static_cast<int>(state.range(2)));
            const StreamingWorker worker(record, link);
            worker.WaitForFrames(kPeriodsMeasured + 1, period);
        }
        const std::vector<Clock::time_point> starts = wire->FrameStarts();
        for (std::size_t i = 1; i <= kPeriodsMeasured; ++i) {
            const std::chrono::duration<double, std::milli> measured = starts[i] - starts[i - 1];
            deviations.push_back((measured - nominal).count());
        }
    }
    std::vector<double> absolute(deviations.size());
    std::ranges::transform(deviations, absolute.begin(), [](double d) { return std::abs(d); });
    state.counters["nominal_ms"] = nominal.count();
    state.counters["p50_dev_ms"] = Percentile(deviations, 0.5);
    state.counters["p95_absdev_ms"] = Percentile(absolute, 0.95);
    state.counters["max_absdev_ms"] = Percentile(absolute, 1.0);
}
BENCHMARK(BM_FramePeriod)
    ->ArgNames({"speed", "mode", "load"})
    ->Args({0, 2, 0})
    ->Args({1, 2, 0})
    ->Args({2, 2, 0})
    ->Args({3, 2, 0})
    ->Args({4, 2, 0})
    ->Args({2, 1, 0})
    ->Args({2, 3, 0})
    ->Args({0, 2, 2})
    ->Args({3, 0, 2})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Arguments: speed level, mode. Frames are measured after a few that fill
// what the stream keeps (thread stacks, the link's first open).
void BM_FrameCost(benchmark::State& state) {
    constexpr std::size_t kFirstFrames = 10;
    constexpr std::size_t kFramesMeasured = 200;
    const auto speed = static_cast<std::uint8_t>(state.range(0));
    const auto mode = static_cast<std::uint8_t>(state.range(1));
    const auto period = std::chrono::milliseconds(1) + lighting::SpeedPause(speed);

    bench::CostFigures figures;
    std::size_t frames = 0;
    for (auto _ : state) {
        bench::HidrawMouseLink mouse(std::chrono::microseconds(0));
        if (!mouse.opened) {
            state.SkipWithError("hidraw node not opened");
            return;
        }
        settings::SettingsRecord record;
        SetLighting(record, mode, speed);
        bench::CostCounters::ForgetThreads();
        const StreamingWorker worker(record, mouse.link);
        worker.WaitForFrames(kFirstFrames, period);
        const std::size_t before = worker.FramesPushed();
        bench::CostCounters::Start();
        worker.WaitForFrames(before + kFramesMeasured, period);
        const bench::CostFigures measured = bench::CostCounters::Stop();
        frames += worker.FramesPushed() - before;
        figures.allocations += measured.allocations;
        figures.systemCalls += measured.systemCalls;
        figures.wakeUps += measured.wakeUps;
        figures.cpuNanoseconds += measured.cpuNanoseconds;
    }
    const auto perFrame = [frames](std::uint64_t total) {
        return static_cast<double>(total) / static_cast<double>(std::max<std::size_t>(frames, 1));
    };
    state.counters["syscalls_per_frame"] = perFrame(figures.systemCalls);
    state.counters["allocs_per_frame"] = perFrame(figures.allocations);
    state.counters["wakeups_per_frame"] = perFrame(figures.wakeUps);
    state.counters["cpu_us_per_frame"] = perFrame(figures.cpuNanoseconds) / 1e3;
}
BENCHMARK(BM_FrameCost)
    ->ArgNames({"speed", "mode"})
    ->Args({0, 0})
    ->Args({3, 0})
    ->Args({3, 5})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Argument: mode.
void BM_StepAndBuildFrame(benchmark::State& state) {
    settings::SettingsRecord record;
    lighting::LightingSettings light(record);
    light.SetMode(static_cast<std::uint8_t>(state.range(0)));
    light.SetBrightness(4);
    light.SetSevenColour(1);
    lighting::EffectState effects;
    lighting::LedState leds;
    for (auto _ : state) {
        // Reactive flashes now and then, so that both of its paths count.
        effects.reactiveTrigger.store(effects.reactiveActive.Get() == 0);
        benchmark::DoNotOptimize(lighting::RunEffectStep(light, effects, leds));
        benchmark::DoNotOptimize(lighting::BuildFrame(leds));
    }
}
BENCHMARK(BM_StepAndBuildFrame)->ArgName("mode")->DenseRange(0, 6)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
#ifdef __linux__
    // As for the link benchmark: the virtual mouse's latency and the pauses
    // are timed waits, which the default timer slack would stretch.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
