#include "platform/ownerlockwatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace varlok::platform {

OwnerLockWatch::OwnerLockWatch(std::filesystem::path file)
    : m_file(std::move(file)), m_notify(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    Attach();
}

void OwnerLockWatch::Attach() {
    m_probe.Reset(::open(m_file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (m_notify.Valid() && m_probe.Valid() &&
        ::inotify_add_watch(m_notify.Get(), m_file.c_str(),
                            IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_DELETE_SELF | IN_MOVE_SELF) <
            0) {
        m_notify.Reset();
    }
}

bool OwnerLockWatch::IsFree() {
    // Lock files stay where they are; should one be replaced all the same,
    // the lock that counts is the new file's.
    struct stat named {};
    struct stat probed {};
    if (!m_probe.Valid() || ::stat(m_file.c_str(), &named) != 0 ||
        ::fstat(m_probe.Get(), &probed) != 0 || named.st_ino != probed.st_ino ||
        named.st_dev != probed.st_dev) {
        Attach();
    }
    if (!m_probe.Valid()) {
        return true;  // no file, no lock: the caller's attempt tells the rest
    }
    if (::flock(m_probe.Get(), LOCK_EX | LOCK_NB) == 0) {
        ::flock(m_probe.Get(), LOCK_UN);
        return true;
    }
    return errno != EWOULDBLOCK;
}

void OwnerLockWatch::Drain() const {
    alignas(inotify_event) std::array<char, 4096> events{};
    while (::read(m_notify.Get(), events.data(), events.size()) > 0) {
    }
}

bool OwnerLockWatch::WaitUntilFree(std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        // Events of closes that came before this look (the caller's own
        // failed attempt among them) are of no interest: the look decides.
        // A release after the look comes as an event after the drain.
        if (m_notify.Valid()) {
            Drain();
        }
        if (IsFree()) {
            return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (!m_notify.Valid() || left.count() <= 0) {
            return false;
        }
        pollfd ready{m_notify.Get(), POLLIN, 0};
        const int timeout = static_cast<int>(std::min<long long>(left.count(), 60'000));
        if (::poll(&ready, 1, timeout) < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace varlok::platform
