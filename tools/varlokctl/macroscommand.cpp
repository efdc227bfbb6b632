// macros: the data folder's macros against the mouse's macro memory.

#include <cstdio>

#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "platform/folders.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"

namespace varlok::tools {

namespace {

using device::DeviceInfo;

ExitCode RunMacros(CommandRun& run) {
    const keys::MacroStore store(platform::DocumentsFolder() / "VARLOK" / "ms");
    const std::vector<std::string> names = store.LoadMacroList();
    const std::vector<std::vector<keys::MacroAction>> macros = store.LoadAllMacros();
    std::ostream& out = run.Out();
    out << names.size() << " macro" << (names.size() == 1 ? "" : "s") << " in "
        << store.ListFilePath().string() << '\n';
    std::size_t actions = 0;
    for (std::size_t index = 0; index < names.size(); ++index) {
        char line[64];
        std::snprintf(line, sizeof line, "  %2zu  %5zu action%s  ", index, macros[index].size(),
                      macros[index].size() == 1 ? " " : "s");
        out << line << names[index] << '\n';
        actions += macros[index].size();
    }
    const std::size_t length = keys::MacroTableLength(macros);
    out << LabelledLine("table", std::to_string(length) + " bytes (" +
                                     std::to_string(names.size()) + " macros, " +
                                     std::to_string(actions) + " actions)");
    DeviceInfo info;
    if (const ExitCode read = run.Mouse().ReadInfo(info); read != ExitCode::Ok) {
        return read;
    }
    const std::size_t capacity = info.MacroCapacityBytes();
    out << LabelledLine("macro memory", std::to_string(capacity) + " bytes (" +
                                            std::to_string(info.MacroUnits()) + " x " +
                                            std::to_string(DeviceInfo::kMacroUnitBytes) + ")");
    if (length > capacity) {
        out << LabelledLine(
            "fits", "no: remove at least " +
                        std::to_string((length - capacity) / keys::MacroAction::kWireSize + 1) +
                        " actions before an upload");
    } else {
        out << LabelledLine("fits",
                            "yes, " + std::to_string(capacity - length) + " bytes to spare");
    }
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kMacrosCommand{
    "macros",
    "the macros of the data folder and their size",
    "",
    "the macros of the data folder (VARLOK/ms in the\n"
    "Documents folder; VARLOK_DOCUMENTS_DIR names\n"
    "another Documents folder) with their action\n"
    "counts, and the size of their table against\n"
    "the mouse's macro memory",
    {},
    {},
    &RunMacros,
};

}  // namespace varlok::tools
