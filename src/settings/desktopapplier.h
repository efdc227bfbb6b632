#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/desktopsettings.h"
#include "settings/mousemirror.h"

namespace varlok::settings {

// Carries the pointer speed and the wheel lines the mirror holds to the
// user's desktop, on one thread of its own: a slow desktop never holds up the
// page, and no two desktop calls ever overlap. The desktop backends must not
// be called concurrently (GSettings is not safe for that; see
// DesktopSettings), so every call this program makes to the desktop goes
// through here.
//
// Requests are coalesced per setting: a request replaces the one of the same
// setting that is still waiting, so a burst of changes costs one desktop call
// and the value asked for last is the one the desktop keeps. Waiting requests
// run in the order in which the first of each was made. A "Later" request
// reads the mirror when it runs, so it applies the mirror's value of that
// moment.
//
// Thread affinity: every member may be called from any thread (the pages call
// from the UI thread). The owner thread touches only the mirror's shared
// bytes and the desktop.
class DesktopApplier {
public:
    // desktop and mirror must outlive this object.
    DesktopApplier(std::shared_ptr<platform::DesktopSettings> desktop, MouseMirror& mirror);
    // Carries out the requests still waiting, then ends the owner thread.
    ~DesktopApplier();
    DesktopApplier(const DesktopApplier&) = delete;
    DesktopApplier& operator=(const DesktopApplier&) = delete;

    // Asynchronous: the mirror's pointer speed, first brought into 1-20 (the
    // corrected value is stored back), then applied.
    void ApplyPointerSpeedLater();
    // Asynchronous: the mirror's wheel lines.
    void ApplyWheelLinesLater();
    // Applies a value of the caller's without touching the mirror (restoring
    // the desktop's defaults); returns once it has been applied, or replaced
    // by a later request that has.
    void ApplyPointerSpeedNow(int speed);
    void ApplyWheelLinesNow(int lines);

    // The desktop's pointer speed, read on the owner thread after every change
    // requested before. Blocks like the Now calls.
    [[nodiscard]] std::optional<int> ReadPointerSpeed();

    // Waits until every request made so far has been carried out.
    void WaitForPending();

    // Whether the desktop has the setting at all (constant; no desktop call).
    [[nodiscard]] bool Supports(platform::DesktopSetting setting) const {
        return m_desktop->Supports(setting);
    }

private:
    enum class Job : std::size_t { PointerSpeed, WheelLines, ReadPointerSpeed };
    static constexpr std::size_t kJobCount = 3;

    // One kind of request. Sequence numbers count the requests of the kind:
    // those made, those the owner took (the last one taken covers every one
    // before it) and those carried out.
    struct JobState {
        std::uint64_t requested = 0;
        std::uint64_t taken = 0;
        std::uint64_t done = 0;
        // Among all kinds, which request came first: set by the first request
        // made since the owner last took this kind.
        std::uint64_t order = 0;
        // The latest request's own value; none means "the mirror's".
        std::optional<int> value;
    };

    // Queues a request; returns its sequence number within its kind.
    std::uint64_t Request(Job job, std::optional<int> value);
    // Blocks until request `sequence` of `job` has been carried out.
    void WaitFor(Job job, std::uint64_t sequence);
    // The owner thread's body.
    void Run();
    // The waiting kind whose first request is oldest; none while nothing waits.
    [[nodiscard]] std::optional<Job> NextJob() const;
    // On the owner thread, without the lock: one desktop call.
    std::optional<int> Carry(Job job, std::optional<int> value);
    static void Report(platform::DesktopSetting setting, platform::DesktopApplyResult result);

    std::shared_ptr<platform::DesktopSettings> m_desktop;
    MouseMirror& m_mirror;
    std::mutex m_mutex;
    std::condition_variable m_requested;  // the owner waits on it for work
    std::condition_variable m_carried;    // callers wait on it for their request
    std::array<JobState, kJobCount> m_jobs{};
    std::uint64_t m_orderCounter = 0;
    std::optional<int> m_pointerSpeedRead;
    bool m_stopping = false;
    // Last: started once everything above is in place.
    std::thread m_owner;
};

}  // namespace varlok::settings
