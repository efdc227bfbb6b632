#include "platform/recordingdesktopsettings.h"

#include <algorithm>

namespace varlok::platform {

namespace {

bool Holds(std::initializer_list<DesktopSetting> settings, DesktopSetting setting) {
    return std::find(settings.begin(), settings.end(), setting) != settings.end();
}

}  // namespace

RecordingDesktopSettings::RecordingDesktopSettings(std::initializer_list<DesktopSetting> supported,
                                                   std::optional<int> pointerSpeed)
    : m_supportsPointerSpeed(Holds(supported, DesktopSetting::PointerSpeed)),
      m_supportsWheelLines(Holds(supported, DesktopSetting::WheelLines)),
      m_pointerSpeed(pointerSpeed) {}

void RecordingDesktopSettings::SetResult(DesktopApplyResult result) {
    std::lock_guard lock(m_mutex);
    m_result = result;
}

void RecordingDesktopSettings::SetStoredPointerSpeed(std::optional<int> speed) {
    std::lock_guard lock(m_mutex);
    m_pointerSpeed = speed;
}

std::optional<int> RecordingDesktopSettings::StoredWheelLines() const {
    std::lock_guard lock(m_mutex);
    return m_wheelLines;
}

std::vector<RecordingDesktopSettings::Call> RecordingDesktopSettings::Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

bool RecordingDesktopSettings::WaitForCalls(std::size_t count,
                                            std::chrono::milliseconds bound) const {
    std::unique_lock lock(m_mutex);
    return m_callArrived.wait_for(lock, bound, [&] { return m_calls.size() >= count; });
}

bool RecordingDesktopSettings::Supports(DesktopSetting setting) const {
    return setting == DesktopSetting::PointerSpeed ? m_supportsPointerSpeed : m_supportsWheelLines;
}

DesktopApplyResult RecordingDesktopSettings::SetPointerSpeed(int speed) {
    std::lock_guard lock(m_mutex);
    RecordLocked({Call::Kind::SetPointerSpeed, speed});
    if (!m_supportsPointerSpeed) {
        return DesktopApplyResult::Unsupported;
    }
    if (m_result == DesktopApplyResult::Applied) {
        m_pointerSpeed = ClampPointerSpeed(speed);
    }
    return m_result;
}

std::optional<int> RecordingDesktopSettings::PointerSpeed() const {
    std::lock_guard lock(m_mutex);
    RecordLocked({Call::Kind::ReadPointerSpeed, 0});
    return m_supportsPointerSpeed ? m_pointerSpeed : std::nullopt;
}

DesktopApplyResult RecordingDesktopSettings::SetWheelLines(int lines) {
    std::lock_guard lock(m_mutex);
    RecordLocked({Call::Kind::SetWheelLines, lines});
    if (!m_supportsWheelLines) {
        return DesktopApplyResult::Unsupported;
    }
    if (m_result == DesktopApplyResult::Applied) {
        m_wheelLines = ClampWheelLines(lines);
    }
    return m_result;
}

void RecordingDesktopSettings::RecordLocked(Call call) const {
    m_calls.push_back(call);
    m_callArrived.notify_all();
}

}  // namespace varlok::platform
