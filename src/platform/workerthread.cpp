#include "platform/workerthread.h"

#include <vector>

#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#endif

namespace varlok::platform {

WorkerThread::~WorkerThread() {
    RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void NameThisThread(std::string_view name) {
#ifdef __linux__
    // The kernel keeps 15 bytes and the terminating zero.
    constexpr std::size_t kLongestName = 15;
    const std::string kept(name.substr(0, kLongestName));
    pthread_setname_np(pthread_self(), kept.c_str());
#else
    static_cast<void>(name);
#endif
}

bool RequestShortTimeSlices(std::chrono::microseconds slice) {
#ifdef __linux__
    // struct sched_attr of sched_setattr(2), which the C library does not
    // declare; the fields up to sched_period are the first version's.
    struct SchedulingAttributes {
        std::uint32_t size;
        std::uint32_t policy;
        std::uint64_t flags;
        std::int32_t nice;
        std::uint32_t priority;
        std::uint64_t runtime;
        std::uint64_t deadline;
        std::uint64_t period;
    };
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    if (errno != 0) {
        return false;
    }
    SchedulingAttributes attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = SCHED_OTHER;
    attributes.nice = nice;
    // For a fair-share thread the run time is the length of its slices.
    attributes.runtime = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(slice).count());
    return ::syscall(SYS_sched_setattr, 0, &attributes, 0) == 0;
#else
    static_cast<void>(slice);
    return false;
#endif
}

bool WorkerThread::Start(Body body, Wake wake, std::string_view name) {
    if (m_thread.joinable() || !body) {
        return false;
    }
    m_wake = std::move(wake);
    m_stop.Reset();
    m_ended.Reset();
    m_thread = std::thread([this, run = std::move(body), name = std::string(name)] {
        if (!name.empty()) {
            NameThisThread(name);
        }
        run(m_stop);
        m_ended.Set();
    });
    return true;
}

void WorkerThread::RequestStop() {
    m_stop.Set();
    if (m_wake) {
        m_wake();
    }
}

bool WorkerThread::JoinIfEnded() {
    if (!m_ended.IsSet()) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return true;
}

StopOutcome StopWorkers(std::span<WorkerThread* const> workers,
                        std::chrono::milliseconds deadline) {
    std::vector<Event*> ended;
    ended.reserve(workers.size());
    for (WorkerThread* worker : workers) {
        worker->RequestStop();
        ended.push_back(&worker->Ended());
    }
    const bool allEnded = WaitAll(ended, deadline);
    for (WorkerThread* worker : workers) {
        worker->JoinIfEnded();
    }
    return allEnded ? StopOutcome::AllEnded : StopOutcome::TimedOut;
}

}  // namespace varlok::platform
