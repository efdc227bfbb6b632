#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::platform {

// The udev rule that lets the user at the seat open the mouse, as this
// install keeps it: the one place that the permission help of the window
// and of varlokctl take its file from.
struct UdevRuleFile {
    std::filesystem::path path;
    // The rule lies in a folder udev reads rules from (a package installed
    // it there): udev needs only to apply it. Otherwise it has to be copied
    // into kLocalUdevRulesFolder first.
    bool readByUdev = false;

    friend bool operator==(const UdevRuleFile&, const UdevRuleFile&) = default;
};

inline constexpr std::string_view kUdevRuleFileName = "70-varlok.rules";
// Where the administrator puts rules of their own.
inline constexpr std::string_view kLocalUdevRulesFolder = "/etc/udev/rules.d";
// What has udev read its rules again and apply them to the devices present.
inline constexpr std::string_view kUdevReloadCommand =
    "sudo udevadm control --reload && sudo udevadm trigger";

// For a program installed as <prefix>/bin/<program>: the rule in
// rulesFolder, the udev rules folder the install put it in (taken below
// <prefix> when relative). Otherwise (this build tree, a program in a folder
// of its own): installFolder / "udev" / kUdevRuleFileName, as in the source
// tree's data/.
[[nodiscard]] UdevRuleFile UdevRuleFileForExecutable(const std::filesystem::path& executable,
                                                     const std::filesystem::path& installFolder,
                                                     const std::filesystem::path& rulesFolder);

// The running program's rule, in the folder this build installs rules to
// (VARLOK_UDEV_RULES_DIR); with VARLOK_INSTALL_DIR set, the one below it.
[[nodiscard]] UdevRuleFile InstalledUdevRuleFile();

// The shell command that copies the rule into folder, the paths quoted for
// the shell where they need to be.
[[nodiscard]] std::string UdevRuleCopyCommand(
    const UdevRuleFile& rule, const std::filesystem::path& folder = kLocalUdevRulesFolder);

// The commands, to be run as they are, that put the rule in force: the copy
// unless udev reads the rule where it is, then kUdevReloadCommand.
[[nodiscard]] std::vector<std::string> UdevRuleCommands(const UdevRuleFile& rule);

}  // namespace varlok::platform
