// select-profile device|lighting|key NAME: chooses a named profile of the
// window's lists.

#include <algorithm>

#include "platform/entrynames.h"
#include "profiles/profilecategory.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"

namespace varlok::tools {

namespace {

constexpr std::array kOperands{
    OperandEntry{"CATEGORY",
                 "a profile list (device, lighting or key) and a profile name",
                 {CompletionKind::Words, profiles::kProfileCategoryNames}},
    OperandEntry{"NAME", "a profile name"},
};

ExitCode RunSelectProfile(CommandRun& run) {
    const std::string_view categoryName = run.Arguments().operands[0];
    const std::string name(run.Arguments().operands[1]);
    const auto info = std::ranges::find(profiles::kProfileCategories, categoryName,
                                        &profiles::ProfileCategoryInfo::name);
    if (info == profiles::kProfileCategories.end()) {
        return run.UsageError("select-profile takes device, lighting or key, not '" +
                              std::string(categoryName) + "'");
    }
    if (!platform::IsSafeEntryName(name)) {
        return run.UsageError("'" + name + "' cannot name a profile");
    }
    MouseAccess& mouse = run.Mouse();
    if (const ExitCode selected = mouse.SelectProfile(info->category, name);
        selected != ExitCode::Ok) {
        return selected;
    }
    run.Out() << "selected the " << info->name << " profile '" << name << "'"
              << (mouse.ThroughWindow() ? " in " + mouse.Where() : std::string()) << '\n';
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kSelectProfileCommand{
    "select-profile",
    "choose a profile of varlok's lists by name",
    "device|lighting|key NAME",
    "chooses the named entry (letter case aside) of\n"
    "varlok's device, lighting or key profile list\n"
    "and sends it: through the window as choosing\n"
    "it there does; without the window it is sent\n"
    "as apply sends its file and becomes the list's\n"
    "selection, which the window takes when it\n"
    "starts",
    kOperands,
    {},
    &RunSelectProfile,
};

}  // namespace varlok::tools
