#include "platform/reportedforegroundprogram.h"
#include "platform/workerthread.h"

#include <utility>

namespace varlok::platform {

ReportedForegroundProgram::ReportedForegroundProgram(std::shared_ptr<ForegroundProgram> desktop)
    : m_desktop(std::move(desktop)), m_path(m_desktop->Path()) {
    if (m_desktop->Support() == ForegroundSupport::Available) {
        m_thread = std::thread([this] {
            NameThisThread("foreground");
            Follow();
        });
    }
}

ReportedForegroundProgram::~ReportedForegroundProgram() {
    m_stop.Set();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ReportedForegroundProgram::Follow() {
    while (WaitAny(m_stop, m_desktop->Changed(), Event::kInfinite) == std::size_t{1}) {
        Take(m_desktop->Path(), false);
    }
}

void ReportedForegroundProgram::Report(std::string path) {
    Take(std::move(path), true);
}

void ReportedForegroundProgram::Take(std::string path, bool reported) {
    {
        const std::lock_guard lock(m_mutex);
        m_reported = m_reported || reported;
        if (m_path == path) {
            return;
        }
        m_path = std::move(path);
    }
    m_changed.Set();
}

ForegroundSupport ReportedForegroundProgram::Support() const {
    const std::lock_guard lock(m_mutex);
    return m_reported ? ForegroundSupport::Available : m_desktop->Support();
}

std::string ReportedForegroundProgram::Path() const {
    const std::lock_guard lock(m_mutex);
    return m_path;
}

}  // namespace varlok::platform
