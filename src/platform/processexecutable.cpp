#include "platform/processexecutable.h"

#include <unistd.h>

#include <array>
#include <string_view>

namespace varlok::platform {

std::optional<std::string> ProcessExecutable(std::uint32_t pid) {
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        return std::nullopt;
    }
    std::string path(target.data(), static_cast<std::size_t>(length));
    // The kernel marks a program replaced on disk since it started.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

std::optional<std::string> WindowProgram(std::uint32_t pid) {
    return pid == 0 ? std::optional<std::string>("") : ProcessExecutable(pid);
}

std::uint32_t ProcessIdOrNone(std::int64_t value) {
    constexpr std::int64_t kLargest = 0x7FFFFFFF;
    return value > 0 && value <= kLargest ? static_cast<std::uint32_t>(value) : 0;
}

}  // namespace varlok::platform
