#pragma once

// One HID top-level collection of a peripheral: path enumeration, open with
// access and sharing flags, capabilities and usage items per report kind,
// reads and writes that a timeout or an abort cut short, report unpacking.
// Every device conversation of the program goes through one of these.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidbackend.h"
#include "device/hidbus.h"
#include "device/hidtypes.h"
#include "platform/ownerlock.h"

namespace varlok::device {

// The owner lock that kept an Open out: its file (to wait on) and who holds it.
struct HidOwner {
    std::filesystem::path lockFile;
    platform::LockHolder holder;
};

class HidDevice {
public:
    // Uses the process-wide bus unless a test hands in its own.
    explicit HidDevice(std::shared_ptr<HidBus> bus = HidBus::System());
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Path list. FindPaths starts a new list (the cursor goes back to 0) and is
    // false only when the enumeration failed; an empty machine is true with no
    // paths. NextPath walks the list and skips entries a failed step left empty.
    [[nodiscard]] bool FindPaths();
    [[nodiscard]] std::optional<std::string> NextPath();
    void FreePaths();
    [[nodiscard]] std::size_t PathCount() const;

    // Opens the collection behind path (closing whatever was open) and loads
    // its caps and items. False leaves the object closed; LastOpenError says why.
    // With write access on a bus with owner locks, the device's owner lock is
    // taken first and held until the collection is closed (and the last
    // transfer in it has returned); while another program holds it the node
    // is not opened at all and the error is InUse. A lock that cannot be
    // used at all (its folder is not ours) does not keep the device closed:
    // it is opened unlocked, as before owner locks, and the debug output
    // says so.
    [[nodiscard]] bool Open(std::string_view path, bool read, bool write, bool overlapped,
                            bool exclusive);
    // Safe from another thread while a transfer waits: that transfer returns
    // false promptly and never completes into released memory.
    void Close();
    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] HidOpenError LastOpenError() const;
    // Set when the last Open failed with InUse.
    [[nodiscard]] const HidOwner& LastOpenOwner() const;

    // One report of length buffer.size(); transferred receives the bytes moved
    // (0 when the transfer did not complete). kWaitForever waits without limit.
    // Reads deliver only input reports of the opened collection's report ids.
    [[nodiscard]] bool ReadReport(std::span<std::uint8_t> buffer, std::size_t* transferred,
                                  std::chrono::milliseconds timeout);
    [[nodiscard]] bool WriteReport(std::span<const std::uint8_t> buffer, std::size_t* transferred,
                                   std::chrono::milliseconds timeout);

    // Decodes one report of the given kind into that kind's items: button
    // items receive their pressed usages within their range (0-terminated when
    // shorter than the list), value items their raw and scaled values.
    [[nodiscard]] bool UnpackReport(std::span<const std::uint8_t> report, ReportKind kind);

    // Whether the collection this object opened is still present (the
    // presence probe: an open without access rights on Windows).
    [[nodiscard]] bool ProbePath() const;
    [[nodiscard]] bool ProbePath(std::string_view path) const;

    [[nodiscard]] const std::string& Path() const;
    [[nodiscard]] const HidCaps& Caps() const;
    [[nodiscard]] const HidAttributes& Attributes() const;
    [[nodiscard]] std::span<std::uint8_t> ReportBuffer(ReportKind kind);
    [[nodiscard]] std::span<HidReportItem> Items(ReportKind kind);
    [[nodiscard]] std::span<const HidButtonCaps> ButtonCaps(ReportKind kind) const;
    [[nodiscard]] std::span<const HidValueCaps> ValueCaps(ReportKind kind) const;
    [[nodiscard]] std::uint32_t InterfaceNumber() const;
    [[nodiscard]] std::uint32_t CollectionNumber() const;

    // Hexadecimal number after "vid_" / "pid_" (any case); 0 when absent.
    [[nodiscard]] static std::uint16_t ParseVendorId(std::string_view path);
    [[nodiscard]] static std::uint16_t ParseProductId(std::string_view path);

private:
    struct State;
    [[nodiscard]] static bool TakeOwnerLock(State& state, HidBackend& backend,
                                            std::string_view path, platform::OwnerLock& lock);

    std::unique_ptr<State> m_state;
};

}  // namespace varlok::device
