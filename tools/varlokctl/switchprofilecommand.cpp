// switch-profile N: makes an onboard profile the active one.

#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/recordtext.h"

namespace varlok::tools {

namespace {

constexpr std::array kOperands{
    OperandEntry{"N", "an onboard profile (0-4)", {CompletionKind::Numbers, {}, kOnboardProfiles}},
};

ExitCode RunSwitchProfile(CommandRun& run) {
    const std::string_view text = run.Arguments().operands.front();
    const std::optional<unsigned> index = ParseOnboardProfile(text);
    if (!index) {
        return run.UsageError("switch-profile needs an onboard profile from 0 to 4, not '" +
                              std::string(text) + "'");
    }
    MouseAccess& mouse = run.Mouse();
    if (const ExitCode switched = mouse.SwitchOnboardProfile(*index); switched != ExitCode::Ok) {
        return switched;
    }
    run.Out() << "onboard profile " << *index << " is active"
              << (mouse.ThroughWindow() ? " (switched by " + mouse.Where() + ")" : std::string())
              << '\n';
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kSwitchProfileCommand{
    "switch-profile",
    "make onboard profile N the active one",
    "N",
    "makes onboard profile N (0-4) the active one,\n"
    "as the mouse's profile button does (through\n"
    "the window: as its onboard-profile buttons do)",
    kOperands,
    {},
    &RunSwitchProfile,
};

}  // namespace varlok::tools
