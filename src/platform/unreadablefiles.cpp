#include "platform/unreadablefiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <utility>

#include "platform/atomicfile.h"
#include "platform/debugoutput.h"

namespace varlok::platform {

namespace {

std::mutex g_noteMutex;
std::vector<std::filesystem::path> g_setAside;  // guarded by g_noteMutex

// More files set aside in one second than any start makes; past it the
// rename gives up rather than count on.
constexpr int kMaxSameSecond = 1000;

std::string Timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    return std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local) > 0 ? text : "0";
}

// Renames without replacing: renameat2 where the file system offers it, a
// hard link and unlink where it does not (both fail on an existing target).
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

}  // namespace

std::optional<std::filesystem::path> SetAsideUnreadable(const std::filesystem::path& file,
                                                        std::string_view why) {
    const std::string base = file.filename().string() + std::string(kUnreadableMark) + Timestamp();
    for (int attempt = 1; attempt <= kMaxSameSecond; ++attempt) {
        const std::filesystem::path target =
            file.parent_path() / (attempt == 1 ? base : base + "-" + std::to_string(attempt));
        if (RenameNoReplace(file, target)) {
            DebugOutput::Write("set aside " + file.string() + " (" + std::string(why) + ") as " +
                               target.filename().string());
            const std::lock_guard lock(g_noteMutex);
            g_setAside.push_back(target);
            return target;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    DebugOutput::Write("cannot set aside " + file.string() + " (" + std::string(why) +
                       "): " + std::strerror(errno));
    return std::nullopt;
}

std::vector<std::filesystem::path> TakeSetAsideFiles() {
    const std::lock_guard lock(g_noteMutex);
    return std::exchange(g_setAside, {});
}

bool IsIniText(std::string_view bytes) {
    return bytes.find('\0') == std::string_view::npos;
}

bool SetAsideIniIfNotText(const std::filesystem::path& path) {
    const FileContents contents = ReadWholeFile(path);
    return contents.status == FileReadStatus::Ok && !IsIniText(contents.bytes) &&
           SetAsideUnreadable(path, "not text").has_value();
}

}  // namespace varlok::platform
