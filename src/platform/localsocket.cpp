#include "platform/localsocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varlok::platform {

namespace {

// Waits until fd is readable; false at the timeout or on a failure.
bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
    pollfd readable{fd, POLLIN, 0};
    while (true) {
        const int ready = ::poll(&readable, 1, static_cast<int>(timeout.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

// One read of at most size bytes into buffer: the count, 0 at the end of the
// stream, negative on a failure.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    while (true) {
        const ssize_t got = ::recv(fd, buffer, size, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

}  // namespace

FileDescriptor ConnectLocalSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return FileDescriptor();
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid() ||
        ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return FileDescriptor();
    }
    return socket;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<std::string> ReceiveExactly(int fd, std::size_t size,
                                          std::chrono::milliseconds timeout) {
    std::string bytes(size, '\0');
    std::size_t have = 0;
    while (have < size) {
        if (!WaitReadable(fd, timeout)) {
            return std::nullopt;
        }
        const ssize_t got = ReadSome(fd, bytes.data() + have, size - have);
        if (got <= 0) {
            return std::nullopt;
        }
        have += static_cast<std::size_t>(got);
    }
    return bytes;
}

std::optional<std::string> ReceiveUntilClosed(int fd, std::size_t limit,
                                              std::chrono::milliseconds timeout) {
    std::string bytes;
    while (true) {
        constexpr std::size_t kChunk = 64 * 1024;
        std::optional<std::string> more =
            ReceiveAvailable(fd, std::min(kChunk, limit + 1 - bytes.size()), timeout);
        if (!more) {
            return std::nullopt;
        }
        if (more->empty()) {
            return bytes;
        }
        bytes += *more;
        if (bytes.size() > limit) {
            return std::nullopt;
        }
    }
}

std::optional<std::string> ReceiveAvailable(int fd, std::size_t limit,
                                            std::chrono::milliseconds timeout) {
    if (!WaitReadable(fd, timeout)) {
        return std::nullopt;
    }
    std::string bytes(limit, '\0');
    const ssize_t got = ReadSome(fd, bytes.data(), bytes.size());
    if (got < 0) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

}  // namespace varlok::platform
