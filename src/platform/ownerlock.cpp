#include "platform/ownerlock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <limits>

#include "platform/debugoutput.h"

namespace varlok::platform {

namespace {

// A record is "<pid>\n<program>\n"; anything longer is no record of ours.
constexpr std::size_t kMaxRecordLength = 16 + OwnerLock::kMaxProgramLength;

// Printable text of at most kMaxProgramLength bytes: a name never brings a
// line break or a terminal control sequence into a message.
std::string CleanProgramName(std::string_view name) {
    std::string clean;
    for (const char c : name.substr(0, OwnerLock::kMaxProgramLength)) {
        const auto byte = static_cast<unsigned char>(c);
        clean.push_back(byte < 0x20 || byte == 0x7F ? '?' : c);
    }
    return clean;
}

// The folder must be ours: a folder another user made (in /tmp, where the
// fallback lies) or one that everybody may write to could be used to swap
// the lock file under us.
bool PrepareFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & S_IWOTH) == 0;
}

bool ProcessRuns(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

OwnerLock& OwnerLock::operator=(OwnerLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = std::move(other.m_fd);
    }
    return *this;
}

OwnerLock::Result OwnerLock::TryAcquire(const std::filesystem::path& file,
                                        std::string_view program) {
    Release();
    if (!PrepareFolder(file.parent_path())) {
        return Result::Failed;
    }
    FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid()) {
        return Result::Failed;
    }
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? Result::Held : Result::Failed;
    }
    // The record only serves messages: a failure to write it leaves the
    // lock held and the holder unnamed.
    const std::string record = std::to_string(::getpid()) + "\n" + CleanProgramName(program) + "\n";
    if (::ftruncate(fd.Get(), 0) != 0 || ::pwrite(fd.Get(), record.data(), record.size(), 0) !=
                                             static_cast<ssize_t>(record.size())) {
        DebugOutput::Write("owner lock: the holder could not be named in " + file.string());
    }
    m_fd = std::move(fd);
    return Result::Acquired;
}

void OwnerLock::Release() {
    if (!m_fd.Valid()) {
        return;
    }
    // Whoever reads the file afterwards finds nobody named; closing the
    // descriptor drops the lock.
    if (::ftruncate(m_fd.Get(), 0) != 0) {
        DebugOutput::Write("owner lock: the holder's name could not be taken out of its file");
    }
    m_fd.Reset();
}

LockHolder OwnerLock::ReadHolder(const std::filesystem::path& file) {
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.Valid()) {
        return {};
    }
    std::array<char, kMaxRecordLength + 1> buffer{};
    const ssize_t got = ::pread(fd.Get(), buffer.data(), buffer.size(), 0);
    if (got <= 0 || static_cast<std::size_t>(got) > kMaxRecordLength) {
        return {};
    }
    const std::string_view text(buffer.data(), static_cast<std::size_t>(got));
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos || text.back() != '\n' ||
        text.find('\n', firstEnd + 1) != text.size() - 1) {
        return {};
    }
    long pid = 0;
    const std::string_view digits = text.substr(0, firstEnd);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0 ||
        pid > std::numeric_limits<pid_t>::max() || !ProcessRuns(pid)) {
        return {};
    }
    const std::string_view program = text.substr(firstEnd + 1, text.size() - firstEnd - 2);
    return {pid, CleanProgramName(program)};
}

}  // namespace varlok::platform
