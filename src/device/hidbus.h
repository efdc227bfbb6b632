#pragma once

// The set of HID backends a process can reach. The system bus carries the
// hidraw backend; "--simulate" attaches the virtual mouse's backend to it.
// Tests build buses of their own so that nothing of the machine leaks in.

#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "device/hidbackend.h"

namespace varlok::device {

class HidBus {
public:
    // Thread-safe. A backend whose scheme is already attached replaces it.
    void Attach(std::shared_ptr<HidBackend> backend);
    void Detach(std::string_view scheme);

    [[nodiscard]] std::vector<std::shared_ptr<HidBackend>> Backends() const;
    // The backend whose scheme prefixes the path ("sim:..." -> "sim"), or null.
    [[nodiscard]] std::shared_ptr<HidBackend> BackendFor(std::string_view path) const;

    // The process-wide bus, created on first use with the platform's backend.
    static std::shared_ptr<HidBus> System();

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<HidBackend>> m_backends;
};

}  // namespace varlok::device
