#include "platform/fakeforegroundprogram.h"

#include <utility>

namespace varlok::platform {

void FakeForegroundProgram::BringToFront(std::string path) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_path == path) {
            return;
        }
        m_path = std::move(path);
    }
    m_changed.Set();
}

std::string FakeForegroundProgram::Path() const {
    const std::lock_guard lock(m_mutex);
    return m_path;
}

}  // namespace varlok::platform
