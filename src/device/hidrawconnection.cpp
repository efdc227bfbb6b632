#include "device/hidrawconnection.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

namespace varlok::device {

namespace {

using Clock = std::chrono::steady_clock;

// None for kWaitForever (or a timeout of a year and more).
std::optional<Clock::time_point> DeadlineFor(std::chrono::milliseconds timeout) {
    if (timeout == kWaitForever || timeout >= std::chrono::hours(24 * 365)) {
        return std::nullopt;
    }
    return Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
}

}  // namespace

HidrawConnection::HidrawConnection(FileDescriptor node, FileDescriptor abortEvent,
                                   std::vector<std::uint8_t> descriptor, HidAttributes attributes,
                                   bool numbered)
    : m_node(std::move(node)),
      m_abortEvent(std::move(abortEvent)),
      m_descriptor(std::move(descriptor)),
      m_attributes(attributes),
      m_numbered(numbered) {}

std::vector<std::uint8_t> HidrawConnection::ReportDescriptor() const {
    return m_descriptor;
}

HidAttributes HidrawConnection::Attributes() const {
    return m_attributes;
}

HidrawConnection::Wait HidrawConnection::WaitFor(
    short events, const std::optional<std::chrono::steady_clock::time_point>& deadline) const {
    for (;;) {
        int pollTimeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            pollTimeout = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
        }
        pollfd fds[2] = {{m_node.Get(), events, 0}, {m_abortEvent.Get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, pollTimeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wait::Failed;
        }
        if (fds[1].revents != 0) {
            return Wait::Aborted;
        }
        if (fds[0].revents & events) {
            return Wait::Ready;
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return Wait::Failed;  // the device went away
        }
        if (ready == 0 && deadline && Clock::now() >= *deadline) {
            return Wait::TimedOut;
        }
    }
}

template <typename Io>
TransferResult HidrawConnection::Transfer(short events, std::chrono::milliseconds timeout, Io io) {
    const auto deadline = DeadlineFor(timeout);
    // A write goes straight to the node, which takes it at once (hidraw
    // nodes always poll writable), and a read that may not wait takes what
    // is queued: one system call each. Only a read that waits for its report
    // polls first, since the report is rarely there yet.
    bool waitFirst = events == POLLIN && timeout.count() > 0;
    for (;;) {
        if (m_aborted.load(std::memory_order_acquire)) {
            return {TransferStatus::Aborted, 0};
        }
        if (waitFirst) {
            switch (WaitFor(events, deadline)) {
                case Wait::Ready:
                    break;
                case Wait::TimedOut:
                    return {TransferStatus::TimedOut, 0};
                case Wait::Aborted:
                    return {TransferStatus::Aborted, 0};
                case Wait::Failed:
                    return {TransferStatus::Failed, 0};
            }
        }
        waitFirst = true;
        const ssize_t moved = io();
        if (moved < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            // Nothing there, another reader took the report, or a signal
            // came: wait (again) while time is left.
            if (deadline && Clock::now() >= *deadline) {
                return {TransferStatus::TimedOut, 0};
            }
            continue;
        }
        if (moved <= 0) {
            return {TransferStatus::Failed, 0};  // ENODEV/EIO: unplugged; 0: closed
        }
        return {TransferStatus::Done, static_cast<std::size_t>(moved)};
    }
}

TransferResult HidrawConnection::Read(std::span<std::uint8_t> buffer,
                                      std::chrono::milliseconds timeout) {
    if (!m_node.Valid() || buffer.size() < (m_numbered ? 1u : 2u)) {
        return {TransferStatus::Failed, 0};
    }
    const std::span<std::uint8_t> target = m_numbered ? buffer : buffer.subspan(1);
    TransferResult result = Transfer(
        POLLIN, timeout, [&] { return ::read(m_node.Get(), target.data(), target.size()); });
    if (result.status == TransferStatus::Done && !m_numbered) {
        buffer[0] = 0;
        ++result.bytes;
    }
    return result;
}

TransferResult HidrawConnection::Write(std::span<const std::uint8_t> report,
                                       std::chrono::milliseconds timeout) {
    if (!m_node.Valid() || report.empty()) {
        return {TransferStatus::Failed, 0};
    }
    // The report id byte goes to the kernel as it is; for unnumbered
    // interfaces it is 0 and the kernel strips it.
    const TransferResult result = Transfer(
        POLLOUT, timeout, [&] { return ::write(m_node.Get(), report.data(), report.size()); });
    if (result.status == TransferStatus::Done && result.bytes != report.size()) {
        return {TransferStatus::Failed, 0};
    }
    return result;
}

void HidrawConnection::Abort() {
    m_aborted.store(true, std::memory_order_release);
    const std::uint64_t one = 1;
    // Never read back: the abort stays signalled for every later transfer.
    [[maybe_unused]] const ssize_t written = ::write(m_abortEvent.Get(), &one, sizeof one);
}

}  // namespace varlok::device
