#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/desktopsettings.h"
#include "settings/mousemirror.h"

namespace varlok::settings {

// Carries the pointer speed and the wheel lines the mirror holds to the
// user's desktop. A change is applied on a short-lived thread of its own, so
// that a slow desktop never holds up the page; the thread reads the value
// when it runs, so two quick changes may apply in either order, and the last
// one stored is what the desktop keeps once both have run.
//
// Thread affinity: the Apply... calls and the destructor belong to the UI
// thread; the threads they start use only the mirror's shared bytes and the
// thread-safe desktop settings.
class DesktopApplier {
public:
    // desktop and mirror must outlive this object.
    DesktopApplier(std::shared_ptr<platform::DesktopSettings> desktop, MouseMirror& mirror);
    // Waits for the threads still applying.
    ~DesktopApplier();
    DesktopApplier(const DesktopApplier&) = delete;
    DesktopApplier& operator=(const DesktopApplier&) = delete;

    // On a new thread: the mirror's pointer speed, first brought into 1-20
    // (the corrected value is stored back), then applied.
    void ApplyPointerSpeedLater();
    // On a new thread: the mirror's wheel lines.
    void ApplyWheelLinesLater();
    // On the calling thread, without touching the mirror (restoring the
    // desktop's defaults).
    void ApplyPointerSpeedNow(int speed);
    void ApplyWheelLinesNow(int lines);

    // Waits until every thread started so far has applied its value.
    void WaitForPending();

    [[nodiscard]] platform::DesktopSettings& Desktop() { return *m_desktop; }

private:
    void Launch(std::function<void()> work);
    static void Report(platform::DesktopSetting setting, platform::DesktopApplyResult result);

    struct Pending {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    std::shared_ptr<platform::DesktopSettings> m_desktop;
    MouseMirror& m_mirror;
    std::mutex m_mutex;
    std::vector<Pending> m_pending;
};

}  // namespace varlok::settings
