#pragma once

// Waits for the lock of an OwnerLock file to come free, without polling:
// inotify reports every close of the file, and a lock is dropped by a close
// (also when its holder dies). A close is not always a release (a program
// that only looked at the file, or failed to take the lock, closes it too),
// so every wake-up looks again whether the lock is free.
//
// One thread at a time; the watch is set up by the constructor.

#include <chrono>
#include <filesystem>

#include "platform/filedescriptor.h"

namespace varlok::platform {

class OwnerLockWatch {
public:
    explicit OwnerLockWatch(std::filesystem::path file);

    // True as soon as the lock is free; the caller then takes it as usual
    // and may find that another program was quicker (then it waits again).
    // False once the deadline has passed with the lock still held. Returns
    // at once, free or not, when the file could not be watched.
    [[nodiscard]] bool WaitUntilFree(std::chrono::steady_clock::time_point deadline);

private:
    // Opens the file for looking and watches it.
    void Attach();
    // Whether nobody holds the lock at this moment. Looks through a
    // descriptor kept open between looks, so that looking causes no close
    // event of its own.
    [[nodiscard]] bool IsFree();
    // Reads away the events that have come so far.
    void Drain() const;

    std::filesystem::path m_file;
    FileDescriptor m_notify;
    FileDescriptor m_probe;
};

}  // namespace varlok::platform
