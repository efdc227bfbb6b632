#pragma once

// The virtual mouse: the device side of the configuration protocol, its
// memory, its consumer-control key, plug state, fault injection and a log of
// every report that crossed its interfaces. Thread-safe: one lock guards all
// of it; each session's reader waits on a condition variable of its own, so
// that a report for one session wakes no other. VirtualHidBackend exposes it
// as HID collections; tests drive and inspect it through the calls below.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "device/hidbackend.h"
#include "device/reportframe.h"
#include "sim/devicememory.h"
#include "sim/mousefirmware.h"

namespace varlok::sim {

struct LoggedReport {
    enum class Direction { HostToDevice, DeviceToHost };
    Direction direction = Direction::HostToDevice;
    std::string path;
    std::vector<std::uint8_t> bytes;
    // False for a write the interface refused (unplugged, failing writes,
    // wrong size, no write access): the bytes never reached the device.
    bool accepted = true;
};

// The mouse's HID collections as the backend shows them.
enum class MouseCollection {
    Pointer,        // interface 0: the plain mouse
    Consumer,       // interface 1, collection 1: consumer control (event codes)
    Configuration,  // interface 1, collection 2: the configuration reports
};

class VirtualMouse {
public:
    struct Faults {
        bool silent = false;      // writes succeed, nothing is carried out or answered
        bool failWrites = false;  // writes to the configuration collection fail
        // Every command is answered with this status and not carried out.
        std::optional<std::uint8_t> forcedStatus;
        // An answer becomes readable only this long after its request.
        std::chrono::microseconds latency{0};
        // Commands are carried out but answered with bytes that are no valid
        // answer: alternately random bytes under a report id no collection
        // uses, and the answer cut short before its status byte.
        bool garbage = false;
        // Opening any of the mouse's collections fails with PermissionDenied,
        // as a hidraw node does for a user the udev rule has not let in.
        bool refuseOpen = false;
        // The mouse is pulled out when it takes the configuration report that
        // brings this to zero (0 counts as 1): that report is carried out but
        // never answered, as when the cable goes in the middle of a transfer.
        // Cleared once it happened.
        std::optional<std::uint32_t> unplugAfterReports;
    };

    using SessionId = std::uint64_t;

    // Starts plugged in, with factory memory, answering each report within
    // the write that brings it.
    VirtualMouse();
    // Ends the answering thread, if one was started.
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // From now on the mouse carries out and answers the configuration
    // reports on a thread of its own (named "virtual-mouse"), as a device
    // does apart from its host: a write returns once its report is taken,
    // and the answer becomes readable when that thread has carried the
    // report out (plus the latency), in the order the reports came. The
    // program's simulation runs so, so that what the mouse costs shows on
    // its own thread, apart from what the program pays. A report whose
    // session closed or whose mouse was unplugged before its turn gets no
    // answer. Once only; before any session is open.
    void AnswerOnOwnThread();

    // Plug state. Unplugging kills every open session: waiting reads return
    // Failed at once, later reads and writes fail, new sessions are refused.
    // Plugging in starts a new generation; sessions of the old one stay dead.
    void Plug();
    void Unplug();
    [[nodiscard]] bool IsPlugged() const;
    // Counts plug-ins, starting at 1; part of the paths so that a path of an
    // earlier plug-in is never taken for the present one. Empty while unplugged.
    [[nodiscard]] std::optional<std::uint32_t> Generation() const;

    void SetFaults(const Faults& faults);
    [[nodiscard]] Faults CurrentFaults() const;

    // Queues a consumer-control press reporting code (0x401..0x403) followed
    // by its release (no usage) on interface 1; every open reader of that
    // interface receives both, in order. Nothing happens while unplugged.
    void PressEvent(std::uint16_t code);
    // The mouse's own profile button: the next onboard profile becomes the
    // active one (after 4, or an index that names none, comes 0), and the
    // mouse reports it as event 0x401. Nothing happens while unplugged.
    void PressProfileButton();
    // The mouse's DPI button: the current DPI stage of the record in force
    // (its byte 19) becomes the next one (after stage 7, or a value that
    // names no stage, comes stage 1), and the mouse reports it as event
    // 0x401, as it does a profile switch. Nothing happens while unplugged.
    void PressDpiButton();

    // Called after each change of the stored memory (StoredMemory: by a
    // host's command, RestoreDefaults, the profile button or a Set call for
    // those parts), never for lighting frames. It runs on the thread that
    // made the change (for a host's command answered on the mouse's own
    // thread, that one) with the mouse's lock held, so it must only take
    // note and never call into the mouse; once replaced (an empty observer
    // ends it) it is no longer called. One observer at a time.
    using MemoryObserver = std::function<void()>;
    void SetMemoryObserver(MemoryObserver observer);
    // Called with true when a session that may write to the configuration
    // collection opens while no other such session is open, and with false
    // when the last one closes: when the program takes and gives up its turn
    // with the mouse (a host takes the owner lock before it opens, and drops
    // it after it closed). It runs on the thread that opened or closed the
    // session, without the mouse's lock, and may call into the mouse; once
    // replaced (an empty observer ends it) it is no longer called and no
    // call is still running. One observer at a time.
    using OwnerObserver = std::function<void(bool owned)>;
    void SetOwnerObserver(OwnerObserver observer);
    // The memory the mouse keeps while unplugged, as a copy, and its
    // replacement (which observers are not told of).
    [[nodiscard]] StoredMemory Stored() const;
    void Restore(const StoredMemory& stored);

    [[nodiscard]] std::vector<LoggedReport> Log() const;
    void ClearLog();
    // The log keeps the newest entries up to this many (65536 by default), so
    // that a long simulated session does not grow without bound.
    void SetLogLimit(std::size_t entries);
    // For reports that cross other simulated devices of the same backend.
    void Record(LoggedReport report);

    // Memory, as copies.
    [[nodiscard]] DeviceInfoBytes DeviceInfo() const;
    void SetDeviceInfo(const DeviceInfoBytes& info);
    [[nodiscard]] SettingsAreaBytes SettingsArea() const;
    void SetSettingsArea(const SettingsAreaBytes& area);
    [[nodiscard]] FactoryKeyMapBytes FactoryKeyMap() const;
    void SetFactoryKeyMap(const FactoryKeyMapBytes& map);
    // The whole key-block memory: block i starts at 126 * i.
    [[nodiscard]] KeyMemoryBytes KeyMemory() const;
    void SetKeyMemory(const KeyMemoryBytes& memory);
    // The 512 bytes that a block command with this index (0..4) addresses;
    // a larger index reads as 4.
    [[nodiscard]] KeyBlockBytes StoredKeyBlock(std::size_t index) const;
    // Macro memory, as large as DeviceInfo byte 6 states.
    [[nodiscard]] std::vector<std::uint8_t> MacroTable() const;
    void SetMacroTable(std::span<const std::uint8_t> table);
    [[nodiscard]] CursorTableBytes CursorTable() const;
    void SetCursorTable(const CursorTableBytes& table);
    [[nodiscard]] LightingFrameBytes LightingFrame() const;
    [[nodiscard]] std::size_t LightingFrameCount() const;
    [[nodiscard]] bool InTransfer() const;

    // Sessions: one per open connection, used by VirtualHidBackend.
    // OpenSession fails (empty) with NotFound while unplugged or for another
    // generation, and with Busy when the access conflicts with the sharing of
    // the collection's open sessions (an exclusive opener shares no writing).
    [[nodiscard]] std::optional<SessionId> OpenSession(MouseCollection collection,
                                                       std::uint32_t generation,
                                                       const device::HidOpenRequest& request,
                                                       std::string path,
                                                       device::HidOpenError& error);
    void CloseSession(SessionId session);
    // The next input report of the session's interface. Done, TimedOut,
    // Aborted (after AbortSession), or Failed (dead session, no read access).
    // A report longer than the buffer is cut to it.
    [[nodiscard]] device::TransferResult ReadReport(SessionId session,
                                                    std::span<std::uint8_t> buffer,
                                                    std::chrono::milliseconds timeout);
    // One output report; only the configuration collection takes any, and
    // only 64-byte ones. The answer goes to this session alone.
    [[nodiscard]] device::TransferResult WriteReport(SessionId session,
                                                     std::span<const std::uint8_t> report);
    // For tests of waking: true once at least count reads wait in ReadReport,
    // false when that did not happen within timeout.
    [[nodiscard]] bool WaitForWaitingReaders(std::size_t count,
                                             std::chrono::milliseconds timeout) const;
    // Makes the session's waiting read return Aborted, or its next read when
    // none waits (like an auto-reset event).
    void AbortSession(SessionId session);

private:
    struct PendingReport {
        std::vector<std::uint8_t> bytes;
        std::chrono::steady_clock::time_point readyAt;
    };
    struct Session {
        MouseCollection collection = MouseCollection::Pointer;
        std::uint32_t generation = 0;
        device::HidOpenRequest access;
        std::string path;
        bool abortPending = false;
        std::deque<PendingReport> queue;
        // Its reader waits here; shared, so that a reader still waiting
        // outlives the session that CloseSession erased.
        std::shared_ptr<std::condition_variable> arrived =
            std::make_shared<std::condition_variable>();
    };
    // A configuration report waiting for the answering thread.
    struct PendingRequest {
        SessionId session = 0;
        device::ReportFrame::Bytes report{};
    };

    template <typename Bytes>
    [[nodiscard]] Bytes CopyOf(MemoryRegion region) const;
    void StoreRegion(MemoryRegion region, std::span<const std::uint8_t> bytes);
    // Queues the press and release of code on every open reader of the
    // consumer collection; the caller holds the lock.
    void QueueEvent(std::uint16_t code);
    [[nodiscard]] bool IsAlive(const Session& session) const;
    [[nodiscard]] static bool IsWriter(MouseCollection collection,
                                       const device::HidOpenRequest& access);
    [[nodiscard]] std::optional<SessionId> AddSession(MouseCollection collection,
                                                      std::uint32_t generation,
                                                      const device::HidOpenRequest& request,
                                                      std::string path,
                                                      device::HidOpenError& error);
    void Deliver(Session& session, std::vector<std::uint8_t> bytes,
                 std::chrono::steady_clock::time_point readyAt, bool answer);
    // Carries out one configuration report and queues its answer for the
    // session; the caller holds the lock.
    void CarryOut(Session& session, std::span<const std::uint8_t> report);
    // The answering thread's body.
    void AnswerRequests();
    // Wakes the reader of every session (unplug); the caller holds the lock.
    void WakeAllReaders();
    // Wakes the readers Deliver noted; called without the lock.
    static void WakeReaders(std::vector<std::shared_ptr<std::condition_variable>> readers);
    void AppendLog(LoggedReport report);
    [[nodiscard]] std::vector<std::uint8_t> Garble(const device::ReportFrame& answer);
    // Unplug with the lock held; every waiting reader is woken.
    void UnplugLocked();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    MouseFirmware m_firmware;
    MemoryObserver m_memoryObserver;
    // Taken before m_mutex, never after it: held while the owner observer
    // runs, so that replacing it waits for a call in progress.
    std::mutex m_ownerMutex;
    OwnerObserver m_ownerObserver;  // guarded by m_ownerMutex
    // Open sessions that may write to the configuration collection.
    std::size_t m_writers = 0;  // guarded by m_ownerMutex
    Faults m_faults;
    bool m_plugged = true;
    std::uint32_t m_generation = 1;
    SessionId m_nextSession = 1;
    std::size_t m_waitingReaders = 0;
    std::map<SessionId, Session> m_sessions;
    std::deque<LoggedReport> m_log;
    std::size_t m_logLimit = 65536;
    std::minstd_rand m_random{0x7643};
    std::size_t m_garbageAnswers = 0;
    // The readers of the sessions Deliver gave a report since they were last
    // woken.
    std::vector<std::shared_ptr<std::condition_variable>> m_readersToWake;
    // The answering thread's queue, its wake-up and its end (under m_mutex).
    std::deque<PendingRequest> m_requests;
    std::condition_variable m_requestArrived;
    bool m_quit = false;
    std::thread m_answerer;  // last: joined before the rest goes
};

}  // namespace varlok::sim
