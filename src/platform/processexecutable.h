#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varlok::platform {

// The executable of a process, from /proc/PID/exe (without the kernel's
// " (deleted)" mark of a program replaced on disk); nothing when it cannot be
// read (no such process, or a process of another user). Any thread.
[[nodiscard]] std::optional<std::string> ProcessExecutable(std::uint32_t pid);

// The program of the process a window names, for the program in front: ""
// for pid 0 (a window that names none), else ProcessExecutable(pid).
[[nodiscard]] std::optional<std::string> WindowProgram(std::uint32_t pid);

// A process id as a peer wrote it (JSON, a bus call): the id when it can be
// one (1 to 2^31 - 1), else 0.
[[nodiscard]] std::uint32_t ProcessIdOrNone(std::int64_t value);

}  // namespace varlok::platform
