#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/foregroundprogram.h"

namespace varlok::platform {

// The program in front as the desktop's own backend tells it and as helpers
// report it (a compositor helper through the bus service, where the window
// cannot watch the desktop itself): whichever told last is in front. Changed()
// fires for both, so that a watcher of this object follows either exactly as
// it follows the desktop.
//
// A thread of its own waits on the desktop backend's Changed() while that
// backend is available. Path(), Changed(), Support() and Report() may be used
// from any thread; construction and destruction belong to the owner.
class ReportedForegroundProgram final : public ForegroundProgram {
public:
    explicit ReportedForegroundProgram(std::shared_ptr<ForegroundProgram> desktop);
    ~ReportedForegroundProgram() override;
    ReportedForegroundProgram(const ReportedForegroundProgram&) = delete;
    ReportedForegroundProgram& operator=(const ReportedForegroundProgram&) = delete;

    // The program at path (empty: none) is in front; Changed() fires when
    // that is a change.
    void Report(std::string path);

    // Available when the desktop backend is, or once a helper has reported.
    [[nodiscard]] ForegroundSupport Support() const override;
    [[nodiscard]] std::string Path() const override;
    [[nodiscard]] Event& Changed() override { return m_changed; }

private:
    void Follow();
    void Take(std::string path, bool reported);

    std::shared_ptr<ForegroundProgram> m_desktop;
    mutable std::mutex m_mutex;
    std::string m_path;
    bool m_reported = false;
    Event m_changed{false, false};
    Event m_stop{true, false};
    std::thread m_thread;
};

}  // namespace varlok::platform
