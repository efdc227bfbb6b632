#include "platform/atomicfile.h"

#include "platform/debugoutput.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

namespace varlok::platform {

namespace {

// Closes a POSIX file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

// The process's own faults (SetProcessWriteFaults), shared so that a write
// keeps the hook it started with while another thread replaces it.
std::mutex g_processFaultsMutex;
std::shared_ptr<const ProcessWriteFaultHook> g_processFaults;

std::shared_ptr<const ProcessWriteFaultHook> ProcessFaults() {
    const std::lock_guard lock(g_processFaultsMutex);
    return g_processFaults;
}

// The caller's hook, then the process's: a step either refuses fails.
class WriteFaults {
public:
    WriteFaults(const std::filesystem::path& target, const AtomicWriteFaultHook& callers)
        : m_target(target), m_callers(callers), m_process(ProcessFaults()) {}

    [[nodiscard]] bool Allow(AtomicWriteStep step) const {
        if ((m_callers && !m_callers(step)) || (m_process && !(*m_process)(m_target, step))) {
            errno = step == AtomicWriteStep::WriteData ? ENOSPC : EIO;
            return false;
        }
        return true;
    }

private:
    const std::filesystem::path& m_target;
    const AtomicWriteFaultHook& m_callers;
    std::shared_ptr<const ProcessWriteFaultHook> m_process;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter++);
    return target.parent_path() / name;
}

constexpr std::string_view kTemporaryMark = ".tmp-";

// The writer's pid of a name TemporaryPathFor made, or nothing.
std::optional<pid_t> TemporaryWriter(std::string_view name) {
    if (name.size() < 2 || name.front() != '.') {
        return std::nullopt;
    }
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark < 2) {
        return std::nullopt;
    }
    const std::string_view numbers = name.substr(mark + kTemporaryMark.size());
    const std::size_t dash = numbers.find('-');
    const auto allDigits = [](std::string_view text) {
        return !text.empty() &&
               std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !allDigits(numbers.substr(0, dash)) ||
        !allDigits(numbers.substr(dash + 1))) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const std::string_view digits = numbers.substr(0, dash);
    if (std::from_chars(digits.data(), digits.data() + digits.size(), pid).ec != std::errc{} ||
        pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

bool ProcessRunning(pid_t pid) {
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

void ReportFailure(const char* what, const std::filesystem::path& path) {
    DebugOutput::Write(std::string("file write failed (") + what + "): " + path.string() + ": " +
                       std::strerror(errno));
}

// Writes and syncs the temporary file. False (errno set) on any failure.
bool WriteTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target,
                    std::string_view bytes, const WriteFaults& faults) {
    if (!faults.Allow(AtomicWriteStep::CreateTemporary)) {
        return false;
    }
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        return false;
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(file.Get(), existing.st_mode & 07777);
    }
    if (!faults.Allow(AtomicWriteStep::WriteData) || !WriteAll(file.Get(), bytes)) {
        return false;
    }
    if (!faults.Allow(AtomicWriteStep::SyncFile) || ::fsync(file.Get()) != 0) {
        return false;
    }
    return file.Close();
}

// A bound no file reaches; one below the largest size, so that the byte
// beyond it can be counted.
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max() - 1;

// Reads `fd` from its position to its end, at most maxBytes of it: Ok, Error,
// or TooLarge with the first maxBytes. Reads take the size the file had when
// opened (`opened`), one byte more, so that a file that has not grown
// meanwhile takes one read and the read that sees its end.
FileContents ReadOpenFile(int fd, const struct stat& opened, std::size_t maxBytes) {
    const std::size_t block = static_cast<std::size_t>(std::max<off_t>(opened.st_size, 0)) + 1;
    std::string bytes;
    // One byte beyond the bound tells a file of exactly maxBytes from a
    // longer one.
    while (bytes.size() <= maxBytes) {
        const std::size_t start = bytes.size();
        bytes.resize(start + std::min(block, maxBytes + 1 - start));
        const ssize_t got = ::read(fd, bytes.data() + start, bytes.size() - start);
        if (got < 0 && errno == EINTR) {
            bytes.resize(start);
            continue;
        }
        if (got < 0) {
            return {FileReadStatus::Error, {}};
        }
        bytes.resize(start + static_cast<std::size_t>(got));
        if (got == 0) {
            return {FileReadStatus::Ok, std::move(bytes)};
        }
    }
    bytes.resize(maxBytes);
    return {FileReadStatus::TooLarge, std::move(bytes)};
}

}  // namespace

FileContents ReadWholeFile(const std::filesystem::path& path) {
    std::error_code error;
    auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {FileReadStatus::Missing, {}};
    }
    if (error || std::filesystem::is_directory(status)) {
        return {FileReadStatus::Error, {}};
    }
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat opened {};
    if (file.Get() < 0 || ::fstat(file.Get(), &opened) != 0) {
        return {FileReadStatus::Error, {}};
    }
    return ReadOpenFile(file.Get(), opened, kNoLimit);
}

FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {FileReadStatus::Missing, {}};
    }
    // Looked at before the open: opening a device may do something of its own.
    if (error || !std::filesystem::is_regular_file(status)) {
        return {FileReadStatus::Error, {}};
    }
    // Non-blocking and looked at again once open, in case a pipe took the
    // file's place meanwhile.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat opened {};
    if (file.Get() < 0 || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
        return {FileReadStatus::Error, {}};
    }
    return ReadOpenFile(file.Get(), opened, std::min(maxBytes, kNoLimit));
}

void SetProcessWriteFaults(ProcessWriteFaultHook hook) {
    auto shared = hook ? std::make_shared<const ProcessWriteFaultHook>(std::move(hook)) : nullptr;
    const std::lock_guard lock(g_processFaultsMutex);
    g_processFaults = std::move(shared);
}

bool ReplaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           const AtomicWriteFaultHook& faultHook) {
    const WriteFaults faults(target, faultHook);
    const std::filesystem::path temporary = TemporaryPathFor(target);
    if (!WriteTemporary(temporary, target, bytes, faults)) {
        int writeError = errno;
        ::unlink(temporary.c_str());
        errno = writeError;
        ReportFailure("temporary", target);
        return false;
    }
    if (!faults.Allow(AtomicWriteStep::Rename) ||
        ::rename(temporary.c_str(), target.c_str()) != 0) {
        int renameError = errno;
        ::unlink(temporary.c_str());
        errno = renameError;
        ReportFailure("rename", target);
        return false;
    }
    std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!faults.Allow(AtomicWriteStep::SyncFolder) || directory.Get() < 0 ||
        ::fsync(directory.Get()) != 0) {
        ReportFailure("folder sync", target);
    }
    return true;
}

std::size_t RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return 0;
    }
    std::size_t removed = 0;
    for (const std::filesystem::directory_entry& entry : entries) {
        const std::optional<pid_t> writer = TemporaryWriter(entry.path().filename().string());
        // A link or folder with such a name is not one of ours.
        if (!writer || ProcessRunning(*writer) || !entry.is_regular_file(error) ||
            entry.is_symlink(error)) {
            continue;
        }
        if (std::filesystem::remove(entry.path(), error)) {
            ++removed;
            DebugOutput::Write("removed the leftover of a killed write: " + entry.path().string());
        }
    }
    return removed;
}

}  // namespace varlok::platform
