#include "platform/foregroundpath.h"

#include <utility>

namespace varlok::platform {

std::string ForegroundPath::Get() const {
    const std::lock_guard lock(m_mutex);
    return m_path;
}

void ForegroundPath::Take(std::optional<std::string> path) {
    if (!path) {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_path == *path) {
            return;
        }
        m_path = std::move(*path);
    }
    m_changed.Set();
}

void ForegroundPath::Begin(std::optional<std::string> path) {
    if (path) {
        const std::lock_guard lock(m_mutex);
        m_path = std::move(*path);
    }
}

}  // namespace varlok::platform
