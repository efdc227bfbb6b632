// udev-rule [--install]: the udev rule that lets the user at the seat open
// the mouse, printed or installed.

#include <cstdlib>

#include "platform/atomicfile.h"
#include "platform/udevrulefile.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/udevrule.h"

namespace varlok::tools {

namespace {

// Where "udev-rule --install" puts the rule, the variable that overrides the
// folder (tests), and what then has udev apply it to the devices present.
constexpr const char* kUdevRulesFolderVariable = "VARLOK_UDEV_RULES_DIR";
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
        "its rules and apply them to the devices\npresent; needs root (sudo). Where a package\n"
        "installed the rule into udev's own folder, it\nonly has udev apply it"},
};

// Has udev read its rules again and apply them; false, saying so, when a
// command fails.
bool ApplyUdevRules(ToolEnvironment& env) {
    for (const std::vector<std::string>& command : kUdevCommands) {
        const int status = env.runProgram ? env.runProgram(command) : -1;
        std::string line;
        for (const std::string& argument : command) {
            line += (line.empty() ? "" : " ") + argument;
        }
        if (status != 0) {
            env.err << "varlokctl: '" << line << "' failed; run it yourself\n";
            return false;
        }
        env.out << "ran " << line << '\n';
    }
    return true;
}

ExitCode RunUdevRule(CommandRun& run) {
    ToolEnvironment& env = run.Environment();
    if (!run.Arguments().Has("--install")) {
        env.out << kUdevRule;
        return ExitCode::Ok;
    }
    const char* override = std::getenv(kUdevRulesFolderVariable);
    const bool folderGiven = override != nullptr && *override != '\0';
    const std::filesystem::path folder =
        folderGiven ? override : std::filesystem::path(platform::kLocalUdevRulesFolder);
    const std::filesystem::path target = folder / platform::kUdevRuleFileName;
    const platform::UdevRuleFile installed =
        env.udevRule.value_or(platform::InstalledUdevRuleFile());
    // A copy in /etc would hide the package's later versions of the rule.
    const bool copy = !installed.readByUdev;
    if (!env.privileged) {
        env.err << "varlokctl: " << (copy ? "installing" : "applying") << " the udev rule ";
        if (!copy) {
            env.err << installed.path.string() << ' ';
        }
        env.err << "needs root. Run:\n"
                   "  sudo varlokctl udev-rule --install\n"
                   "or:\n";
        if (copy) {
            env.err << "  " << platform::UdevRuleCopyCommand(installed, folder) << '\n';
        }
        env.err << "  " << platform::kUdevReloadCommand << '\n';
        return ExitCode::PermissionDenied;
    }
    if (!copy) {
        env.out << "udev reads the rule from " << installed.path.string() << '\n';
        return ApplyUdevRules(env) ? ExitCode::Ok : ExitCode::Failure;
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
    return ApplyUdevRules(env) ? ExitCode::Ok : ExitCode::Failure;
}

}  // namespace

const CommandEntry kUdevRuleCommand{
    "udev-rule",
    "print or install the udev rule",
    "[--install]",
    "the udev rule that lets the user at the seat\nopen the mouse",
    {},
    kOptions,
    &RunUdevRule,
};

}  // namespace varlok::tools
