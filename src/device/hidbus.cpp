#include "device/hidbus.h"

#include <errno.h>

#include <algorithm>

#include "platform/folders.h"

#if defined(__linux__)
#include "device/hidrawbackend.h"
#endif

namespace varlok::device {

void HidBus::Attach(std::shared_ptr<HidBackend> backend) {
    if (!backend) {
        return;
    }
    std::lock_guard lock(m_mutex);
    const auto same = std::find_if(m_backends.begin(), m_backends.end(), [&](const auto& present) {
        return present->Scheme() == backend->Scheme();
    });
    if (same != m_backends.end()) {
        *same = std::move(backend);
    } else {
        m_backends.push_back(std::move(backend));
    }
}

void HidBus::Detach(std::string_view scheme) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_backends, [&](const auto& backend) { return backend->Scheme() == scheme; });
}

std::vector<std::shared_ptr<HidBackend>> HidBus::Backends() const {
    std::lock_guard lock(m_mutex);
    return m_backends;
}

std::shared_ptr<HidBackend> HidBus::BackendFor(std::string_view path) const {
    const std::size_t colon = path.find(':');
    if (colon == std::string_view::npos) {
        return nullptr;
    }
    const std::string_view scheme = path.substr(0, colon);
    std::lock_guard lock(m_mutex);
    for (const auto& backend : m_backends) {
        if (backend->Scheme() == scheme) {
            return backend;
        }
    }
    return nullptr;
}

OwnerLocks SystemOwnerLocks(std::string_view program) {
    return {platform::RuntimeFolder(), std::string(program)};
}

void HidBus::SetOwnerLocks(std::optional<OwnerLocks> locks) {
    std::lock_guard lock(m_mutex);
    m_ownerLocks = std::move(locks);
}

std::optional<OwnerLocks> HidBus::GetOwnerLocks() const {
    std::lock_guard lock(m_mutex);
    return m_ownerLocks;
}

std::shared_ptr<HidBus> HidBus::System() {
    static const std::shared_ptr<HidBus> bus = [] {
        auto created = std::make_shared<HidBus>();
        created->SetOwnerLocks(SystemOwnerLocks(program_invocation_short_name));
#if defined(__linux__)
        created->Attach(std::make_shared<HidrawBackend>("/sys", "/dev"));
#endif
        return created;
    }();
    return bus;
}

}  // namespace varlok::device
