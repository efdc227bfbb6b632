#include "platform/udevrulefile.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/folders.h"

namespace varlok::platform {

namespace {

// The folders systemd's udev reads rules from (Debian's adds /lib).
constexpr std::array<std::string_view, 5> kUdevRulesFolders{
    "/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
    "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

bool IsUdevRulesFolder(const std::filesystem::path& folder) {
    const std::string normal = folder.lexically_normal().string();
    return std::ranges::find(kUdevRulesFolders, normal) != kUdevRulesFolders.end();
}

// The word as the shell reads it back: quoted unless it holds only
// characters that mean nothing to the shell.
std::string ShellQuoted(std::string_view word) {
    const bool plain = !word.empty() && std::ranges::all_of(word, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("/._-+,:@%").find(c) != std::string_view::npos;
    });
    if (plain) {
        return std::string(word);
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

UdevRuleFile UdevRuleFileForExecutable(const std::filesystem::path& executable,
                                       const std::filesystem::path& installFolder,
                                       const std::filesystem::path& rulesFolder) {
    if (const auto prefix = InstallPrefixForExecutable(executable)) {
        // An absolute folder stays as it is when joined.
        const std::filesystem::path folder = *prefix / rulesFolder;
        return {folder / kUdevRuleFileName, IsUdevRulesFolder(folder)};
    }
    return {installFolder / "udev" / kUdevRuleFileName, false};
}

UdevRuleFile InstalledUdevRuleFile() {
    const char* overridden = std::getenv("VARLOK_INSTALL_DIR");
    if (overridden != nullptr && *overridden != '\0') {
        return {std::filesystem::path(overridden) / "udev" / kUdevRuleFileName, false};
    }
    return UdevRuleFileForExecutable(RunningExecutable(), InstallFolder(), VARLOK_UDEV_RULES_DIR);
}

std::string UdevRuleCopyCommand(const UdevRuleFile& rule, const std::filesystem::path& folder) {
    return "sudo cp " + ShellQuoted(rule.path.string()) + " " + ShellQuoted(folder.string()) + "/";
}

std::vector<std::string> UdevRuleCommands(const UdevRuleFile& rule) {
    std::vector<std::string> commands;
    if (!rule.readByUdev) {
        commands.push_back(UdevRuleCopyCommand(rule));
    }
    commands.emplace_back(kUdevReloadCommand);
    return commands;
}

}  // namespace varlok::platform
