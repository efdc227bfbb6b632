#include "settings/performancesettings.h"

#include <algorithm>

#include "device/sensortable.h"

namespace varlok::settings {

namespace {

std::size_t StageOffset(int stage) {
    return SettingsRecord::DpiStageOffset(static_cast<unsigned>(std::max(stage, 0)));
}

std::size_t ColourOffset(int stage) {
    return SettingsRecord::DpiColourOffset(static_cast<unsigned>(std::max(stage, 0)));
}

}  // namespace

int PerformanceSettings::StagePosition(int stage) const {
    return DpiPositionOfCode(m_record.Get(StageOffset(stage)));
}

void PerformanceSettings::SetStagePosition(int stage, int position) {
    m_record.Set(StageOffset(stage),
                 DpiCodeOfPosition(std::clamp(position, 0, kHighestDpiPosition)));
}

Rgb PerformanceSettings::StageColour(int stage) const {
    const std::size_t offset = ColourOffset(stage);
    return Rgb{m_record.Get(offset), m_record.Get(offset + 1), m_record.Get(offset + 2)};
}

void PerformanceSettings::SetStageColour(int stage, Rgb colour) {
    const std::size_t offset = ColourOffset(stage);
    if (offset >= SettingsRecord::kSize) {
        return;
    }
    m_record.Set(offset, colour.red);
    m_record.Set(offset + 1, colour.green);
    m_record.Set(offset + 2, colour.blue);
}

std::uint8_t PerformanceSettings::ReportRateIndex() const {
    return m_record.Get(SettingsRecord::kReportRate);
}

void PerformanceSettings::SetReportRateIndex(std::uint8_t index) {
    m_record.Set(SettingsRecord::kReportRate, index);
}

std::uint8_t PerformanceSettings::CurrentStageIndex() const {
    return m_record.Get(SettingsRecord::kCurrentDpiStage);
}

void PerformanceSettings::SetCurrentStage(int stage) {
    m_record.Set(SettingsRecord::kCurrentDpiStage,
                 static_cast<std::uint8_t>(std::clamp(stage, 1, kStageCount) - 1));
}

int HighestStagePosition(const device::DeviceInfo& info) {
    return std::min<int>(info.HighestDpiPosition(), kHighestDpiPosition);
}

int MovingStageDpi(const device::DeviceInfo& info, int position) {
    return info.DpiStep() * position + info.BaseDpi();
}

void TakeSensorBaseDpi(device::DeviceInfo& info) {
    if (const std::optional<device::SensorInfo> sensor = device::FindSensor(info.SensorCode())) {
        info.SetBaseDpi(sensor->baseDpi);
    }
}

}  // namespace varlok::settings
