#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace varlok::bench {

// The latencies of a benchmark's iterations (manual time): each is the
// iteration's time, and the counters give their median, 95th percentile and
// maximum in milliseconds.
class LatencySamples {
public:
    void Add(benchmark::State& state, std::chrono::steady_clock::duration elapsed) {
        const double seconds = std::chrono::duration<double>(elapsed).count();
        state.SetIterationTime(seconds);
        m_milliseconds.push_back(seconds * 1e3);
    }

    void Report(benchmark::State& state) const {
        state.counters["p50_ms"] = Percentile(0.50);
        state.counters["p95_ms"] = Percentile(0.95);
        state.counters["max_ms"] = Percentile(1.0);
    }

    // The sample below which that fraction of them lies; 0 without any.
    [[nodiscard]] double Percentile(double fraction) const {
        if (m_milliseconds.empty()) {
            return 0.0;
        }
        std::vector<double> sorted = m_milliseconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
    }

private:
    std::vector<double> m_milliseconds;
};

}  // namespace varlok::bench
