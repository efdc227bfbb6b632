#pragma once

// An exclusive advisory lock (flock) on one file, held for the life of the
// object, so that one program at a time uses what the file stands for. The
// file names its holder (process id and program) so that others can say who
// has it. The kernel drops the lock when the holder's descriptor closes, also
// when the holder dies, so a file left behind never blocks anyone; what the
// file says is only ever shown to the user, never trusted for a decision.
// Lock files are never removed: removing one while another process opens it
// would let two processes lock two different files of the same name.
//
// One object is used by one thread at a time; two objects (in one process or
// in two) that lock the same file exclude each other.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/filedescriptor.h"

namespace varlok::platform {

// Who a lock file names. Both parts are unknown (0, empty) when the file
// names nobody or a process that is gone.
struct LockHolder {
    long pid = 0;
    std::string program;

    friend bool operator==(const LockHolder&, const LockHolder&) = default;
};

class OwnerLock {
public:
    enum class Result {
        // This object holds the lock until Release or its destruction, and
        // the file names this process and the program.
        Acquired,
        // Someone else holds it; ReadHolder says who.
        Held,
        // The folder or the file cannot be used (missing parent, a folder of
        // another user or writable by everyone, a symbolic link, ...).
        Failed,
    };

    // The longest program name a lock file carries; longer names are cut.
    static constexpr std::size_t kMaxProgramLength = 64;

    OwnerLock() = default;
    ~OwnerLock() { Release(); }
    OwnerLock(OwnerLock&&) noexcept = default;
    OwnerLock& operator=(OwnerLock&& other) noexcept;
    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

    // Takes the lock of file without waiting. The file's folder is created
    // (mode 0700) when missing, but not its parents; the file is created
    // (mode 0600) when missing. Releases whatever this object held first.
    [[nodiscard]] Result TryAcquire(const std::filesystem::path& file, std::string_view program);
    // Clears the holder record and drops the lock; nothing when not held.
    void Release();
    [[nodiscard]] bool IsHeld() const { return m_fd.Valid(); }

    // The holder the file names: unknown when the file is missing, holds no
    // well-formed record, or names a process that no longer runs (a holder
    // that has just taken the lock may not have written its record yet).
    [[nodiscard]] static LockHolder ReadHolder(const std::filesystem::path& file);

private:
    FileDescriptor m_fd;
};

}  // namespace varlok::platform
