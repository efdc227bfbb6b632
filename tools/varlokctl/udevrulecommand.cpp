// udev-rule [--install]: the udev rule that lets the user at the seat open
// the mouse, printed or installed.

#include <cstdlib>

#include "platform/atomicfile.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/udevrule.h"

namespace varlok::tools {

namespace {

// Where "udev-rule --install" puts the rule, the variable that overrides the
// folder (tests), and what then has udev apply it to the devices present.
constexpr const char* kUdevRulesFolder = "/etc/udev/rules.d";
constexpr const char* kUdevRulesFolderVariable = "VARLOK_UDEV_RULES_DIR";
constexpr std::string_view kUdevRuleFile = "70-varlok.rules";
constexpr auto kUdevRulePermissions =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
    std::filesystem::perms::group_read | std::filesystem::perms::others_read;
const std::array<std::vector<std::string>, 2> kUdevCommands{
    std::vector<std::string>{"udevadm", "control", "--reload"},
    std::vector<std::string>{"udevadm", "trigger"},
};

constexpr std::array kOptions{
    OptionEntry{
        "--install", "", "",
        "writes it into /etc/udev/rules.d (or\n$VARLOK_UDEV_RULES_DIR) and has udev reload\n"
        "its rules and apply them to the devices\npresent; needs root (sudo)"},
};

ExitCode RunUdevRule(CommandRun& run) {
    ToolEnvironment& env = run.Environment();
    if (!run.Arguments().Has("--install")) {
        env.out << kUdevRule;
        return ExitCode::Ok;
    }
    const char* override = std::getenv(kUdevRulesFolderVariable);
    const std::filesystem::path folder =
        override != nullptr && *override != '\0' ? override : kUdevRulesFolder;
    const std::filesystem::path target = folder / kUdevRuleFile;
    if (!env.privileged) {
        env.err << "varlokctl: installing the udev rule needs root. Run:\n"
                   "  sudo varlokctl udev-rule --install\n"
                   "or, from the varlok sources:\n"
                   "  sudo cp data/udev/"
                << kUdevRuleFile << ' ' << folder.string()
                << "/\n"
                   "  sudo udevadm control --reload && sudo udevadm trigger\n";
        return ExitCode::PermissionDenied;
    }
    // Written atomically with a private temporary file; udev reads it as any
    // other rule, so it ends up readable by all.
    bool written = platform::ReplaceFileAtomically(target, kUdevRule);
    if (written) {
        std::error_code error;
        std::filesystem::permissions(target, kUdevRulePermissions, error);
        written = !error;
    }
    if (!written) {
        env.err << "varlokctl: cannot write " << target.string() << '\n';
        return ExitCode::Failure;
    }
    env.out << "wrote " << target.string() << '\n';
    for (const std::vector<std::string>& command : kUdevCommands) {
        const int status = env.runProgram ? env.runProgram(command) : -1;
        std::string line;
        for (const std::string& argument : command) {
            line += (line.empty() ? "" : " ") + argument;
        }
        if (status != 0) {
            env.err << "varlokctl: '" << line << "' failed; run it yourself\n";
            return ExitCode::Failure;
        }
        env.out << "ran " << line << '\n';
    }
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kUdevRuleCommand{
    "udev-rule",
    "[--install]",
    "the udev rule that lets the user at the seat\nopen the mouse (data/udev/70-varlok.rules)",
    {},
    kOptions,
    &RunUdevRule,
};

}  // namespace varlok::tools
