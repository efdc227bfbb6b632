#include "platform/workerthread.h"

#include <vector>

namespace varlok::platform {

WorkerThread::~WorkerThread() {
    RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool WorkerThread::Start(Body body, Wake wake) {
    if (m_thread.joinable() || !body) {
        return false;
    }
    m_wake = std::move(wake);
    m_stop.Reset();
    m_ended.Reset();
    m_thread = std::thread([this, run = std::move(body)] {
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
