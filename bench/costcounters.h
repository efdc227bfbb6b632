#pragma once

// What the threads a benchmark names cost while it measures: heap
// allocations (a counting operator new, replaced for the whole program),
// the system calls of the HID transfers (read, write and poll, which the
// link step wraps for this program: -Wl,--wrap) and, from the kernel's
// schedstat, CPU time and the times each thread was put on a CPU (its
// wake-ups). Only threads that called CountThisThread are counted, and only
// between Start and Stop; what the benchmark's own thread or a thread
// playing the device does never counts.

#include <cstdint>
#include <vector>

namespace varlok::bench {

struct CostFigures {
    std::uint64_t allocations = 0;
    std::uint64_t systemCalls = 0;
    std::uint64_t wakeUps = 0;
    std::uint64_t cpuNanoseconds = 0;
};

class CostCounters {
public:
    // Counts the calling thread from now on (in every measurement).
    static void CountThisThread();
    // Forgets the threads counted so far (a new measurement's threads).
    static void ForgetThreads();
    static void Start();
    // The figures since Start, summed over the counted threads.
    [[nodiscard]] static CostFigures Stop();
};

}  // namespace varlok::bench
