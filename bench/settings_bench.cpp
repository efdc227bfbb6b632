// From a setting changed on a page to the settings record on the wire. A
// page handler stores the change and marks the record dirty; the window's
// 100 ms flush timer sends the whole record once, however many changes came
// since the last tick. Here a thread ticks like that timer and flushes into
// the virtual mouse, while the benchmark makes bursts of one to five changes
// at random moments and measures from the first change of a burst until its
// write has been answered. Counters: p50, p99 and the largest latency in
// milliseconds, and the writes each burst cost.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "settings/configurationexchange.h"
#include "settings/exchangehooks.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kFlushPeriod = 100ms;

class NoHooks : public varlok::settings::ExchangeHooks,
                public varlok::settings::ProfileSaves,
                public varlok::settings::TableUploads {
public:
    void OnboardProfileSwitched() override {}
    void SaveStarted() override {}
    void SaveFinished() override {}
    varlok::settings::UploadResult UploadTables(varlok::device::DeviceLink&, std::size_t) override {
        return varlok::settings::UploadResult::Sent;
    }
    void SaveDeviceProfile() override {}
    void SaveLightingProfile() override {}
    void SaveKeyProfile() override {}
};

// The flush timer: every 100 ms FlushSettings, and a note of when each write
// that went out was answered.
class FlushTimer {
public:
    explicit FlushTimer(varlok::settings::ConfigurationExchange& exchange,
                        varlok::settings::MouseMirror& mirror)
        : m_thread([this, &exchange, &mirror] {
              auto next = Clock::now() + kFlushPeriod;
              std::unique_lock lock(m_mutex);
              while (!m_stop) {
                  if (m_wake.wait_until(lock, next, [this] { return m_stop; })) {
                      break;
                  }
                  next += kFlushPeriod;
                  const bool dirty = mirror.settingsDirty.IsSet();
                  lock.unlock();
                  exchange.FlushSettings();
                  const auto done = Clock::now();
                  lock.lock();
                  if (dirty) {
                      ++m_writes;
                      m_lastWrite = done;
                      m_written.notify_all();
                  }
              }
          }) {}
    ~FlushTimer() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // Waits for the write after `writes` earlier ones; its answer's time.
    Clock::time_point WaitForWrite(int writes) {
        std::unique_lock lock(m_mutex);
        m_written.wait(lock, [&] { return m_writes > writes; });
        return m_lastWrite;
    }
    int Writes() {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    bool m_stop = false;
    int m_writes = 0;
    Clock::time_point m_lastWrite;
    std::thread m_thread;
};

double Percentile(std::vector<double> samples, double share) {
    std::sort(samples.begin(), samples.end());
    const auto index =
        static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[index];
}

void BM_SettingChangeToWire(benchmark::State& state) {
    auto bus = std::make_shared<varlok::device::HidBus>();
    auto mouse = varlok::sim::AttachVirtualMouse(*bus);
    mouse->SetLogLimit(1);
    varlok::device::DeviceLink link(bus);
    link.Init(varlok::device::DeviceType::Mouse);
    const std::string path =
        varlok::sim::VirtualHidBackend(mouse).PathOf(varlok::sim::MouseCollection::Configuration);
    if (!link.Device().Open(path, true, true, true, false) || !link.MatchesOpenDevice()) {
        state.SkipWithError("virtual mouse not opened");
        return;
    }
    link.SetConnected(true);
    varlok::settings::MouseMirror mirror;
    NoHooks hooks;
    varlok::settings::ConfigurationExchange exchange(link, mirror, hooks, hooks, hooks);
    FlushTimer timer(exchange, mirror);

    std::minstd_rand random(7643);
    std::uniform_int_distribution<int> phase(0, 99);
    std::uniform_int_distribution<int> changes(1, 5);
    std::vector<double> latencies;
    int burstWrites = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(phase(random)));
        const int before = timer.Writes();
        const auto first = Clock::now();
        const int count = changes(random);
        for (int change = 0; change < count; ++change) {
            mirror.settingsRecord.Set(15 + static_cast<std::size_t>(change),
                                      static_cast<std::uint8_t>(change));
            mirror.settingsDirty.Mark();
            std::this_thread::sleep_for(2ms);
        }
        const auto done = timer.WaitForWrite(before);
        // Long enough for a stray second write of the same burst to show.
        std::this_thread::sleep_for(kFlushPeriod + 20ms);
        burstWrites += timer.Writes() - before;
        latencies.push_back(std::chrono::duration<double, std::milli>(done - first).count());
        state.SetIterationTime(std::chrono::duration<double>(done - first).count());
    }
    state.counters["p50_ms"] = Percentile(latencies, 0.50);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
    state.counters["writes_per_burst"] =
        static_cast<double>(burstWrites) / static_cast<double>(latencies.size());
}
BENCHMARK(BM_SettingChangeToWire)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
