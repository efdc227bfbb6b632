#include "platform/socketwatch.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <array>
#include <cstdint>
#include <utility>

namespace varlok::platform {

SocketWatch::SocketWatch() : m_stop(::eventfd(0, EFD_CLOEXEC)) {}

SocketWatch::~SocketWatch() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stop.Get(), &one, sizeof one);
        m_thread.join();
    }
}

void SocketWatch::Start(int fd, Handler handler, bool handleFirst) {
    if (m_thread.joinable()) {
        return;
    }
    m_thread = std::thread(
        [this, fd, handler = std::move(handler), handleFirst] { Run(fd, handler, handleFirst); });
}

void SocketWatch::Run(int fd, const Handler& handler, bool handleFirst) const {
    if (handleFirst && !handler()) {
        return;
    }
    std::array<pollfd, 2> watched{{{fd, POLLIN, 0}, {m_stop.Get(), POLLIN, 0}}};
    while (true) {
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            continue;  // EINTR
        }
        if (watched[1].revents != 0) {
            return;
        }
        if (watched[0].revents != 0 && !handler()) {
            return;
        }
    }
}

}  // namespace varlok::platform
