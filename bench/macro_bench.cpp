// Upload of a macro store that fills the mouse's macro memory: 50 macros
// whose table is exactly the 4096 bytes the virtual mouse offers, read from
// their files, built and sent with BeginTransfer, WriteMacroData (74 chunks)
// and EndTransfer. The virtual mouse answers each exchange 2 ms after its
// request: one 1 ms poll for the request and one for the answer. The floor
// is the exchange count times those two polls plus the pause before
// EndTransfer; the goal is at most 1.1 times the floor.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "virtualmouselink.h"

namespace {

using varlok::device::DeviceLink;
using varlok::device::LinkResult;
using varlok::keys::MacroAction;
using varlok::keys::MacroStore;

constexpr std::size_t kCapacity = 4096;
constexpr int kMacros = MacroStore::kMaxMacros;
// 16 + 6 x 50 + 4 x 945 = 4096.
constexpr int kActions = 945;
constexpr std::chrono::microseconds kPollsPerExchange{2000};

struct Store {
    Store() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varlok-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        MacroStore store(folder);
        for (int index = 0; index < kMacros; ++index) {
            const int count = kActions / kMacros + (index < kActions % kMacros ? 1 : 0);
            std::vector<MacroAction> actions(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                actions[static_cast<std::size_t>(i)] = {
                    static_cast<std::uint8_t>(i),
                    0,
                    static_cast<std::uint8_t>(i % 2 ? 0x0A : 0x8A),
                    0x04,
                    i % 2 ? 0 : 1,
                    "keyboard_key_A"};
            }
            ok = ok && store.AddMacro().status == varlok::keys::MacroStoreStatus::Done &&
                 store.SaveMacroActions(index, actions).status ==
                     varlok::keys::MacroStoreStatus::Done;
        }
    }
    ~Store() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
    bool ok = true;
};

void BM_UploadFullMacroMemory(benchmark::State& state) {
    const Store files;
    const MacroStore store(files.folder);
    varlok::bench::VirtualMouseLink device(kPollsPerExchange);
    DeviceLink& link = device.link;
    if (!files.ok || !device.opened ||
        varlok::keys::MacroTableLength(store.LoadAllMacros()) != kCapacity) {
        state.SkipWithError("store or virtual mouse not ready");
        return;
    }
    const std::size_t exchanges = 2 + (kCapacity + 55) / 56;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const varlok::keys::TableUpload upload = store.UploadMacros(link, kCapacity);
        if (upload.status != varlok::keys::UploadStatus::Sent ||
            upload.link != LinkResult::Success) {
            state.SkipWithError("upload failed");
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const double floorSeconds =
        std::chrono::duration<double>(static_cast<double>(exchanges) * kPollsPerExchange +
                                      DeviceLink::kEndTransferPause)
            .count();
    state.counters["exchanges"] = static_cast<double>(exchanges);
    state.counters["floor_ms"] = floorSeconds * 1e3;
    state.counters["ratio_to_floor"] = seconds / floorSeconds;
}
BENCHMARK(BM_UploadFullMacroMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The part of the upload that is ours alone: reading the 50 files and
// building the table.
void BM_BuildFullMacroTable(benchmark::State& state) {
    const Store files;
    const MacroStore store(files.folder);
    for (auto _ : state) {
        const auto table = varlok::keys::BuildMacroTable(store.LoadAllMacros());
        if (!table || table->size() != kCapacity) {
            state.SkipWithError("table not built");
            break;
        }
        benchmark::DoNotOptimize(table->data());
    }
}
BENCHMARK(BM_BuildFullMacroTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
