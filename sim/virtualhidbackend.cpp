#include "sim/virtualhidbackend.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>

#include "device/reportframe.h"
#include "sim/mousedescriptors.h"

namespace varlok::sim {

using device::HidAttributes;
using device::HidConnection;
using device::HidOpenError;
using device::HidOpenRequest;
using device::TransferResult;
using device::TransferStatus;

namespace {

constexpr std::array<MouseCollection, 3> kCollections = {
    MouseCollection::Pointer, MouseCollection::Consumer, MouseCollection::Configuration};

std::string MousePath(MouseCollection collection, std::uint32_t generation) {
    char path[96] = {};
    switch (collection) {
        case MouseCollection::Pointer:
            std::snprintf(path, sizeof path, "sim:mouse-%u-if0#vid_%04x&pid_%04x&mi_00", generation,
                          kMouseVendorId, kMouseProductId);
            break;
        case MouseCollection::Consumer:
        case MouseCollection::Configuration:
            std::snprintf(path, sizeof path, "sim:mouse-%u-if1#vid_%04x&pid_%04x&mi_01&col%02x",
                          generation, kMouseVendorId, kMouseProductId,
                          collection == MouseCollection::Consumer ? 1U : 2U);
            break;
    }
    return path;
}

std::span<const std::uint8_t> DescriptorOf(MouseCollection collection) {
    return collection == MouseCollection::Pointer ? PointerInterfaceDescriptor()
                                                  : ConfigInterfaceDescriptor();
}

// One open collection of the mouse: a session of the VirtualMouse.
class MouseConnection : public HidConnection {
public:
    MouseConnection(std::shared_ptr<VirtualMouse> mouse, VirtualMouse::SessionId session,
                    MouseCollection collection)
        : m_mouse(std::move(mouse)), m_session(session), m_collection(collection) {}
    ~MouseConnection() override { m_mouse->CloseSession(m_session); }
    MouseConnection(const MouseConnection&) = delete;
    MouseConnection& operator=(const MouseConnection&) = delete;

    [[nodiscard]] std::vector<std::uint8_t> ReportDescriptor() const override {
        const auto bytes = DescriptorOf(m_collection);
        return {bytes.begin(), bytes.end()};
    }
    [[nodiscard]] HidAttributes Attributes() const override {
        return {kMouseVendorId, kMouseProductId, kSimVersionNumber};
    }
    [[nodiscard]] TransferResult Read(std::span<std::uint8_t> buffer,
                                      std::chrono::milliseconds timeout) override {
        return m_mouse->ReadReport(m_session, buffer, timeout);
    }
    [[nodiscard]] TransferResult Write(std::span<const std::uint8_t> report,
                                       std::chrono::milliseconds /*timeout*/) override {
        return m_mouse->WriteReport(m_session, report);
    }
    void Abort() override { m_mouse->AbortSession(m_session); }

private:
    std::shared_ptr<VirtualMouse> m_mouse;
    VirtualMouse::SessionId m_session;
    MouseCollection m_collection;
};

// The decoy's configuration-like collection: takes 64-byte reports (logged in
// the mouse's log under the decoy's path) and never answers.
class DecoyConnection : public HidConnection {
public:
    DecoyConnection(std::shared_ptr<VirtualMouse> log, HidOpenRequest access)
        : m_log(std::move(log)), m_access(access) {}

    [[nodiscard]] std::vector<std::uint8_t> ReportDescriptor() const override {
        const auto bytes = DecoyInterfaceDescriptor();
        return {bytes.begin(), bytes.end()};
    }
    [[nodiscard]] HidAttributes Attributes() const override {
        return {kMouseVendorId, kDecoyProductId, kSimVersionNumber};
    }
    [[nodiscard]] TransferResult Read(std::span<std::uint8_t> /*buffer*/,
                                      std::chrono::milliseconds timeout) override {
        if (!m_access.read) {
            return {TransferStatus::Failed, 0};
        }
        std::unique_lock lock(m_mutex);
        const auto aborted = [this] { return m_abortPending; };
        if (timeout > std::chrono::hours(24)) {
            m_abort.wait(lock, aborted);
        } else if (!m_abort.wait_for(lock, timeout, aborted)) {
            return {TransferStatus::TimedOut, 0};
        }
        m_abortPending = false;
        return {TransferStatus::Aborted, 0};
    }
    [[nodiscard]] TransferResult Write(std::span<const std::uint8_t> report,
                                       std::chrono::milliseconds /*timeout*/) override {
        const bool accepted = m_access.write && report.size() == device::ReportFrame::kSize;
        m_log->Record({LoggedReport::Direction::HostToDevice, VirtualHidBackend::DecoyPath(),
                       std::vector<std::uint8_t>(report.begin(), report.end()), accepted});
        return accepted ? TransferResult{TransferStatus::Done, report.size()}
                        : TransferResult{TransferStatus::Failed, 0};
    }
    void Abort() override {
        {
            std::lock_guard lock(m_mutex);
            m_abortPending = true;
        }
        m_abort.notify_all();
    }

private:
    std::shared_ptr<VirtualMouse> m_log;
    HidOpenRequest m_access;
    std::mutex m_mutex;
    std::condition_variable m_abort;
    bool m_abortPending = false;
};

}  // namespace

VirtualHidBackend::VirtualHidBackend(std::shared_ptr<VirtualMouse> mouse)
    : m_mouse(std::move(mouse)) {}

bool VirtualHidBackend::Enumerate(std::vector<std::string>& paths) {
    paths.push_back(DecoyPath());
    if (const auto generation = m_mouse->Generation()) {
        for (const MouseCollection collection : kCollections) {
            paths.push_back(MousePath(collection, *generation));
        }
    }
    return true;
}

std::unique_ptr<HidConnection> VirtualHidBackend::Open(std::string_view path,
                                                       const HidOpenRequest& request,
                                                       HidOpenError& error) {
    if (path == DecoyPath()) {
        error = HidOpenError::None;
        return std::make_unique<DecoyConnection>(m_mouse, request);
    }
    error = HidOpenError::NotFound;
    const auto generation = m_mouse->Generation();
    if (!generation) {
        return nullptr;
    }
    for (const MouseCollection collection : kCollections) {
        std::string candidate = MousePath(collection, *generation);
        if (candidate != path) {
            continue;
        }
        const auto session =
            m_mouse->OpenSession(collection, *generation, request, std::move(candidate), error);
        if (!session) {
            return nullptr;
        }
        return std::make_unique<MouseConnection>(m_mouse, *session, collection);
    }
    return nullptr;
}

bool VirtualHidBackend::Probe(std::string_view path) {
    std::vector<std::string> present;
    if (!Enumerate(present)) {
        return false;
    }
    return std::find(present.begin(), present.end(), path) != present.end();
}

std::string VirtualHidBackend::OwnerKey(std::string_view path) {
    return path.starts_with("sim:mouse-") ? std::string(kOwnerKey) : std::string();
}

std::string VirtualHidBackend::PathOf(MouseCollection collection) const {
    const auto generation = m_mouse->Generation();
    return generation ? MousePath(collection, *generation) : std::string();
}

std::string VirtualHidBackend::DecoyPath() {
    return "sim:decoy-if1#vid_0c45&pid_7644&mi_01";
}

}  // namespace varlok::sim
