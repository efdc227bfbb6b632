#include "sim/virtualmouse.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "device/deviceevents.h"
#include "platform/workerthread.h"
#include "sim/mousedescriptors.h"

namespace varlok::sim {

using device::ReportFrame;
using device::TransferResult;
using device::TransferStatus;
using Clock = std::chrono::steady_clock;

namespace {

// Like hidraw's per-reader ring: events beyond this many unread are dropped.
// Answers are always kept; each one stands for a write of the reader itself.
constexpr std::size_t kQueueLimit = 64;
// Report ids that none of the mouse's collections uses, for garbage answers.
constexpr std::uint8_t kForeignReportIdBase = 0x10;
// A truncated garbage answer stops before the status byte.
constexpr std::size_t kTruncatedAnswerSize = ReportFrame::kStatusIndex;

bool HasInputReports(MouseCollection collection) {
    return collection == MouseCollection::Consumer || collection == MouseCollection::Configuration;
}

}  // namespace

VirtualMouse::VirtualMouse() = default;

VirtualMouse::~VirtualMouse() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_requestArrived.notify_all();
    if (m_answerer.joinable()) {
        m_answerer.join();
    }
}

void VirtualMouse::AnswerOnOwnThread() {
    if (!m_answerer.joinable()) {
        m_answerer = std::thread([this] {
            platform::NameThisThread("virtual-mouse");
            AnswerRequests();
        });
    }
}

void VirtualMouse::AnswerRequests() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_requestArrived.wait(lock, [this] { return m_quit || !m_requests.empty(); });
        if (m_quit) {
            return;
        }
        const PendingRequest request = m_requests.front();
        m_requests.pop_front();
        const auto found = m_sessions.find(request.session);
        if (found != m_sessions.end() && IsAlive(found->second)) {
            CarryOut(found->second, request.report);
        }
        // Outside the lock: a reader woken under it would wait for it at once.
        auto readers = std::exchange(m_readersToWake, {});
        lock.unlock();
        WakeReaders(std::move(readers));
        lock.lock();
    }
}

void VirtualMouse::WakeReaders(std::vector<std::shared_ptr<std::condition_variable>> readers) {
    for (const auto& reader : readers) {
        reader->notify_all();
    }
}

void VirtualMouse::WakeAllReaders() {
    for (auto& [id, session] : m_sessions) {
        session.arrived->notify_all();
    }
}

void VirtualMouse::Plug() {
    std::lock_guard lock(m_mutex);
    if (!m_plugged) {
        m_plugged = true;
        ++m_generation;
    }
}

void VirtualMouse::Unplug() {
    std::lock_guard lock(m_mutex);
    UnplugLocked();
}

void VirtualMouse::UnplugLocked() {
    m_plugged = false;
    for (auto& [id, session] : m_sessions) {
        session.queue.clear();
    }
    WakeAllReaders();
}

bool VirtualMouse::IsPlugged() const {
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::optional<std::uint32_t> VirtualMouse::Generation() const {
    std::lock_guard lock(m_mutex);
    return m_plugged ? std::optional<std::uint32_t>(m_generation) : std::nullopt;
}

void VirtualMouse::SetFaults(const Faults& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

VirtualMouse::Faults VirtualMouse::CurrentFaults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

void VirtualMouse::PressEvent(std::uint16_t code) {
    std::vector<std::shared_ptr<std::condition_variable>> readers;
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged) {
            return;
        }
        QueueEvent(code);
        readers = std::exchange(m_readersToWake, {});
    }
    WakeReaders(std::move(readers));
}

void VirtualMouse::PressProfileButton() {
    std::vector<std::shared_ptr<std::condition_variable>> readers;
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged) {
            return;
        }
        std::uint8_t& active =
            m_firmware.Memory().Region(MemoryRegion::Settings)[kActiveProfileByte];
        active = active + 1U < kRecordCount ? static_cast<std::uint8_t>(active + 1) : 0;
        if (m_memoryObserver) {
            m_memoryObserver();
        }
        QueueEvent(static_cast<std::uint16_t>(device::DeviceEventCode::ProfileSwitched));
        readers = std::exchange(m_readersToWake, {});
    }
    WakeReaders(std::move(readers));
}

void VirtualMouse::PressDpiButton() {
    std::vector<std::shared_ptr<std::condition_variable>> readers;
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged) {
            return;
        }
        const std::span<std::uint8_t> settings = m_firmware.Memory().Region(MemoryRegion::Settings);
        const std::size_t active = settings[kActiveProfileByte];
        if (active < kRecordCount) {
            std::uint8_t& stage = settings[active * kRecordSize + kCurrentDpiStageByte];
            stage = stage + 1U < kDpiStageCount ? static_cast<std::uint8_t>(stage + 1) : 0;
            if (m_memoryObserver) {
                m_memoryObserver();
            }
        }
        QueueEvent(static_cast<std::uint16_t>(device::DeviceEventCode::ProfileSwitched));
        readers = std::exchange(m_readersToWake, {});
    }
    WakeReaders(std::move(readers));
}

void VirtualMouse::SetMemoryObserver(MemoryObserver observer) {
    std::lock_guard lock(m_mutex);
    m_memoryObserver = std::move(observer);
}

StoredMemory VirtualMouse::Stored() const {
    std::lock_guard lock(m_mutex);
    return m_firmware.Memory().Stored();
}

void VirtualMouse::SetOwnerObserver(OwnerObserver observer) {
    std::lock_guard lock(m_ownerMutex);
    m_ownerObserver = std::move(observer);
}

void VirtualMouse::Restore(const StoredMemory& stored) {
    std::lock_guard lock(m_mutex);
    m_firmware.Memory().Restore(stored);
}

std::vector<LoggedReport> VirtualMouse::Log() const {
    std::lock_guard lock(m_mutex);
    return {m_log.begin(), m_log.end()};
}

void VirtualMouse::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void VirtualMouse::SetLogLimit(std::size_t entries) {
    std::lock_guard lock(m_mutex);
    m_logLimit = entries;
    while (m_log.size() > m_logLimit) {
        m_log.pop_front();
    }
}

void VirtualMouse::Record(LoggedReport report) {
    std::lock_guard lock(m_mutex);
    AppendLog(std::move(report));
}

DeviceInfoBytes VirtualMouse::DeviceInfo() const {
    return CopyOf<DeviceInfoBytes>(MemoryRegion::DeviceInfo);
}

void VirtualMouse::SetDeviceInfo(const DeviceInfoBytes& info) {
    StoreRegion(MemoryRegion::DeviceInfo, info);
}

SettingsAreaBytes VirtualMouse::SettingsArea() const {
    return CopyOf<SettingsAreaBytes>(MemoryRegion::Settings);
}

void VirtualMouse::SetSettingsArea(const SettingsAreaBytes& area) {
    StoreRegion(MemoryRegion::Settings, area);
}

FactoryKeyMapBytes VirtualMouse::FactoryKeyMap() const {
    return CopyOf<FactoryKeyMapBytes>(MemoryRegion::FactoryKeyMap);
}

void VirtualMouse::SetFactoryKeyMap(const FactoryKeyMapBytes& map) {
    StoreRegion(MemoryRegion::FactoryKeyMap, map);
}

KeyMemoryBytes VirtualMouse::KeyMemory() const {
    return CopyOf<KeyMemoryBytes>(MemoryRegion::KeyBlocks);
}

void VirtualMouse::SetKeyMemory(const KeyMemoryBytes& memory) {
    StoreRegion(MemoryRegion::KeyBlocks, memory);
}

KeyBlockBytes VirtualMouse::StoredKeyBlock(std::size_t index) const {
    const KeyMemoryBytes memory = KeyMemory();
    KeyBlockBytes block{};
    const std::size_t start = std::min(index, kKeyBlockCount - 1) * kKeyBlockStep;
    std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(start), kKeyBlockSize, block.begin());
    return block;
}

std::vector<std::uint8_t> VirtualMouse::MacroTable() const {
    return CopyOf<std::vector<std::uint8_t>>(MemoryRegion::MacroTable);
}

void VirtualMouse::SetMacroTable(std::span<const std::uint8_t> table) {
    StoreRegion(MemoryRegion::MacroTable, table);
}

CursorTableBytes VirtualMouse::CursorTable() const {
    return CopyOf<CursorTableBytes>(MemoryRegion::CursorTable);
}

void VirtualMouse::SetCursorTable(const CursorTableBytes& table) {
    StoreRegion(MemoryRegion::CursorTable, table);
}

LightingFrameBytes VirtualMouse::LightingFrame() const {
    return CopyOf<LightingFrameBytes>(MemoryRegion::LightingFrame);
}

std::size_t VirtualMouse::LightingFrameCount() const {
    std::lock_guard lock(m_mutex);
    return m_firmware.LightingFrameCount();
}

bool VirtualMouse::InTransfer() const {
    std::lock_guard lock(m_mutex);
    return m_firmware.InTransfer();
}

bool VirtualMouse::IsWriter(MouseCollection collection, const device::HidOpenRequest& access) {
    return collection == MouseCollection::Configuration && access.write;
}

std::optional<VirtualMouse::SessionId> VirtualMouse::OpenSession(
    MouseCollection collection, std::uint32_t generation, const device::HidOpenRequest& request,
    std::string path, device::HidOpenError& error) {
    std::lock_guard ownerLock(m_ownerMutex);
    const std::optional<SessionId> id =
        AddSession(collection, generation, request, std::move(path), error);
    if (id && IsWriter(collection, request) && m_writers++ == 0 && m_ownerObserver) {
        m_ownerObserver(true);
    }
    return id;
}

std::optional<VirtualMouse::SessionId> VirtualMouse::AddSession(
    MouseCollection collection, std::uint32_t generation, const device::HidOpenRequest& request,
    std::string path, device::HidOpenError& error) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || generation != m_generation) {
        error = device::HidOpenError::NotFound;
        return std::nullopt;
    }
    if (m_faults.refuseOpen) {
        error = device::HidOpenError::PermissionDenied;
        return std::nullopt;
    }
    for (const auto& [id, other] : m_sessions) {
        if (other.collection != collection || !IsAlive(other)) {
            continue;
        }
        // Share modes as a host OS applies them per collection: an exclusive
        // opener shares no writing, and nobody may write beside it.
        if ((other.access.exclusive && request.write) ||
            (request.exclusive && other.access.write)) {
            error = device::HidOpenError::Busy;
            return std::nullopt;
        }
    }
    const SessionId id = m_nextSession++;
    Session session;
    session.collection = collection;
    session.generation = generation;
    session.access = request;
    session.path = std::move(path);
    m_sessions.emplace(id, std::move(session));
    error = device::HidOpenError::None;
    return id;
}

void VirtualMouse::CloseSession(SessionId session) {
    std::lock_guard ownerLock(m_ownerMutex);
    bool writer = false;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_sessions.find(session);
        if (found != m_sessions.end()) {
            writer = IsWriter(found->second.collection, found->second.access);
            found->second.arrived->notify_all();
            m_sessions.erase(found);
        }
    }
    if (writer && --m_writers == 0 && m_ownerObserver) {
        m_ownerObserver(false);
    }
}

TransferResult VirtualMouse::ReadReport(SessionId id, std::span<std::uint8_t> buffer,
                                        std::chrono::milliseconds timeout) {
    // Anything beyond a day counts as no limit, which also keeps the deadline
    // arithmetic from overflowing for kWaitForever.
    const bool forever = timeout > std::chrono::hours(24);
    const auto deadline = forever ? Clock::time_point::max()
                                  : Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto found = m_sessions.find(id);
        if (found == m_sessions.end()) {
            return {TransferStatus::Failed, 0};
        }
        Session& session = found->second;
        if (session.abortPending) {
            session.abortPending = false;
            return {TransferStatus::Aborted, 0};
        }
        if (!IsAlive(session) || !session.access.read) {
            return {TransferStatus::Failed, 0};
        }
        const auto now = Clock::now();
        if (!session.queue.empty() && session.queue.front().readyAt <= now) {
            std::vector<std::uint8_t> bytes = std::move(session.queue.front().bytes);
            session.queue.pop_front();
            const std::size_t count = std::min(bytes.size(), buffer.size());
            std::copy_n(bytes.begin(), count, buffer.begin());
            bytes.resize(count);
            AppendLog(
                {LoggedReport::Direction::DeviceToHost, session.path, std::move(bytes), true});
            return {TransferStatus::Done, count};
        }
        if (now >= deadline) {
            return {TransferStatus::TimedOut, 0};
        }
        auto wake = deadline;
        if (!session.queue.empty()) {
            wake = std::min(wake, session.queue.front().readyAt);
        }
        // Held here: CloseSession may erase the session while this waits.
        const std::shared_ptr<std::condition_variable> arrived = session.arrived;
        ++m_waitingReaders;
        m_changed.notify_all();
        if (wake == Clock::time_point::max()) {
            arrived->wait(lock);
        } else {
            arrived->wait_until(lock, wake);
        }
        --m_waitingReaders;
    }
}

TransferResult VirtualMouse::WriteReport(SessionId id, std::span<const std::uint8_t> report) {
    std::vector<std::shared_ptr<std::condition_variable>> readers;
    bool queued = false;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_sessions.find(id);
        if (found == m_sessions.end()) {
            return {TransferStatus::Failed, 0};
        }
        Session& session = found->second;
        const bool refused = !IsAlive(session) || !session.access.write ||
                             session.collection != MouseCollection::Configuration ||
                             report.size() != ReportFrame::kSize || m_faults.failWrites;
        AppendLog({LoggedReport::Direction::HostToDevice, session.path,
                   std::vector<std::uint8_t>(report.begin(), report.end()), !refused});
        if (refused) {
            return {TransferStatus::Failed, 0};
        }
        if (m_faults.silent) {
            return {TransferStatus::Done, report.size()};
        }
        if (m_answerer.joinable()) {
            PendingRequest request{id};
            std::copy(report.begin(), report.end(), request.report.begin());
            m_requests.push_back(request);
            queued = true;
        } else {
            CarryOut(session, report);
            readers = std::exchange(m_readersToWake, {});
        }
    }
    // Outside the lock: a thread woken under it would wait for it at once.
    if (queued) {
        m_requestArrived.notify_one();
    }
    WakeReaders(std::move(readers));
    return {TransferStatus::Done, report.size()};
}

void VirtualMouse::CarryOut(Session& session, std::span<const std::uint8_t> report) {
    const std::uint64_t storedChanges = m_firmware.StoredChanges();
    const ReportFrame answer = m_faults.forcedStatus
                                   ? MouseFirmware::Refuse(report, *m_faults.forcedStatus)
                                   : m_firmware.Handle(report);
    if (m_firmware.StoredChanges() != storedChanges && m_memoryObserver) {
        m_memoryObserver();
    }
    const auto readyAt = Clock::now() + m_faults.latency;
    if (auto& countdown = m_faults.unplugAfterReports; countdown && (*countdown)-- <= 1) {
        // Carried out, and gone before the answer.
        countdown.reset();
        UnplugLocked();
    } else if (m_faults.garbage) {
        Deliver(session, Garble(answer), readyAt, true);
    } else {
        Deliver(session, {answer.Raw().begin(), answer.Raw().end()}, readyAt, true);
    }
}

bool VirtualMouse::WaitForWaitingReaders(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_waitingReaders >= count; });
}

void VirtualMouse::AbortSession(SessionId id) {
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_sessions.find(id);
        if (found != m_sessions.end()) {
            found->second.abortPending = true;
            found->second.arrived->notify_all();
        }
    }
}

template <typename Bytes>
Bytes VirtualMouse::CopyOf(MemoryRegion region) const {
    std::lock_guard lock(m_mutex);
    const auto bytes = m_firmware.Memory().Region(region);
    if constexpr (std::is_same_v<Bytes, std::vector<std::uint8_t>>) {
        return {bytes.begin(), bytes.end()};
    } else {
        Bytes copy{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), copy.size()), copy.begin());
        return copy;
    }
}

void VirtualMouse::StoreRegion(MemoryRegion region, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    m_firmware.Memory().Store(region, bytes);
    const bool kept = region != MemoryRegion::DeviceInfo && region != MemoryRegion::FactoryKeyMap &&
                      region != MemoryRegion::LightingFrame;
    if (kept && m_memoryObserver) {
        m_memoryObserver();
    }
}

void VirtualMouse::QueueEvent(std::uint16_t code) {
    const std::vector<std::uint8_t> press = {kConsumerReportId,
                                             static_cast<std::uint8_t>(code & 0xFF),
                                             static_cast<std::uint8_t>(code >> 8)};
    const std::vector<std::uint8_t> release = {kConsumerReportId, 0x00, 0x00};
    const auto now = Clock::now();
    for (auto& [id, session] : m_sessions) {
        if (IsAlive(session) && HasInputReports(session.collection) && session.access.read) {
            Deliver(session, press, now, false);
            Deliver(session, release, now, false);
        }
    }
}

bool VirtualMouse::IsAlive(const Session& session) const {
    return m_plugged && session.generation == m_generation;
}

void VirtualMouse::Deliver(Session& session, std::vector<std::uint8_t> bytes,
                           Clock::time_point readyAt, bool answer) {
    if (answer || session.queue.size() < kQueueLimit) {
        session.queue.push_back({std::move(bytes), readyAt});
        if (std::ranges::find(m_readersToWake, session.arrived) == m_readersToWake.end()) {
            m_readersToWake.push_back(session.arrived);
        }
    }
}

void VirtualMouse::AppendLog(LoggedReport report) {
    if (m_logLimit == 0) {
        return;
    }
    if (m_log.size() >= m_logLimit) {
        m_log.pop_front();
    }
    m_log.push_back(std::move(report));
}

std::vector<std::uint8_t> VirtualMouse::Garble(const ReportFrame& answer) {
    // Alternate: random bytes first, then a cut-short answer, and so on.
    if (m_garbageAnswers++ % 2 == 1) {
        return {answer.Raw().begin(), answer.Raw().begin() + kTruncatedAnswerSize};
    }
    std::vector<std::uint8_t> bytes(ReportFrame::kSize);
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(byte(m_random));
    }
    bytes[ReportFrame::kReportIdIndex] =
        static_cast<std::uint8_t>(kForeignReportIdBase + (bytes[1] & 0x0F));
    return bytes;
}

}  // namespace varlok::sim
