#include "costcounters.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <new>
#include <string>

namespace varlok::bench {

namespace {

thread_local bool t_counted = false;
std::atomic<bool> g_measuring{false};
std::atomic<std::uint64_t> g_allocations{0};
std::atomic<std::uint64_t> g_systemCalls{0};

struct ThreadTimes {
    long tid = 0;
    std::uint64_t nanoseconds = 0;
    std::uint64_t slices = 0;
};

std::mutex g_threadsMutex;
std::vector<ThreadTimes> g_threads;  // guarded by g_threadsMutex

bool Counting() {
    return t_counted && g_measuring.load(std::memory_order_relaxed);
}

// The thread's CPU time and how often it was put on a CPU, from
// /proc/self/task/TID/schedstat; zeros once the thread has ended.
ThreadTimes ReadTimes(long tid) {
    ThreadTimes times{tid};
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    std::uint64_t waited = 0;
    file >> times.nanoseconds >> waited >> times.slices;
    return times;
}

}  // namespace

void CostCounters::CountThisThread() {
    t_counted = true;
    const long tid = ::syscall(SYS_gettid);
    const std::lock_guard lock(g_threadsMutex);
    g_threads.push_back({tid, 0, 0});
}

void CostCounters::ForgetThreads() {
    const std::lock_guard lock(g_threadsMutex);
    g_threads.clear();
}

void CostCounters::Start() {
    {
        const std::lock_guard lock(g_threadsMutex);
        for (ThreadTimes& times : g_threads) {
            times = ReadTimes(times.tid);
        }
    }
    g_allocations = 0;
    g_systemCalls = 0;
    g_measuring = true;
}

CostFigures CostCounters::Stop() {
    g_measuring = false;
    CostFigures figures;
    figures.allocations = g_allocations.load();
    figures.systemCalls = g_systemCalls.load();
    const std::lock_guard lock(g_threadsMutex);
    for (const ThreadTimes& before : g_threads) {
        const ThreadTimes after = ReadTimes(before.tid);
        figures.cpuNanoseconds += after.nanoseconds - before.nanoseconds;
        figures.wakeUps += after.slices - before.slices;
    }
    return figures;
}

}  // namespace varlok::bench

// The program's operator new counts what the counted threads allocate.
void* operator new(std::size_t size) {
    if (varlok::bench::Counting()) {
        varlok::bench::g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

// The transfers' system calls, as the link step wrapped them (-Wl,--wrap):
// calls from the program's own code reach these; the C library's and Qt's
// own calls do not pass here.
extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_write(int fd, const void* buffer, size_t size);
int __real_poll(pollfd* fds, nfds_t count, int timeout);

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
    if (varlok::bench::Counting()) {
        varlok::bench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
    }
    return __real_read(fd, buffer, size);
}
ssize_t __wrap_write(int fd, const void* buffer, size_t size) {
    if (varlok::bench::Counting()) {
        varlok::bench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
    }
    return __real_write(fd, buffer, size);
}
int __wrap_poll(pollfd* fds, nfds_t count, int timeout) {
    if (varlok::bench::Counting()) {
        varlok::bench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
    }
    return __real_poll(fds, count, timeout);
}
}
