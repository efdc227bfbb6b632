#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/deviceidentity.h"

namespace varlok::settings {

// The mouse's settings record in force: 50 bytes, sent to the device at
// settings offset 0 (followed by zeros up to 56 bytes) and read back from
// its profile records.
//
// Thread-safety: the UI thread writes the record; the lighting worker reads
// its lighting bytes at the same time. Every byte is therefore read and
// written whole (relaxed atomics); a Snapshot taken while another thread
// writes may mix older and newer bytes, as the worker has always accepted.
class SettingsRecord {
public:
    static constexpr std::size_t kSize = device::kSettingsRecordSize;

    // Byte layout.
    static constexpr std::size_t kActiveProfile = 0;
    static constexpr std::size_t kLightingBlock = 1;
    static constexpr std::size_t kLightingBlockSize = 9;
    // Bytes 10-13 are carried unchanged.
    static constexpr std::size_t kCarried = 10;
    static constexpr std::size_t kCarriedSize = 4;
    static constexpr std::size_t kReportRate = 14;
    // Current DPI stage as the device reports it, 0-6 for stages 1-7.
    static constexpr std::size_t kCurrentDpiStage = 19;
    static constexpr std::size_t kDpiStageCount = 7;
    // Stage n's code sits at kDpiStageOffsets[n - 1]: stages 1-4 before the
    // current-stage byte, 5-7 after it.
    static constexpr std::array<std::size_t, kDpiStageCount> kDpiStageOffsets{15, 16, 17, 18,
                                                                              20, 21, 22};
    // Red, green, blue of stage 1, then of stage 2, ...
    static constexpr std::size_t kDpiColours = 23;
    static constexpr std::size_t kColourSize = 3;
    static constexpr std::size_t kWheelColour = 44;
    static constexpr std::size_t kLogoColour = 47;

    static constexpr auto kOnboardProfileCount =
        static_cast<std::uint8_t>(device::kOnboardProfileCount);

    using Bytes = std::array<std::uint8_t, kSize>;

    // All zero.
    SettingsRecord() = default;
    explicit SettingsRecord(const Bytes& bytes) { Assign(bytes); }
    SettingsRecord(const SettingsRecord& other) { Assign(other.Snapshot()); }
    SettingsRecord& operator=(const SettingsRecord& other);

    // A byte of the record; offsets at or past kSize read as 0 and are not
    // written.
    [[nodiscard]] std::uint8_t Get(std::size_t offset) const;
    void Set(std::size_t offset, std::uint8_t value);

    // Copies the first kSize bytes of `bytes` in (fewer when it is shorter;
    // the rest stays).
    void Assign(std::span<const std::uint8_t> bytes);
    [[nodiscard]] Bytes Snapshot() const;
    // Copies the record to the start of `destination` (as much as fits).
    void CopyTo(std::span<std::uint8_t> destination) const;

    [[nodiscard]] std::uint8_t ActiveProfile() const { return Get(kActiveProfile); }
    void SetActiveProfile(std::uint8_t index) { Set(kActiveProfile, index); }

    // Offsets of DPI stage n (1-7) and of its colour's red byte; kSize for a
    // stage outside 1-7, so that Get reads 0 and Set does nothing.
    [[nodiscard]] static constexpr std::size_t DpiStageOffset(unsigned stage) {
        return stage >= 1 && stage <= kDpiStageCount ? kDpiStageOffsets[stage - 1] : kSize;
    }
    [[nodiscard]] static constexpr std::size_t DpiColourOffset(unsigned stage) {
        return stage >= 1 && stage <= kDpiStageCount ? kDpiColours + (stage - 1) * kColourSize
                                                     : kSize;
    }

private:
    std::array<std::atomic<std::uint8_t>, kSize> m_bytes{};
};

static_assert(SettingsRecord::DpiColourOffset(7) + SettingsRecord::kColourSize ==
              SettingsRecord::kWheelColour);
static_assert(SettingsRecord::kLogoColour + SettingsRecord::kColourSize == SettingsRecord::kSize);
static_assert(SettingsRecord::kCarried + SettingsRecord::kCarriedSize ==
              SettingsRecord::kReportRate);

}  // namespace varlok::settings
