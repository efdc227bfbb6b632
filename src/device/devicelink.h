#pragma once

// The configuration link of one device type: which collection identifies it,
// whether it is connected, its HidDevice, the I/O lock, and one operation per
// configuration command. Commands frame their requests as ReportFrames and
// exchange them with the device: a 64-byte write (1000 ms limit) answered by a
// 64-byte read (300 ms limit), up to four attempts.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"
#include "device/hidbus.h"
#include "device/hiddevice.h"
#include "device/reportframe.h"

namespace varlok::device {

// Result of a configuration command (and of Transact). The numeric values are
// the ones callers and logs have always used.
enum class LinkResult : int {
    Success = 1,
    // The link is not connected (nothing was sent), or the device gave no
    // answer within 300 ms on each of four attempts.
    NoAnswer = 0,
    // A write failed or did not complete within 1000 ms; it is not retried.
    WriteFailed = -1,
    // The device answered with status 0xFF.
    DeviceFailed = -102,
    // The device answered with status 0xFE.
    DeviceRefused = -103,
    // A stored-block index above 4; nothing was sent.
    BadBlockIndex = -201,
    // A caller's buffer does not fit the command (a settings count outside
    // 1-56, a block buffer shorter than the block size, a payload whose
    // offsets would not fit 16 bits); nothing was sent.
    BadLength = -202,
};

[[nodiscard]] constexpr int ToCode(LinkResult result) {
    return static_cast<int>(result);
}
// A short English description for logs and the command-line tool.
[[nodiscard]] std::string_view Describe(LinkResult result);

// Thread-safety: every command may be called from any thread. Each command
// holds the I/O lock from the first write to the last answer it reads, so
// the answers of two threads never cross and the chunks of two chunked
// commands never interleave. A caller that needs several commands to run
// back to back (a BeginTransfer ... EndTransfer bracket) may hold LockIo()
// around them; the lock is re-entrant.
class DeviceLink {
public:
    static constexpr std::uint16_t kMaxBlockSize = kKeyTableSize;
    static constexpr std::chrono::milliseconds kWriteTimeout{1000};
    static constexpr std::chrono::milliseconds kReadTimeout{300};
    static constexpr int kAttempts = 4;
    // The device needs this pause before it takes EndTransfer.
    static constexpr std::chrono::milliseconds kEndTransferPause{10};
    // Offsets of stored key blocks are index times this step plus the position.
    static constexpr std::uint16_t kStoredBlockStep = kKeyBlockStep;
    static constexpr unsigned kStoredBlockCount = kOnboardProfileCount;

    // The link's HidDevice reaches its collections through bus.
    explicit DeviceLink(std::shared_ptr<HidBus> bus = HidBus::System());
    // Closes the device.
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Stores the ids of the configuration collection and clears connected.
    // Call before the link is shared between threads.
    void Init(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t usage,
              std::uint16_t usagePage);
    // The same with the configuration collection of one device of the family.
    void Init(DeviceType type);
    [[nodiscard]] std::uint16_t VendorId() const { return m_vendorId; }
    [[nodiscard]] std::uint16_t ProductId() const { return m_productId; }
    [[nodiscard]] std::uint16_t Usage() const { return m_usage; }
    [[nodiscard]] std::uint16_t UsagePage() const { return m_usagePage; }

    // Bytes moved by the block commands (0x07, 0x08, 0x09). Sizes above 512
    // are refused: false, and the size stays as it was.
    [[nodiscard]] bool SetBlockSize(std::uint16_t size);
    [[nodiscard]] std::uint16_t BlockSize() const { return m_blockSize; }

    // Set and cleared by the presence monitor (holding LockIo()); commands on
    // a link that is not connected return NoAnswer without any I/O.
    [[nodiscard]] bool IsConnected() const { return m_connected; }
    // Clearing connected also clears sync active.
    void SetConnected(bool connected);
    [[nodiscard]] bool IsSyncActive() const { return m_syncActive; }
    void SetSyncActive(bool active) { m_syncActive = active; }

    // Whether the collection open in Device() is this link's: its attributes
    // carry the link's vendor and product id and its caps the link's usage
    // page and usage.
    [[nodiscard]] bool MatchesOpenDevice() const;

    // The configuration collection. Open and Close it only while holding
    // LockIo(), so that no command is using it at that moment.
    [[nodiscard]] HidDevice& Device() { return m_device; }
    [[nodiscard]] const HidDevice& Device() const { return m_device; }

    // The re-entrant I/O lock. The presence monitor holds it for a whole
    // check cycle; commands issued on the same thread meanwhile proceed.
    // Never block on the UI thread while holding it.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> LockIo();

    // One exchange: request (padded with zeros to 64 bytes, or cut at 64) is
    // written and the answer read into response (at most 64 bytes are
    // copied; a longer buffer keeps its tail). answerBytes, when given,
    // receives the length of the answer read (0 when none). Returns Success,
    // NoAnswer or WriteFailed; the status byte is not examined here.
    // Input reports that are not the answer to this request are skipped and
    // the read goes on within the same 300 ms (see IsAnswerTo).
    [[nodiscard]] LinkResult Transact(std::span<const std::uint8_t> request,
                                      std::span<std::uint8_t> response,
                                      std::size_t* answerBytes = nullptr);
    // One write (its result ignored) and one read of the answer into buffer,
    // without retries. False when not connected or no answer came.
    [[nodiscard]] bool TransactOnce(std::span<std::uint8_t> buffer);

    [[nodiscard]] LinkResult BeginTransfer();
    // Pauses kEndTransferPause first (the only sleep of the link).
    [[nodiscard]] LinkResult EndTransfer();
    // info is written only on Success.
    [[nodiscard]] LinkResult ReadDeviceInfo(DeviceInfo& info);
    // destination.size() bytes (1-56) at offset of the settings area;
    // destination is written only on Success.
    [[nodiscard]] LinkResult ReadSettings(std::span<std::uint8_t> destination,
                                          std::uint16_t offset);
    [[nodiscard]] LinkResult WriteSettings(std::span<const std::uint8_t> source,
                                           std::uint16_t offset);

    // Chunked commands move 56 bytes per exchange. On a failure they stop at
    // once; the chunks already exchanged stay done, and a read has copied
    // exactly those chunks into the start of destination (the rest of
    // destination is untouched). A total of 0 sends nothing and succeeds.

    // BlockSize() bytes from offset 0 (the factory key map).
    [[nodiscard]] LinkResult ReadActiveBlock(std::span<std::uint8_t> destination);
    // BlockSize() bytes of onboard profile index (0-4).
    [[nodiscard]] LinkResult ReadStoredBlock(std::span<std::uint8_t> destination, unsigned index);
    [[nodiscard]] LinkResult WriteStoredBlock(std::span<const std::uint8_t> source, unsigned index);
    // Success when the device's answer was read back, NoAnswer otherwise; the
    // request goes out once, unsealed (its checksum bytes stay 0).
    [[nodiscard]] LinkResult RestoreDefaults();
    [[nodiscard]] LinkResult SendLightingFrame(std::span<const std::uint8_t> source);
    [[nodiscard]] LinkResult WriteMacroData(std::span<const std::uint8_t> source);
    [[nodiscard]] LinkResult WriteCursorData(std::span<const std::uint8_t> source);

    // Whether an input report of `size` bytes can be the answer to a request
    // with command code `requestCommand`: a configuration report (report id
    // 0x04, the whole 8-byte header received) whose byte 3 holds no other
    // command of the protocol.
    //
    // The protocol promises nothing about answer bytes 1-6, so an answer is
    // not required to echo its request. A mouse that does echo (as the
    // virtual mouse echoes bytes 3-6) puts the request's own command into
    // byte 3; a report there with another command's code is the answer to
    // someone else's request: a late answer to an earlier command of ours, or,
    // on a hidraw node that hands every report to every reader, another
    // program's. Such a report is skipped like a stale one, so it can never
    // be taken for the answer. This assumes that a mouse that does not echo
    // leaves byte 3 at a value that is no other command's code (0, say);
    // only a mouse that answered every request with one fixed command code
    // would be shut out. Not chosen: requiring the echo (a mouse that does
    // not echo would never be answered at all), and matching the offset and
    // length bytes too (a mouse that echoes only the command would answer no
    // chunked command).
    [[nodiscard]] static bool IsAnswerTo(std::span<const std::uint8_t> report,
                                         std::uint8_t requestCommand);

private:
    // All of these expect the I/O lock to be held by the caller.
    [[nodiscard]] LinkResult Exchange(const ReportFrame& request, ReportFrame& answer,
                                      std::size_t* answerBytes);
    [[nodiscard]] bool ReadAnswer(std::uint8_t requestCommand, ReportFrame& answer,
                                  std::size_t* answerBytes);
    void DiscardPendingInput();
    [[nodiscard]] LinkResult Command(const ReportFrame& request, ReportFrame& answer);
    [[nodiscard]] LinkResult Chunked(device::Command command, std::uint16_t baseOffset,
                                     std::size_t total, std::span<const std::uint8_t> source,
                                     std::span<std::uint8_t> destination);
    // BlockSize() bytes at baseOffset; the caller's buffer must hold them.
    [[nodiscard]] LinkResult Block(device::Command command, std::uint16_t baseOffset,
                                   std::span<const std::uint8_t> source,
                                   std::span<std::uint8_t> destination);
    [[nodiscard]] LinkResult StoredBlock(device::Command command, unsigned index,
                                         std::span<const std::uint8_t> source,
                                         std::span<std::uint8_t> destination);

    std::atomic<std::uint16_t> m_blockSize{kMaxBlockSize};
    std::uint16_t m_vendorId = 0;
    std::uint16_t m_productId = 0;
    std::uint16_t m_usage = 0;
    std::uint16_t m_usagePage = 0;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_syncActive{false};
    HidDevice m_device;
    std::recursive_mutex m_ioMutex;
};

}  // namespace varlok::device
