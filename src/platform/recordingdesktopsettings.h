#pragma once

#include "platform/desktopsettings.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <initializer_list>
#include <mutex>
#include <vector>

namespace varlok::platform {

// One call a RecordingDesktopSettings received.
struct RecordedDesktopCall {
    enum class Kind { SetPointerSpeed, SetWheelLines, ReadPointerSpeed };
    Kind kind = Kind::SetPointerSpeed;
    int value = 0;  // the argument as the caller passed it (not clamped); 0 for a read
    friend bool operator==(const RecordedDesktopCall&, const RecordedDesktopCall&) = default;
};

// A DesktopSettings for tests of the layers above: records every Set and
// PointerSpeed call in the order they arrived, from any thread, and behaves like
// a desktop whose supported settings and answers the test chooses. A supported
// Set that is told to succeed stores the clamped value, so PointerSpeed() reads it
// back as a real desktop would. Thread-safe.
class RecordingDesktopSettings final : public DesktopSettings {
public:
    using Call = RecordedDesktopCall;

    // Supports exactly the settings listed; PointerSpeed() starts as `pointerSpeed`.
    explicit RecordingDesktopSettings(
        std::initializer_list<DesktopSetting> supported = {DesktopSetting::PointerSpeed,
                                                           DesktopSetting::WheelLines},
        std::optional<int> pointerSpeed = kDefaultPointerSpeed);

    // What supported Set calls return from now on (Applied unless changed). Failed
    // leaves the stored values alone; Unsupported is returned for unsupported
    // settings whatever this says.
    void SetResult(DesktopApplyResult result);

    // What PointerSpeed() returns until the next successful SetPointerSpeed.
    void SetStoredPointerSpeed(std::optional<int> speed);

    // The last wheel-lines value a successful SetWheelLines stored (clamped).
    [[nodiscard]] std::optional<int> StoredWheelLines() const;

    // Every call so far, oldest first.
    [[nodiscard]] std::vector<Call> Calls() const;

    // Waits until at least `count` calls have arrived. False when `bound` passed
    // first; the bound only keeps a broken test from hanging.
    [[nodiscard]] bool WaitForCalls(std::size_t count, std::chrono::milliseconds bound) const;

    [[nodiscard]] std::string_view BackendName() const override { return "recording"; }
    [[nodiscard]] bool Supports(DesktopSetting setting) const override;
    [[nodiscard]] DesktopApplyResult SetPointerSpeed(int speed) override;
    [[nodiscard]] std::optional<int> PointerSpeed() const override;
    [[nodiscard]] DesktopApplyResult SetWheelLines(int lines) override;

private:
    // Records the call and wakes waiters; m_mutex must be held.
    void RecordLocked(Call call) const;

    const bool m_supportsPointerSpeed;
    const bool m_supportsWheelLines;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_callArrived;
    mutable std::vector<Call> m_calls;
    DesktopApplyResult m_result = DesktopApplyResult::Applied;
    std::optional<int> m_pointerSpeed;
    std::optional<int> m_wheelLines;
};

}  // namespace varlok::platform
