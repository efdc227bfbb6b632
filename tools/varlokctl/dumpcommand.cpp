// dump: everything the mouse holds that the host reads, as hex.

#include "device/devicelink.h"
#include "settings/settingsrecord.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"

namespace varlok::tools {

namespace {

std::string Title(DumpPart part, unsigned index, std::span<const std::uint8_t> bytes) {
    const std::string size = std::to_string(bytes.size()) + " bytes";
    switch (part) {
        case DumpPart::Info:
            return "device info (" + size + ")";
        case DumpPart::FactoryKeyMap:
            return "factory key map (" + size + ")";
        case DumpPart::KeyBlock:
            return "key block " + std::to_string(index) + " (" + size + " at offset " +
                   std::to_string(index * device::DeviceLink::kStoredBlockStep) + ")";
        case DumpPart::SettingsRecord:
            break;
    }
    // Offset 0 is the record in force; its byte 0 names its profile.
    const std::string at =
        " (" + size + " at offset " + std::to_string(index * device::kRecordStride) + ")";
    if (index == 0) {
        return "settings record in force: onboard profile " +
               std::to_string(bytes[settings::SettingsRecord::kActiveProfile]) + at;
    }
    return "settings record " + std::to_string(index) + at;
}

ExitCode RunDump(CommandRun& run) {
    // Every part is printed as it arrives, so a failure still shows what came
    // before it.
    return run.Mouse().ReadEverything(
        [&run](DumpPart part, unsigned index, std::span<const std::uint8_t> bytes) {
            run.Out() << Title(part, index, bytes) << '\n' << HexDump(bytes);
        });
}

}  // namespace

const CommandEntry kDumpCommand{
    "dump",
    "the mouse's whole memory as hex",
    "",
    "information block, factory key map, key blocks\n"
    "0-4, the settings record in force and the\n"
    "records of profiles 1-4, as hex",
    {},
    {},
    &RunDump,
};

}  // namespace varlok::tools
