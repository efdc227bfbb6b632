#pragma once

// One open hidraw node (Linux). Transfers wait in poll() on the node and on an
// eventfd that Abort signals; the abort stays signalled, so a transfer that
// starts after Abort returns Aborted at once. A write and a read that may
// not wait make one system call each, and a read that waits two (the poll
// and the read): the floor of an exchange. The kernel hands reports of
// unnumbered interfaces over without a report id: reads put a 0 in front so
// that callers always see the id first.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/filedescriptor.h"
#include "device/hidbackend.h"

namespace varlok::device {

class HidrawConnection : public HidConnection {
public:
    // node may be invalid for a connection opened without access rights
    // (descriptor and attributes only); its transfers then fail.
    HidrawConnection(FileDescriptor node, FileDescriptor abortEvent,
                     std::vector<std::uint8_t> descriptor, HidAttributes attributes, bool numbered);

    [[nodiscard]] std::vector<std::uint8_t> ReportDescriptor() const override;
    [[nodiscard]] HidAttributes Attributes() const override;
    [[nodiscard]] TransferResult Read(std::span<std::uint8_t> buffer,
                                      std::chrono::milliseconds timeout) override;
    [[nodiscard]] TransferResult Write(std::span<const std::uint8_t> report,
                                       std::chrono::milliseconds timeout) override;
    void Abort() override;

private:
    enum class Wait { Ready, TimedOut, Aborted, Failed };
    // Waits until the node is ready for events, the abort is signalled or
    // the deadline (none: no limit) has passed.
    [[nodiscard]] Wait WaitFor(
        short events, const std::optional<std::chrono::steady_clock::time_point>& deadline) const;

    // Waits for events, then runs io (one read or write, returning what it
    // returned) until it moved bytes or failed for good.
    template <typename Io>
    [[nodiscard]] TransferResult Transfer(short events, std::chrono::milliseconds timeout, Io io);

    FileDescriptor m_node;
    FileDescriptor m_abortEvent;
    std::vector<std::uint8_t> m_descriptor;
    HidAttributes m_attributes;
    bool m_numbered;
    // Set with the eventfd, for the transfers that do not poll.
    std::atomic<bool> m_aborted{false};
};

}  // namespace varlok::device
