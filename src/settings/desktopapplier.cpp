#include "settings/desktopapplier.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/debugoutput.h"

namespace varlok::settings {

DesktopApplier::DesktopApplier(std::shared_ptr<platform::DesktopSettings> desktop,
                               MouseMirror& mirror)
    : m_desktop(std::move(desktop)), m_mirror(mirror) {}

DesktopApplier::~DesktopApplier() {
    WaitForPending();
}

void DesktopApplier::ApplyPointerSpeedLater() {
    Launch([this] {
        const int stored = m_mirror.pointerSpeed.Get();
        const int speed = platform::DesktopSettings::ClampPointerSpeed(stored);
        if (speed != stored) {
            m_mirror.pointerSpeed.Set(static_cast<std::uint8_t>(speed));
        }
        Report(platform::DesktopSetting::PointerSpeed, m_desktop->SetPointerSpeed(speed));
    });
}

void DesktopApplier::ApplyWheelLinesLater() {
    Launch([this] {
        Report(platform::DesktopSetting::WheelLines,
               m_desktop->SetWheelLines(m_mirror.wheelLines.Get()));
    });
}

void DesktopApplier::ApplyPointerSpeedNow(int speed) {
    Report(platform::DesktopSetting::PointerSpeed, m_desktop->SetPointerSpeed(speed));
}

void DesktopApplier::ApplyWheelLinesNow(int lines) {
    Report(platform::DesktopSetting::WheelLines, m_desktop->SetWheelLines(lines));
}

void DesktopApplier::Launch(std::function<void()> work) {
    std::vector<Pending> finished;
    {
        const std::lock_guard lock(m_mutex);
        // Threads that have applied their value are joined as new ones come,
        // so the list stays as short as the changes in flight.
        const auto running =
            std::partition(m_pending.begin(), m_pending.end(),
                           [](const Pending& pending) { return !pending.done->load(); });
        std::move(running, m_pending.end(), std::back_inserter(finished));
        m_pending.erase(running, m_pending.end());
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_pending.push_back(Pending{std::thread([work = std::move(work), done] {
                                        work();
                                        done->store(true);
                                    }),
                                    done});
    }
    for (Pending& pending : finished) {
        pending.thread.join();
    }
}

void DesktopApplier::WaitForPending() {
    std::vector<Pending> pending;
    {
        const std::lock_guard lock(m_mutex);
        pending.swap(m_pending);
    }
    for (Pending& entry : pending) {
        entry.thread.join();
    }
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
