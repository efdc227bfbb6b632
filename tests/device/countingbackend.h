#pragma once

// A backend for the monitor tests that passes everything to the virtual
// mouse's backend and keeps count of the open requests and of the
// connections still alive per path, so that tests see which collections
// were opened and whether they were closed again.

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hidbackend.h"
#include "recordingdeviceevents.h"
#include "sim/virtualhidbackend.h"

namespace varlok::device::testing {

class CountingBackend : public HidBackend {
public:
    explicit CountingBackend(std::shared_ptr<sim::VirtualHidBackend> inner)
        : m_inner(std::move(inner)), m_counts(std::make_shared<Counts>()) {}

    struct OpenRecord {
        std::string path;
        HidOpenRequest request;
    };

    std::string_view Scheme() const override { return m_inner->Scheme(); }
    bool Enumerate(std::vector<std::string>& paths) override {
        {
            const std::lock_guard lock(m_counts->mutex);
            ++m_counts->enumerations;
            m_counts->changed.notify_all();
        }
        if (m_failEnumeration) {
            return false;
        }
        return m_inner->Enumerate(paths);
    }
    // Waits until enumerations have begun this many times in all (guarded
    // against hanging).
    [[nodiscard]] bool WaitForEnumeration(int count = 1) const {
        std::unique_lock lock(m_counts->mutex);
        return m_counts->changed.wait_for(lock, kHangGuard,
                                          [&] { return m_counts->enumerations >= count; });
    }
    [[nodiscard]] int Enumerations() const {
        const std::lock_guard lock(m_counts->mutex);
        return m_counts->enumerations;
    }
    std::unique_ptr<HidConnection> Open(std::string_view path, const HidOpenRequest& request,
                                        HidOpenError& error) override {
        std::unique_ptr<HidConnection> inner = m_inner->Open(path, request, error);
        const std::lock_guard lock(m_counts->mutex);
        m_counts->opens.push_back({std::string(path), request});
        m_counts->changed.notify_all();
        if (!inner) {
            return nullptr;
        }
        ++m_counts->live[std::string(path)];
        return std::make_unique<Connection>(std::move(inner), m_counts, std::string(path));
    }
    // Waits until the path has been opened (guarded against hanging).
    [[nodiscard]] bool WaitForOpen(const std::string& path) const {
        std::unique_lock lock(m_counts->mutex);
        return m_counts->changed.wait_for(lock, kHangGuard, [&] {
            return std::any_of(m_counts->opens.begin(), m_counts->opens.end(),
                               [&](const OpenRecord& open) { return open.path == path; });
        });
    }
    bool Probe(std::string_view path) override { return m_inner->Probe(path); }
    std::string OwnerKey(std::string_view path) override { return m_inner->OwnerKey(path); }

    std::vector<OpenRecord> Opens() const {
        const std::lock_guard lock(m_counts->mutex);
        return m_counts->opens;
    }
    int LiveConnections(const std::string& path) const {
        const std::lock_guard lock(m_counts->mutex);
        const auto found = m_counts->live.find(path);
        return found == m_counts->live.end() ? 0 : found->second;
    }
    // Set before the backend is attached.
    void FailEnumeration() { m_failEnumeration = true; }

private:
    struct Counts {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<OpenRecord> opens;
        std::map<std::string, int> live;
        int enumerations = 0;
    };
    class Connection : public HidConnection {
    public:
        Connection(std::unique_ptr<HidConnection> inner, std::shared_ptr<Counts> counts,
                   std::string path)
            : m_inner(std::move(inner)), m_counts(std::move(counts)), m_path(std::move(path)) {}
        ~Connection() override {
            const std::lock_guard lock(m_counts->mutex);
            --m_counts->live[m_path];
        }
        Connection(const Connection&) = delete;
        Connection& operator=(const Connection&) = delete;
        std::vector<std::uint8_t> ReportDescriptor() const override {
            return m_inner->ReportDescriptor();
        }
        HidAttributes Attributes() const override { return m_inner->Attributes(); }
        TransferResult Read(std::span<std::uint8_t> buffer,
                            std::chrono::milliseconds timeout) override {
            return m_inner->Read(buffer, timeout);
        }
        TransferResult Write(std::span<const std::uint8_t> report,
                             std::chrono::milliseconds timeout) override {
            return m_inner->Write(report, timeout);
        }
        void Abort() override { m_inner->Abort(); }

    private:
        std::unique_ptr<HidConnection> m_inner;
        std::shared_ptr<Counts> m_counts;
        std::string m_path;
    };

    std::shared_ptr<sim::VirtualHidBackend> m_inner;
    std::shared_ptr<Counts> m_counts;
    bool m_failEnumeration = false;
};

}  // namespace varlok::device::testing
