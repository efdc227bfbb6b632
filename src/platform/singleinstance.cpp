#include "platform/singleinstance.h"

#include "platform/debugoutput.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace varlok::platform {

namespace {

// A peer that connects but sends nothing is given up after this long.
constexpr int kReceiveTimeoutMs = 1000;
constexpr int kAttempts = 3;

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;
};

// "\0varlok.<name>.<uid>" in the abstract namespace; std::nullopt if too long.
std::optional<SocketAddress> AddressFor(const std::string& name) {
    std::string abstractName = "varlok." + name + "." + std::to_string(::getuid());
    SocketAddress result;
    result.address.sun_family = AF_UNIX;
    if (abstractName.size() + 1 > sizeof(result.address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(result.address.sun_path + 1, abstractName.data(), abstractName.size());
    result.length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + abstractName.size());
    return result;
}

int NewSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

// Connects to the running instance and sends the message. False if no instance
// accepted the connection.
bool SendWake(const SocketAddress& address, std::string_view message) {
    int fd = NewSocket();
    if (fd < 0) {
        return false;
    }
    bool sent =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address.address), address.length) == 0;
    while (sent && !message.empty()) {
        ssize_t written = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            // The instance accepted us, so it runs even if it stopped reading.
            break;
        }
        message.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
    return sent;
}

bool SameUser(int clientFd) {
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    return ::getsockopt(clientFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::getuid();
}

}  // namespace

SingleInstance::SingleInstance(std::string name, WakeCallback onWake)
    : m_name(std::move(name)), m_onWake(std::move(onWake)) {}

SingleInstance::~SingleInstance() {
    if (m_listener.joinable()) {
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(m_stopFd, &one, sizeof(one));
        m_listener.join();
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
    if (m_stopFd >= 0) {
        ::close(m_stopFd);
    }
}

SingleInstance::AcquireResult SingleInstance::Acquire(std::string_view wakeMessage) {
    if (m_listenFd >= 0) {
        return AcquireResult::Acquired;
    }
    auto address = AddressFor(m_name);
    if (!address || wakeMessage.size() > kMaxMessageLength) {
        return AcquireResult::Failed;
    }
    // Between another instance's bind and listen, or while it shuts down, neither
    // the bind nor the connect succeeds; a few attempts ride that out.
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fd = NewSocket();
        if (fd < 0) {
            return AcquireResult::Failed;
        }
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address->address), address->length) ==
            0) {
            return BindAndListen(fd) ? AcquireResult::Acquired : AcquireResult::Failed;
        }
        int bindError = errno;
        ::close(fd);
        if (bindError != EADDRINUSE) {
            return AcquireResult::Failed;
        }
        if (SendWake(*address, wakeMessage)) {
            return AcquireResult::AlreadyRunning;
        }
    }
    return AcquireResult::Failed;
}

bool SingleInstance::BindAndListen(int socketFd) {
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_stopFd < 0 || ::listen(socketFd, SOMAXCONN) != 0) {
        ::close(socketFd);
        return false;
    }
    m_listenFd = socketFd;
    m_listener = std::thread([this] { Listen(); });
    return true;
}

void SingleInstance::Listen() {
    for (;;) {
        pollfd fds[] = {{m_listenFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            DebugOutput::Write("single instance listener failed: " +
                               std::string(std::strerror(errno)));
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            ReceiveFrom(client);
            ::close(client);
        }
    }
}

// Reads the wake message until the peer closes, then hands it to the callback.
void SingleInstance::ReceiveFrom(int clientFd) {
    if (!SameUser(clientFd)) {
        return;
    }
    std::string message;
    char buffer[kMaxMessageLength + 1];
    for (;;) {
        pollfd fds[] = {{clientFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        int ready = ::poll(fds, 2, kReceiveTimeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || fds[1].revents != 0) {
            return;
        }
        ssize_t received = ::recv(clientFd, buffer, sizeof(buffer), 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received < 0) {
            return;
        }
        if (received == 0) {
            break;
        }
        message.append(buffer, static_cast<std::size_t>(received));
        if (message.size() > kMaxMessageLength) {
            return;
        }
    }
    if (!message.empty() && m_onWake) {
        m_onWake(message);
    }
}

}  // namespace varlok::platform
