#include "device/hiddevice.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bitset>

#include "device/hidpath.h"
#include "device/hidreportdescriptor.h"
#include "device/hidusages.h"
#include "device/reporttrace.h"
#include "platform/debugoutput.h"

namespace varlok::device {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kKindCount = 3;

std::size_t KindIndex(ReportKind kind) {
    return static_cast<std::size_t>(kind);
}

// One open collection. Transfers hold their own reference, so a Close or
// Open on another thread never destroys the connection under a transfer that
// is still inside it: the last reference, dropped when that transfer
// returns, releases the node.
struct Session {
    // Declared first, so that it is released after the node is closed.
    platform::OwnerLock ownerLock;
    std::shared_ptr<HidConnection> connection;
    std::bitset<256> inputReportIds;
    std::atomic<bool> closed{false};
};

struct KindState {
    std::vector<std::uint8_t> buffer;
    std::vector<HidReportItem> items;
};

// The deadline of a transfer; none for kWaitForever or a timeout too long
// for the clock to represent.
std::optional<Clock::time_point> DeadlineFor(std::chrono::milliseconds timeout) {
    if (timeout == kWaitForever) {
        return std::nullopt;
    }
    const Clock::time_point now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now);
    if (timeout >= room) {
        return std::nullopt;
    }
    return now + std::max(timeout, std::chrono::milliseconds(0));
}

std::chrono::milliseconds Remaining(const std::optional<Clock::time_point>& deadline) {
    if (!deadline) {
        return kWaitForever;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

std::vector<HidReportItem> BuildItems(const HidTopLevelCollection& collection, ReportKind kind) {
    std::vector<HidReportItem> items;
    for (const HidButtonCaps& caps : collection.ButtonCaps(kind)) {
        HidReportItem item;
        item.isButton = true;
        item.usagePage = caps.usagePage;
        item.reportId = caps.reportId;
        item.usageMin = caps.usageMin;
        item.usageMax = caps.isRange ? caps.usageMax : caps.usageMin;
        item.maxUsageCount = MaxUsageListLength(collection, kind, caps.usagePage);
        item.usages.assign(item.maxUsageCount, 0);
        items.push_back(std::move(item));
    }
    for (const HidValueCaps& caps : collection.ValueCaps(kind)) {
        const std::uint32_t last = caps.isRange ? caps.usageMax : caps.usageMin;
        for (std::uint32_t usage = caps.usageMin; usage <= last; ++usage) {
            HidReportItem item;
            item.usagePage = caps.usagePage;
            item.reportId = caps.reportId;
            item.usage = static_cast<std::uint16_t>(usage);
            items.push_back(std::move(item));
        }
    }
    return items;
}

// Keeps, in order, the usages of the item's own range and ends the list with
// zeros: the page's usage list also carries other caps' usages.
void KeepOwnUsages(HidReportItem& item, std::size_t reported) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < std::min(reported, item.usages.size()); ++i) {
        const std::uint16_t usage = item.usages[i];
        if (usage >= item.usageMin && usage <= item.usageMax) {
            item.usages[kept++] = usage;
        }
    }
    std::fill(item.usages.begin() + static_cast<std::ptrdiff_t>(kept), item.usages.end(), 0);
}

}  // namespace

struct HidDevice::State {
    std::shared_ptr<HidBus> bus;

    std::vector<std::string> paths;
    std::size_t cursor = 0;

    bool openForRead = false;
    bool openForWrite = false;
    bool overlapped = false;
    bool exclusive = false;
    std::string path;
    HidOpenError lastOpenError = HidOpenError::None;
    HidOwner lastOpenOwner;
    // Set once an unusable owner lock was reported, so that a monitor
    // retrying every second does not repeat it.
    bool ownerLockFailureReported = false;

    HidTopLevelCollection collection;
    HidAttributes attributes;
    std::array<KindState, kKindCount> kinds;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;

    mutable std::mutex sessionMutex;
    std::shared_ptr<Session> session;  // guarded by sessionMutex; null when closed

    std::shared_ptr<Session> CurrentSession() const {
        std::lock_guard lock(sessionMutex);
        return session;
    }

    // Detaches the open session, wakes any transfer waiting in it and frees
    // the caps. The connection itself goes when its last transfer returns.
    void Release() {
        std::shared_ptr<Session> detached;
        {
            std::lock_guard lock(sessionMutex);
            detached = std::move(session);
            session.reset();
        }
        if (detached) {
            detached->closed = true;
            detached->connection->Abort();
        }
        collection = HidTopLevelCollection{};
        attributes = HidAttributes{};
        kinds = {};
    }
};

// Takes the owner lock of the device behind path into lock, when the bus
// keeps owner locks and the backend names one. False only when another
// program holds it; who that is lands in lastOpenOwner.
bool HidDevice::TakeOwnerLock(State& state, HidBackend& backend, std::string_view path,
                              platform::OwnerLock& lock) {
    const std::optional<OwnerLocks> locks = state.bus->GetOwnerLocks();
    const std::string key = locks ? backend.OwnerKey(path) : std::string();
    if (key.empty()) {
        return true;
    }
    const std::filesystem::path file = locks->folder / (key + ".lock");
    switch (lock.TryAcquire(file, locks->program)) {
        case platform::OwnerLock::Result::Acquired:
            return true;
        case platform::OwnerLock::Result::Held:
            state.lastOpenOwner = {file, platform::OwnerLock::ReadHolder(file)};
            return false;
        case platform::OwnerLock::Result::Failed:
            if (!state.ownerLockFailureReported) {
                state.ownerLockFailureReported = true;
                platform::DebugOutput::Write("owner lock " + file.string() +
                                             " cannot be used; the device is opened without it");
            }
            return true;
    }
    return true;
}

HidDevice::HidDevice(std::shared_ptr<HidBus> bus) : m_state(std::make_unique<State>()) {
    m_state->bus = std::move(bus);
}

HidDevice::~HidDevice() {
    m_state->Release();
}

bool HidDevice::FindPaths() {
    State& state = *m_state;
    state.paths.clear();
    state.cursor = 0;
    if (!state.bus) {
        return false;
    }
    // One failing backend must not hide the others' collections (the virtual
    // mouse stays reachable when the machine's HID enumeration fails); the
    // enumeration fails only when every backend failed.
    const auto backends = state.bus->Backends();
    bool anySucceeded = backends.empty();
    for (const auto& backend : backends) {
        std::vector<std::string> found;
        if (!backend->Enumerate(found)) {
            continue;
        }
        anySucceeded = true;
        for (std::string& path : found) {
            if (!path.empty()) {
                state.paths.push_back(std::move(path));
            }
        }
    }
    if (!anySucceeded) {
        state.paths.clear();
    }
    return anySucceeded;
}

std::optional<std::string> HidDevice::NextPath() {
    State& state = *m_state;
    while (state.cursor < state.paths.size()) {
        const std::string& path = state.paths[state.cursor++];
        if (!path.empty()) {
            return path;
        }
    }
    return std::nullopt;
}

void HidDevice::FreePaths() {
    m_state->paths.clear();
    m_state->paths.shrink_to_fit();
    m_state->cursor = 0;
}

std::size_t HidDevice::PathCount() const {
    return m_state->paths.size();
}

bool HidDevice::Open(std::string_view path, bool read, bool write, bool overlapped,
                     bool exclusive) {
    State& state = *m_state;
    state.openForRead = read;
    state.openForWrite = write;
    state.overlapped = overlapped;  // every transfer is abortable; kept for callers
    state.exclusive = exclusive;
    state.path.assign(path);
    state.lastOpenOwner = {};
    state.Release();
    state.interfaceNumber = 0;
    state.collectionNumber = 0;

    const auto fail = [&](HidOpenError error) {
        state.lastOpenError = error;
        return false;
    };
    const std::shared_ptr<HidBackend> backend = state.bus ? state.bus->BackendFor(path) : nullptr;
    if (!backend) {
        return fail(HidOpenError::NotFound);
    }
    platform::OwnerLock ownerLock;
    if (write && !TakeOwnerLock(state, *backend, path, ownerLock)) {
        return fail(HidOpenError::InUse);
    }
    HidOpenError error = HidOpenError::None;
    std::unique_ptr<HidConnection> connection =
        backend->Open(path, HidOpenRequest{read, write, exclusive}, error);
    if (!connection) {
        return fail(error == HidOpenError::None ? HidOpenError::Failed : error);
    }

    HidReportDescriptor descriptor;
    if (!descriptor.Parse(connection->ReportDescriptor()).Ok() ||
        descriptor.Collections().empty()) {
        return fail(HidOpenError::Failed);
    }
    // "&colNN" counts the interface's top-level collections from 1; a path
    // without it names the first (usually only) one.
    const std::optional<std::uint32_t> collectionNumber = HexAfterMarker(path, "&col");
    const std::size_t index = collectionNumber.value_or(1);
    if (index == 0 || index > descriptor.Collections().size()) {
        return fail(HidOpenError::NotFound);
    }

    auto session = std::make_shared<Session>();
    state.collection = descriptor.Collections()[index - 1];
    for (const std::uint8_t id : state.collection.ReportIds(ReportKind::Input)) {
        session->inputReportIds.set(id);
    }
    state.attributes = connection->Attributes();
    const std::uint16_t lengths[] = {state.collection.caps.inputReportByteLength,
                                     state.collection.caps.outputReportByteLength,
                                     state.collection.caps.featureReportByteLength};
    for (std::size_t k = 0; k < kKindCount; ++k) {
        state.kinds[k].buffer.assign(lengths[k], 0);
        state.kinds[k].items = BuildItems(state.collection, static_cast<ReportKind>(k));
    }
    state.interfaceNumber = HexAfterMarker(path, "&mi_").value_or(0);
    state.collectionNumber = collectionNumber.value_or(0);
    session->ownerLock = std::move(ownerLock);
    session->connection = std::move(connection);
    {
        std::lock_guard lock(state.sessionMutex);
        state.session = std::move(session);
    }
    state.lastOpenError = HidOpenError::None;
    return true;
}

void HidDevice::Close() {
    m_state->Release();
}

bool HidDevice::IsOpen() const {
    return m_state->CurrentSession() != nullptr;
}

HidOpenError HidDevice::LastOpenError() const {
    return m_state->lastOpenError;
}

const HidOwner& HidDevice::LastOpenOwner() const {
    return m_state->lastOpenOwner;
}

bool HidDevice::ReadReport(std::span<std::uint8_t> buffer, std::size_t* transferred,
                           std::chrono::milliseconds timeout) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    // From here on only the session copy is touched: another thread may
    // Close or reopen this object while the read waits.
    const std::shared_ptr<Session> session = m_state->CurrentSession();
    if (!session || buffer.empty()) {
        return false;
    }
    const auto deadline = DeadlineFor(timeout);
    for (;;) {
        if (session->closed) {
            return false;
        }
        const std::chrono::milliseconds remaining = Remaining(deadline);
        const TransferResult result = session->connection->Read(buffer, remaining);
        if (result.status != TransferStatus::Done) {
            return false;
        }
        const std::size_t bytes = std::min(result.bytes, buffer.size());
        if (bytes > 0 && session->inputReportIds.test(buffer[0])) {
            ReportTrace::Received(buffer.first(bytes));
            if (transferred != nullptr) {
                *transferred = bytes;
            }
            return true;
        }
        // Another collection's report: not ours to deliver. Keep waiting for
        // the rest of the timeout; once it has run out, the zero-timeout
        // reads still take what is already queued.
        std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bytes), 0);
    }
}

bool HidDevice::WriteReport(std::span<const std::uint8_t> buffer, std::size_t* transferred,
                            std::chrono::milliseconds timeout) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    const std::shared_ptr<Session> session = m_state->CurrentSession();
    if (!session || buffer.empty() || session->closed) {
        return false;
    }
    const TransferResult result = session->connection->Write(buffer, timeout);
    if (result.status != TransferStatus::Done) {
        return false;
    }
    const std::size_t bytes = std::min(result.bytes, buffer.size());
    ReportTrace::Sent(buffer.first(bytes));
    if (transferred != nullptr) {
        *transferred = bytes;
    }
    return true;
}

bool HidDevice::UnpackReport(std::span<const std::uint8_t> report, ReportKind kind) {
    State& state = *m_state;
    if (report.empty()) {
        return false;
    }
    const std::uint8_t reportId = report[0];
    for (HidReportItem& item : state.kinds[KindIndex(kind)].items) {
        if (item.reportId != reportId) {
            continue;
        }
        if (item.isButton) {
            std::size_t count = 0;
            const HidStatus status =
                GetUsages(state.collection, kind, item.usagePage, report, item.usages, count);
            item.status = static_cast<std::int32_t>(status);
            KeepOwnUsages(item, status == HidStatus::Success ? count : 0);
        } else {
            const HidStatus status = GetUsageValue(state.collection, kind, item.usagePage,
                                                   item.usage, report, item.value);
            item.status = static_cast<std::int32_t>(status);
            if (status != HidStatus::Success) {
                return false;
            }
            item.status = static_cast<std::int32_t>(GetScaledUsageValue(
                state.collection, kind, item.usagePage, item.usage, report, item.scaledValue));
        }
        item.isSet = true;
    }
    return true;
}

bool HidDevice::ProbePath() const {
    return !m_state->path.empty() && ProbePath(m_state->path);
}

bool HidDevice::ProbePath(std::string_view path) const {
    const std::shared_ptr<HidBackend> backend =
        m_state->bus ? m_state->bus->BackendFor(path) : nullptr;
    return backend && backend->Probe(path);
}

const std::string& HidDevice::Path() const {
    return m_state->path;
}

const HidCaps& HidDevice::Caps() const {
    return m_state->collection.caps;
}

const HidAttributes& HidDevice::Attributes() const {
    return m_state->attributes;
}

std::span<std::uint8_t> HidDevice::ReportBuffer(ReportKind kind) {
    return m_state->kinds[KindIndex(kind)].buffer;
}

std::span<HidReportItem> HidDevice::Items(ReportKind kind) {
    return m_state->kinds[KindIndex(kind)].items;
}

std::span<const HidButtonCaps> HidDevice::ButtonCaps(ReportKind kind) const {
    return m_state->collection.ButtonCaps(kind);
}

std::span<const HidValueCaps> HidDevice::ValueCaps(ReportKind kind) const {
    return m_state->collection.ValueCaps(kind);
}

std::uint32_t HidDevice::InterfaceNumber() const {
    return m_state->interfaceNumber;
}

std::uint32_t HidDevice::CollectionNumber() const {
    return m_state->collectionNumber;
}

std::uint16_t HidDevice::ParseVendorId(std::string_view path) {
    return static_cast<std::uint16_t>(HexAfterMarker(path, "vid_").value_or(0));
}

std::uint16_t HidDevice::ParseProductId(std::string_view path) {
    return static_cast<std::uint16_t>(HexAfterMarker(path, "pid_").value_or(0));
}

}  // namespace varlok::device
