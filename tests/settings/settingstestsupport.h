#pragma once

// Shared by the settings tests: the virtual mouse behind a connected mouse
// link, with a switch that makes the link's writes fail after a number of
// them went through (a read cut off part-way), the requests the mouse
// received, and hooks that record what the exchanges set off.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device/devicelink.h"
#include "device/hidbus.h"
#include "device/reportframe.h"
#include "settings/exchangehooks.h"
#include "settings/profilesaves.h"
#include "settings/tableuploads.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmouse.h"

namespace varlok::settings::testing {

// Passes everything to the virtual mouse; once the write budget is used up,
// further writes fail without reaching the mouse.
class WriteBudgetBackend : public device::HidBackend {
public:
    explicit WriteBudgetBackend(std::shared_ptr<sim::VirtualHidBackend> inner)
        : m_inner(std::move(inner)) {}

    // From now on only `count` more writes reach the mouse.
    void LimitWrites(int count) {
        m_budget->remaining.store(count);
        m_budget->limited.store(true);
    }

    std::string_view Scheme() const override { return m_inner->Scheme(); }
    bool Enumerate(std::vector<std::string>& paths) override { return m_inner->Enumerate(paths); }
    bool Probe(std::string_view path) override { return m_inner->Probe(path); }
    std::unique_ptr<device::HidConnection> Open(std::string_view path,
                                                const device::HidOpenRequest& request,
                                                device::HidOpenError& error) override {
        auto inner = m_inner->Open(path, request, error);
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<Connection>(std::move(inner), m_budget);
    }

private:
    struct Budget {
        std::atomic<bool> limited{false};
        std::atomic<int> remaining{0};
    };
    class Connection : public device::HidConnection {
    public:
        Connection(std::unique_ptr<device::HidConnection> inner, std::shared_ptr<Budget> budget)
            : m_inner(std::move(inner)), m_budget(std::move(budget)) {}
        std::vector<std::uint8_t> ReportDescriptor() const override {
            return m_inner->ReportDescriptor();
        }
        device::HidAttributes Attributes() const override { return m_inner->Attributes(); }
        device::TransferResult Read(std::span<std::uint8_t> buffer,
                                    std::chrono::milliseconds timeout) override {
            return m_inner->Read(buffer, timeout);
        }
        device::TransferResult Write(std::span<const std::uint8_t> report,
                                     std::chrono::milliseconds timeout) override {
            if (m_budget->limited.load() && m_budget->remaining.fetch_sub(1) <= 0) {
                return {device::TransferStatus::Failed, 0};
            }
            return m_inner->Write(report, timeout);
        }
        void Abort() override { m_inner->Abort(); }

    private:
        std::unique_ptr<device::HidConnection> m_inner;
        std::shared_ptr<Budget> m_budget;
    };

    std::shared_ptr<sim::VirtualHidBackend> m_inner;
    std::shared_ptr<Budget> m_budget = std::make_shared<Budget>();
};

// One request as the mouse received it.
struct Request {
    std::uint8_t command = 0;
    std::uint8_t length = 0;
    std::uint16_t offset = 0;
    std::vector<std::uint8_t> data;  // the `length` data bytes
    std::vector<std::uint8_t> raw;   // all 64 bytes

    // "05 len 1 @0": command, length and offset, for readable failures.
    [[nodiscard]] std::string Summary() const {
        char text[32];
        std::snprintf(text, sizeof text, "%02x len %u @%u", command, length, offset);
        return text;
    }
};

inline std::vector<Request> RequestsReceived(const sim::VirtualMouse& mouse) {
    std::vector<Request> requests;
    for (const sim::LoggedReport& report : mouse.Log()) {
        if (report.direction != sim::LoggedReport::Direction::HostToDevice || !report.accepted ||
            report.bytes.size() != device::ReportFrame::kSize) {
            continue;
        }
        const device::ReportFrame frame = device::ReportFrame::FromBytes(report.bytes);
        Request request;
        request.command = frame.CommandCode();
        request.length = frame.Length();
        request.offset = frame.Offset();
        const auto data = report.bytes.begin() + device::ReportFrame::kDataIndex;
        request.data.assign(data, data + std::min<std::size_t>(request.length, 56));
        request.raw = report.bytes;
        requests.push_back(std::move(request));
    }
    return requests;
}

// The requests besides the lighting frames, which the window's lighting
// worker streams from 3 s after it starts.
inline std::vector<Request> NonFrameRequests(const sim::VirtualMouse& mouse) {
    std::vector<Request> requests = RequestsReceived(mouse);
    std::erase_if(requests, [](const Request& request) {
        return request.command == static_cast<std::uint8_t>(device::Command::SendLightingFrame);
    });
    return requests;
}

inline std::vector<std::string> Summaries(const std::vector<Request>& requests) {
    std::vector<std::string> summaries;
    for (const Request& request : requests) {
        summaries.push_back(request.Summary());
    }
    return summaries;
}

// Records every hook call and profile save as a line of text; the uploads
// answer as told. The save's start and end also note how many reports the
// mouse had received by then, so that tests can place them among the device
// traffic.
class RecordingHooks : public ExchangeHooks, public ProfileSaves, public TableUploads {
public:
    explicit RecordingHooks(const sim::VirtualMouse& mouse) : m_mouse(mouse) {}

    void SaveDeviceProfile() override { m_calls.push_back("SaveDeviceProfile"); }
    void SaveLightingProfile() override { m_calls.push_back("SaveLightingProfile"); }
    void SaveKeyProfile() override { m_calls.push_back("SaveKeyProfile"); }
    void OnboardProfileSwitched() override { m_calls.push_back("OnboardProfileSwitched"); }
    void SaveStarted() override { Mark("SaveStarted"); }
    void SaveFinished() override { Mark("SaveFinished"); }
    UploadResult UploadTables(device::DeviceLink&, std::size_t macroCapacityBytes) override {
        m_calls.push_back("UploadTables " + std::to_string(macroCapacityBytes));
        return tables;
    }

    UploadResult tables = UploadResult::Sent;

    [[nodiscard]] const std::vector<std::string>& Calls() const { return m_calls; }
    [[nodiscard]] const std::vector<std::size_t>& RequestsAtSend() const {
        return m_requestsAtSend;
    }

private:
    void Mark(std::string call) {
        m_calls.push_back(std::move(call));
        m_requestsAtSend.push_back(RequestsReceived(m_mouse).size());
    }

    const sim::VirtualMouse& m_mouse;
    std::vector<std::string> m_calls;
    std::vector<std::size_t> m_requestsAtSend;
};

// A mouse link connected to the virtual mouse, as the presence monitor
// leaves it.
class ConnectedMouse {
public:
    ConnectedMouse() {
        m_bus->Attach(m_backend);
        m_link.Init(device::DeviceType::Mouse);
        const auto lock = m_link.LockIo();
        EXPECT_TRUE(m_link.Device().Open(m_simBackend->PathOf(sim::MouseCollection::Configuration),
                                         true, true, true, false));
        EXPECT_TRUE(m_link.MatchesOpenDevice());
        m_link.SetConnected(true);
    }

    std::shared_ptr<sim::VirtualMouse> mouse = std::make_shared<sim::VirtualMouse>();

protected:
    std::shared_ptr<device::HidBus> m_bus = std::make_shared<device::HidBus>();
    std::shared_ptr<sim::VirtualHidBackend> m_simBackend =
        std::make_shared<sim::VirtualHidBackend>(mouse);
    std::shared_ptr<WriteBudgetBackend> m_backend =
        std::make_shared<WriteBudgetBackend>(m_simBackend);
    device::DeviceLink m_link{m_bus};
};

}  // namespace varlok::settings::testing
