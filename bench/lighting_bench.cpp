// The lighting stream. Frame period: the lighting worker and a stand-in for
// the window's 10 ms push timer run as in the program, against the virtual
// mouse answering each report 1 ms after its request; the time between the
// first reports of consecutive frames, taken as the host writes them, is
// compared with the nominal period of 1 ms stop wait + 12 x speed + 10 ms +
// the mode's extra pause. Step cost: one effect step and the frame built
// from it, per mode.

#include <benchmark/benchmark.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "lighting/effects.h"
#include "lighting/framepush.h"
#include "lighting/lightingworker.h"
#include "platform/event.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace varlok;

constexpr std::chrono::milliseconds kPushDelay{10};
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

class NoPreviews : public lighting::PreviewSink {
public:
    bool IsPreviewVisible(std::size_t) const override { return false; }
    void SetPreviewTint(std::size_t, std::uint32_t, std::uint8_t) override {}
};

// The window's timer 14: each request (re)arms a single 10 ms shot that
// pushes the frame of that moment.
class PushTimer {
public:
    PushTimer(lighting::LedState& leds, device::DeviceLink& link)
        : m_thread([this, &leds, &link] { Loop(leds, link); }) {}
    ~PushTimer() {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }
    PushTimer(const PushTimer&) = delete;
    PushTimer& operator=(const PushTimer&) = delete;

    void Arm() {
        {
            const std::lock_guard lock(m_mutex);
            m_due = Clock::now() + kPushDelay;
        }
        m_changed.notify_one();
    }

private:
    void Loop(lighting::LedState& leds, device::DeviceLink& link) {
        NoPreviews previews;
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            if (!m_due) {
                m_changed.wait(lock);
            } else if (m_changed.wait_until(lock, *m_due) == std::cv_status::timeout && m_due &&
                       Clock::now() >= *m_due) {
                m_due.reset();
                lock.unlock();
                static_cast<void>(lighting::PushMouseFrame(leds, previews, link));
                lock.lock();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Clock::time_point> m_due;
    bool m_quit = false;
    std::thread m_thread;  // last: starts once the rest is ready
};

double Percentile(std::vector<double> values, double fraction) {
    std::ranges::sort(values);
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

// Arguments: speed level, mode.
void BM_FramePeriod(benchmark::State& state) {
    const auto speed = static_cast<std::uint8_t>(state.range(0));
    const auto mode = static_cast<std::uint8_t>(state.range(1));
    const std::chrono::duration<double, std::milli> nominal =
        std::chrono::milliseconds(1) + lighting::SpeedPause(speed) + lighting::ExtraPause(mode);

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
        lighting::LightingSettings light(record);
        light.SetMode(mode);
        light.SetSpeed(speed);
        light.SetBrightness(4);
        lighting::EffectState effects;
        lighting::LedState leds;
        platform::Event stop(true, false);
        {
            PushTimer timer(leds, link);
            lighting::LightingWorker worker(record, effects, leds,
                                            {[&link] { return link.IsConnected(); },
                                             [&timer] { timer.Arm(); },
                                             {},
                                             std::chrono::milliseconds(0)});
            std::thread thread([&] { worker.Run(stop); });
            while (wire->FrameStarts().size() < kPeriodsMeasured + 1) {
                std::this_thread::sleep_for(nominal);
            }
            stop.Set();
            thread.join();
        }
        const std::vector<Clock::time_point> starts = wire->FrameStarts();
        for (std::size_t i = 1; i <= kPeriodsMeasured; ++i) {
            const std::chrono::duration<double, std::milli> period = starts[i] - starts[i - 1];
            deviations.push_back((period - nominal).count());
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
    ->ArgNames({"speed", "mode"})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({2, 2})
    ->Args({3, 2})
    ->Args({4, 2})
    ->Args({2, 1})
    ->Args({2, 3})
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
