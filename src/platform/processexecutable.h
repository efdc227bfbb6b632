#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varlok::platform {

// The executable of a process, from /proc/PID/exe (without the kernel's
// " (deleted)" mark of a program replaced on disk); nothing when it cannot be
// read (no such process, or a process of another user). Any thread.
[[nodiscard]] std::optional<std::string> ProcessExecutable(std::uint32_t pid);

}  // namespace varlok::platform
