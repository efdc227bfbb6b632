// info: the mouse's information block, decoded and raw.

#include <cstdio>

#include "device/sensortable.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"

namespace varlok::tools {

namespace {

using device::DeviceInfo;

std::string DescribeSensor(std::uint16_t code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04x", code);
    const std::optional<device::SensorInfo> sensor = device::FindSensor(code);
    if (!sensor) {
        return std::string(hex) + " (not in the sensor table)";
    }
    return std::string(hex) + ", base DPI " + std::to_string(sensor->baseDpi) + ", stage labels " +
           std::string(sensor->minLabel) + " to " + std::string(sensor->maxLabel) + " (stages 1-" +
           std::to_string(sensor->stagesLabelled) + ")";
}

ExitCode RunInfo(CommandRun& run) {
    MouseAccess& mouse = run.Mouse();
    DeviceInfo info;
    if (const ExitCode read = mouse.ReadInfo(info); read != ExitCode::Ok) {
        return read;
    }
    run.Out() << LabelledLine("mouse", mouse.Where())
              << LabelledLine("sensor", DescribeSensor(info.SensorCode()))
              << LabelledLine("DPI step", std::to_string(info.DpiStep()))
              << LabelledLine("highest DPI position", std::to_string(info.HighestDpiPosition()))
              << LabelledLine("base DPI", std::to_string(info.BaseDpi()))
              << LabelledLine("macro memory", std::to_string(info.MacroCapacityBytes()) +
                                                  " bytes (" + std::to_string(info.MacroUnits()) +
                                                  " x " +
                                                  std::to_string(DeviceInfo::kMacroUnitBytes) + ")")
              << LabelledLine("device info", HexBytes(info.Raw()));
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kInfoCommand{
    "info",   "the mouse's information block",
    "",       "the mouse's information block, decoded and raw",
    {},       {},
    &RunInfo,
};

}  // namespace varlok::tools
