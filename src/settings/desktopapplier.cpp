#include "settings/desktopapplier.h"

#include <string>

#include "platform/debugoutput.h"
#include "platform/workerthread.h"

namespace varlok::settings {

namespace {

constexpr std::size_t Index(auto job) {
    return static_cast<std::size_t>(job);
}

}  // namespace

DesktopApplier::DesktopApplier(std::shared_ptr<platform::DesktopSettings> desktop,
                               MouseMirror& mirror)
    : m_desktop(std::move(desktop)), m_mirror(mirror), m_owner([this] {
          platform::NameThisThread("desktop");
          Run();
      }) {}

DesktopApplier::~DesktopApplier() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_requested.notify_one();
    m_owner.join();
}

void DesktopApplier::ApplyPointerSpeedLater() {
    static_cast<void>(Request(Job::PointerSpeed, std::nullopt));
}

void DesktopApplier::ApplyWheelLinesLater() {
    static_cast<void>(Request(Job::WheelLines, std::nullopt));
}

void DesktopApplier::ApplyPointerSpeedNow(int speed) {
    WaitFor(Job::PointerSpeed, Request(Job::PointerSpeed, speed));
}

void DesktopApplier::ApplyWheelLinesNow(int lines) {
    WaitFor(Job::WheelLines, Request(Job::WheelLines, lines));
}

std::optional<int> DesktopApplier::ReadPointerSpeed() {
    WaitFor(Job::ReadPointerSpeed, Request(Job::ReadPointerSpeed, std::nullopt));
    const std::lock_guard lock(m_mutex);
    return m_pointerSpeedRead;
}

void DesktopApplier::WaitForPending() {
    std::array<std::uint64_t, kJobCount> requested{};
    {
        const std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < kJobCount; ++i) {
            requested[i] = m_jobs[i].requested;
        }
    }
    for (std::size_t i = 0; i < kJobCount; ++i) {
        WaitFor(static_cast<Job>(i), requested[i]);
    }
}

std::uint64_t DesktopApplier::Request(Job job, std::optional<int> value) {
    std::uint64_t sequence = 0;
    {
        const std::lock_guard lock(m_mutex);
        JobState& state = m_jobs[Index(job)];
        if (state.requested == state.taken) {
            state.order = ++m_orderCounter;
        }
        state.value = value;
        sequence = ++state.requested;
    }
    m_requested.notify_one();
    return sequence;
}

void DesktopApplier::WaitFor(Job job, std::uint64_t sequence) {
    std::unique_lock lock(m_mutex);
    m_carried.wait(lock, [&] { return m_jobs[Index(job)].done >= sequence; });
}

std::optional<DesktopApplier::Job> DesktopApplier::NextJob() const {
    std::optional<Job> next;
    for (std::size_t i = 0; i < kJobCount; ++i) {
        const JobState& state = m_jobs[i];
        if (state.requested != state.taken && (!next || state.order < m_jobs[Index(*next)].order)) {
            next = static_cast<Job>(i);
        }
    }
    return next;
}

void DesktopApplier::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const std::optional<Job> job = NextJob();
        if (!job) {
            // Nothing is lost at shutdown: the owner ends only once nothing waits.
            if (m_stopping) {
                return;
            }
            m_requested.wait(lock);
            continue;
        }
        JobState& state = m_jobs[Index(*job)];
        state.taken = state.requested;
        const std::uint64_t taken = state.taken;
        const std::optional<int> value = state.value;
        lock.unlock();
        const std::optional<int> answer = Carry(*job, value);
        lock.lock();
        if (*job == Job::ReadPointerSpeed) {
            m_pointerSpeedRead = answer;
        }
        state.done = taken;
        m_carried.notify_all();
    }
}

std::optional<int> DesktopApplier::Carry(Job job, std::optional<int> value) {
    switch (job) {
        case Job::PointerSpeed: {
            int speed = value.value_or(0);
            if (!value) {
                const int stored = m_mirror.pointerSpeed.Get();
                speed = platform::DesktopSettings::ClampPointerSpeed(stored);
                if (speed != stored) {
                    m_mirror.pointerSpeed.Set(static_cast<std::uint8_t>(speed));
                }
            }
            Report(platform::DesktopSetting::PointerSpeed, m_desktop->SetPointerSpeed(speed));
            return std::nullopt;
        }
        case Job::WheelLines:
            Report(platform::DesktopSetting::WheelLines,
                   m_desktop->SetWheelLines(value.value_or(m_mirror.wheelLines.Get())));
            return std::nullopt;
        case Job::ReadPointerSpeed:
            return m_desktop->PointerSpeed();
    }
    return std::nullopt;
}

void DesktopApplier::Report(platform::DesktopSetting setting, platform::DesktopApplyResult result) {
    if (result == platform::DesktopApplyResult::Failed) {
        platform::DebugOutput::Write(
            std::string("desktop: the ") +
            (setting == platform::DesktopSetting::PointerSpeed ? "pointer speed" : "wheel lines") +
            " could not be set");
    }
}

}  // namespace varlok::settings
