#pragma once

// The set of HID backends a process can reach. The system bus carries the
// hidraw backend; "--simulate" attaches the virtual mouse's backend to it.
// Tests build buses of their own so that nothing of the machine leaks in.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidbackend.h"

namespace varlok::device {

// The program names our own programs put into owner locks.
inline constexpr std::string_view kWindowProgram = "varlok";
inline constexpr std::string_view kToolProgram = "varlokctl";

// Where the owner locks of the devices lie and which program they name.
struct OwnerLocks {
    std::filesystem::path folder;
    std::string program;
};

// The owner locks of the system: in the user's runtime folder
// (platform::RuntimeFolder), naming program.
[[nodiscard]] OwnerLocks SystemOwnerLocks(std::string_view program);

class HidBus {
public:
    // Thread-safe. A backend whose scheme is already attached replaces it.
    void Attach(std::shared_ptr<HidBackend> backend);
    void Detach(std::string_view scheme);

    [[nodiscard]] std::vector<std::shared_ptr<HidBackend>> Backends() const;
    // The backend whose scheme prefixes the path ("sim:..." -> "sim"), or null.
    [[nodiscard]] std::shared_ptr<HidBackend> BackendFor(std::string_view path) const;

    // With owner locks set, HidDevice takes the owner lock of a device
    // before it opens one of its collections for writing, and holds it while
    // the collection is open: one program at a time talks to a device.
    // Without (the default of a bus built by hand, as tests do), nothing is
    // locked. Thread-safe.
    void SetOwnerLocks(std::optional<OwnerLocks> locks);
    [[nodiscard]] std::optional<OwnerLocks> GetOwnerLocks() const;

    // The process-wide bus, created on first use with the platform's backend
    // and SystemOwnerLocks under the name the program was started with (our
    // programs set kWindowProgram and kToolProgram instead).
    static std::shared_ptr<HidBus> System();

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<HidBackend>> m_backends;
    std::optional<OwnerLocks> m_ownerLocks;
};

}  // namespace varlok::device
