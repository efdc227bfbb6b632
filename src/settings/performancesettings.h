#pragma once

#include <cstdint>

#include "device/deviceinfo.h"
#include "settings/dpitable.h"
#include "settings/rgb.h"
#include "settings/settingsrecord.h"

namespace varlok::settings {

// The performance bytes of the mouse's settings record by name: the seven
// DPI stages (as positions of the DPI table), their indicator colours, the
// report rate and the current stage. A view: it reads and writes the record
// it was given, one whole byte at a time. Stages are numbered 1-7; a stage
// outside that reads as position 0 and black and is never written.
//
// Thread affinity: any thread, as the record's bytes.
class PerformanceSettings {
public:
    static constexpr int kStageCount = SettingsRecord::kDpiStageCount;
    // What the current-stage byte holds when the device reports no stage the
    // host knows: every value past the last stage.
    static constexpr std::uint8_t kLastStageIndex = kStageCount - 1;

    explicit PerformanceSettings(SettingsRecord& record) : m_record(record) {}

    // The position of the DPI table whose code the stage holds (position 0
    // for a code no position has).
    [[nodiscard]] int StagePosition(int stage) const;
    // Stores the code of `position`, held within the table.
    void SetStagePosition(int stage, int position);
    [[nodiscard]] Rgb StageColour(int stage) const;
    void SetStageColour(int stage, Rgb colour);
    // The index of the report-rate list's entry.
    [[nodiscard]] std::uint8_t ReportRateIndex() const;
    void SetReportRateIndex(std::uint8_t index);
    // The current stage as the device reports it: 0-6 for stages 1-7, more
    // when it reports none the host knows.
    [[nodiscard]] std::uint8_t CurrentStageIndex() const;
    // Stage 1-7 (held within them) as the current one.
    void SetCurrentStage(int stage);

private:
    SettingsRecord& m_record;
};

// The highest position a stage slider offers: the device's, but never past
// the DPI table's last position (beyond it no DPI stands for the code).
[[nodiscard]] int HighestStagePosition(const device::DeviceInfo& info);
// What a stage slider shows while its thumb moves: the device's own steps
// from its base DPI.
[[nodiscard]] int MovingStageDpi(const device::DeviceInfo& info, int position);
// Writes the base DPI of the information block's sensor into the block, as
// the host does after every read of it. A sensor the table does not list
// leaves the block as it was.
void TakeSensorBaseDpi(device::DeviceInfo& info);

// The pointer speed slider's position v stands for the desktop's speed
// 2v + 2 (a negative position as 0; the desktop takes at most 20, which the
// applier holds it to).
[[nodiscard]] constexpr int PointerSpeedOfPosition(int position) {
    return 2 * (position < 0 ? 0 : position) + 2;
}
[[nodiscard]] constexpr int PositionOfPointerSpeed(int speed) {
    return speed / 2 - 1;
}

}  // namespace varlok::settings
