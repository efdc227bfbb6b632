#pragma once

// A HidBackend described in data for the HidDevice tests: a list of paths,
// one interface (descriptor and attributes) per node, and connections whose
// input queue the test fills. Records every open request and written report.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hidbackend.h"

namespace varlok::device::testing {

// The shared side of one fake interface node: what the device sends and what
// it received. Lives as long as its backend or any connection to it.
class FakeNode {
public:
    std::vector<std::uint8_t> descriptor;
    HidAttributes attributes;

    void Send(std::vector<std::uint8_t> report) {
        {
            std::lock_guard lock(m_mutex);
            m_input.push_back(std::move(report));
        }
        m_changed.notify_all();
    }
    std::vector<std::vector<std::uint8_t>> Written() const {
        std::lock_guard lock(m_mutex);
        return m_written;
    }
    // Blocks until a read is waiting on the node (a test's "must not hang"
    // guard bounds it).
    bool WaitForWaitingReader(std::chrono::milliseconds guard) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, guard, [&] { return m_waitingReaders > 0; });
    }
    int LiveConnections() const {
        std::lock_guard lock(m_mutex);
        return m_liveConnections;
    }

private:
    friend class FakeConnection;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<std::uint8_t>> m_input;
    std::vector<std::vector<std::uint8_t>> m_written;
    int m_waitingReaders = 0;
    int m_liveConnections = 0;
};

// Abort is sticky, as HidDevice needs: a read that starts after Abort returns
// Aborted at once.
class FakeConnection : public HidConnection {
public:
    explicit FakeConnection(std::shared_ptr<FakeNode> node) : m_node(std::move(node)) {
        std::lock_guard lock(m_node->m_mutex);
        ++m_node->m_liveConnections;
    }
    ~FakeConnection() override {
        std::lock_guard lock(m_node->m_mutex);
        --m_node->m_liveConnections;
    }
    FakeConnection(const FakeConnection&) = delete;
    FakeConnection& operator=(const FakeConnection&) = delete;

    std::vector<std::uint8_t> ReportDescriptor() const override { return m_node->descriptor; }
    HidAttributes Attributes() const override { return m_node->attributes; }

    TransferResult Read(std::span<std::uint8_t> buffer,
                        std::chrono::milliseconds timeout) override {
        std::unique_lock lock(m_node->m_mutex);
        ++m_node->m_waitingReaders;
        m_node->m_changed.notify_all();
        const auto ready = [&] { return m_aborted || !m_node->m_input.empty(); };
        bool woken = true;
        if (timeout == kWaitForever) {
            m_node->m_changed.wait(lock, ready);
        } else {
            woken = m_node->m_changed.wait_for(lock, timeout, ready);
        }
        --m_node->m_waitingReaders;
        if (m_aborted) {
            return {TransferStatus::Aborted, 0};
        }
        if (!woken) {
            return {TransferStatus::TimedOut, 0};
        }
        const std::vector<std::uint8_t> report = std::move(m_node->m_input.front());
        m_node->m_input.pop_front();
        const std::size_t bytes = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), bytes, buffer.begin());
        return {TransferStatus::Done, bytes};
    }
    TransferResult Write(std::span<const std::uint8_t> report,
                         std::chrono::milliseconds /*timeout*/) override {
        std::lock_guard lock(m_node->m_mutex);
        if (m_aborted) {
            return {TransferStatus::Aborted, 0};
        }
        m_node->m_written.emplace_back(report.begin(), report.end());
        return {TransferStatus::Done, report.size()};
    }
    void Abort() override {
        {
            std::lock_guard lock(m_node->m_mutex);
            m_aborted = true;
        }
        m_node->m_changed.notify_all();
    }

private:
    std::shared_ptr<FakeNode> m_node;
    bool m_aborted = false;  // guarded by the node's mutex
};

class FakeBackend : public HidBackend {
public:
    explicit FakeBackend(std::string scheme = "fake") : m_scheme(std::move(scheme)) {}

    // Paths name their node as "<scheme>:<node>#...".
    std::shared_ptr<FakeNode> AddNode(const std::string& name, std::vector<std::uint8_t> descriptor,
                                      HidAttributes attributes) {
        auto node = std::make_shared<FakeNode>();
        node->descriptor = std::move(descriptor);
        node->attributes = attributes;
        std::lock_guard lock(m_mutex);
        m_nodes[name] = node;
        return node;
    }
    void AddPath(std::string path) {
        std::lock_guard lock(m_mutex);
        m_paths.push_back(std::move(path));
    }
    void FailEnumeration(bool fail) {
        std::lock_guard lock(m_mutex);
        m_failEnumeration = fail;
    }
    void FailOpen(HidOpenError error) {
        std::lock_guard lock(m_mutex);
        m_openError = error;
    }
    void Unplug(const std::string& name) {
        std::lock_guard lock(m_mutex);
        m_nodes.erase(name);
    }
    std::vector<HidOpenRequest> OpenRequests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    std::string_view Scheme() const override { return m_scheme; }
    bool Enumerate(std::vector<std::string>& paths) override {
        std::lock_guard lock(m_mutex);
        if (m_failEnumeration) {
            return false;
        }
        paths.insert(paths.end(), m_paths.begin(), m_paths.end());
        return true;
    }
    std::unique_ptr<HidConnection> Open(std::string_view path, const HidOpenRequest& request,
                                        HidOpenError& error) override {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (m_openError != HidOpenError::None) {
            error = m_openError;
            return nullptr;
        }
        const auto node = m_nodes.find(NodeName(path));
        if (node == m_nodes.end()) {
            error = HidOpenError::NotFound;
            return nullptr;
        }
        return std::make_unique<FakeConnection>(node->second);
    }
    bool Probe(std::string_view path) override {
        std::lock_guard lock(m_mutex);
        return m_nodes.count(NodeName(path)) != 0;
    }

private:
    std::string NodeName(std::string_view path) const {
        const std::size_t start = m_scheme.size() + 1;
        const std::size_t end = path.find('#');
        if (path.size() < start || end == std::string_view::npos || end < start) {
            return {};
        }
        return std::string(path.substr(start, end - start));
    }

    std::string m_scheme;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths;
    std::map<std::string, std::shared_ptr<FakeNode>> m_nodes;
    std::vector<HidOpenRequest> m_requests;
    bool m_failEnumeration = false;
    HidOpenError m_openError = HidOpenError::None;
};

}  // namespace varlok::device::testing
