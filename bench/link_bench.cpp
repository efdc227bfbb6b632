// Cost of the configuration link against the virtual mouse: one exchange,
// and the whole configuration read that follows every connection, with and
// without a per-exchange latency. The virtual mouse makes each answer
// readable that long after its request: 1000 us is one 1 ms poll per
// exchange, 2000 us one poll for the request and one for the answer, as a
// full-speed device polled every millisecond needs. The floor of the whole
// read is its exchange count times the latency plus the pause before
// EndTransfer, which belongs to the protocol.

#include <benchmark/benchmark.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace {

using varlok::device::DeviceInfo;
using varlok::device::DeviceLink;
using varlok::device::HidBus;
using varlok::device::LinkResult;
using varlok::device::ReportFrame;

// BeginTransfer, ReadDeviceInfo, ReadActiveBlock (10 chunks), five
// ReadStoredBlock (10 chunks each), EndTransfer.
constexpr int kExchangesPerRead = 1 + 1 + 10 + 5 * 10 + 1;

// A virtual mouse on a bus of its own and a link connected to it.
struct Bench {
    explicit Bench(std::chrono::microseconds latency) {
        varlok::sim::VirtualMouse::Faults faults;
        faults.latency = latency;
        mouse->SetFaults(faults);
        mouse->SetLogLimit(1);
        link.Init(varlok::device::DeviceType::Mouse);
        const std::string path = varlok::sim::VirtualHidBackend(mouse).PathOf(
            varlok::sim::MouseCollection::Configuration);
        connected = link.Device().Open(path, true, true, true, false) && link.MatchesOpenDevice();
        link.SetConnected(connected);
    }

    std::shared_ptr<HidBus> bus = std::make_shared<HidBus>();
    std::shared_ptr<varlok::sim::VirtualMouse> mouse = varlok::sim::AttachVirtualMouse(*bus);
    DeviceLink link{bus};
    bool connected = false;
};

void BM_Transact(benchmark::State& state) {
    Bench bench(std::chrono::microseconds(0));
    if (!bench.connected) {
        state.SkipWithError("virtual mouse not opened");
        return;
    }
    ReportFrame request(varlok::device::Command::ReadSettings);
    request.SetLength(56);
    request.Seal();
    std::array<std::uint8_t, 64> response{};
    for (auto _ : state) {
        if (bench.link.Transact(request.Raw(), response) != LinkResult::Success) {
            state.SkipWithError("exchange failed");
            break;
        }
        benchmark::DoNotOptimize(response);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Transact)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ConfigurationRead(benchmark::State& state) {
    const std::chrono::microseconds latency(state.range(0));
    Bench bench(latency);
    if (!bench.connected) {
        state.SkipWithError("virtual mouse not opened");
        return;
    }
    DeviceInfo info;
    std::vector<std::uint8_t> block(DeviceLink::kMaxBlockSize);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        bool ok = bench.link.BeginTransfer() == LinkResult::Success &&
                  bench.link.ReadDeviceInfo(info) == LinkResult::Success &&
                  bench.link.ReadActiveBlock(block) == LinkResult::Success;
        for (unsigned index = 0; ok && index < DeviceLink::kStoredBlockCount; ++index) {
            ok = bench.link.ReadStoredBlock(block, index) == LinkResult::Success;
        }
        ok = ok && bench.link.EndTransfer() == LinkResult::Success;
        if (!ok) {
            state.SkipWithError("configuration read failed");
            break;
        }
        benchmark::DoNotOptimize(block.data());
    }
    const double secondsPerRead =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const double floorSeconds =
        std::chrono::duration<double>(kExchangesPerRead * latency + DeviceLink::kEndTransferPause)
            .count();
    state.counters["exchanges"] = kExchangesPerRead;
    state.counters["floor_ms"] = floorSeconds * 1e3;
    state.counters["ratio_to_floor"] = secondsPerRead / floorSeconds;
    // What the stack adds to each exchange beyond the latency (the pause's
    // oversleep included).
    state.counters["overhead_us_per_exchange"] =
        (secondsPerRead - floorSeconds) * 1e6 / kExchangesPerRead;
}
BENCHMARK(BM_ConfigurationRead)
    ->ArgName("latency_us")
    ->Arg(0)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What this machine itself needs for the same waits, with no HID stack at
// all: one timed condition-variable wait per exchange (as the virtual mouse
// waits for an answer's latency) and the pause before EndTransfer. On a
// loaded machine the wake-ups overshoot; this shows by how much.
void BM_WaitsAlone(benchmark::State& state) {
    const std::chrono::microseconds latency(state.range(0));
    std::mutex mutex;
    std::condition_variable never;
    for (auto _ : state) {
        for (int i = 0; i < kExchangesPerRead; ++i) {
            std::unique_lock lock(mutex);
            const auto until = std::chrono::steady_clock::now() + latency;
            while (never.wait_until(lock, until) != std::cv_status::timeout) {
            }
        }
        std::this_thread::sleep_for(DeviceLink::kEndTransferPause);
    }
}
BENCHMARK(BM_WaitsAlone)
    ->ArgName("latency_us")
    ->Arg(0)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
#ifdef __linux__
    // The virtual mouse models latency with timed waits, where a real device
    // completes on an interrupt. Linux lets timed waits run late by the
    // thread's timer slack (50 us by default) to coalesce wake-ups; without
    // it the measured time is the model's, not the link's.
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
