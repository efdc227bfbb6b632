#pragma once

// varlok(1) and varlokctl(1), made from the programs' own tables: varlok's
// start options, varlokctl's command table, global options and exit codes,
// and the environment variables and files both read.

#include <string>

#include "makedocs/manualpage.h"

namespace varlok::tools::docs {

// Where the install puts what the pages name, as absolute paths.
struct InstalledPaths {
    // <prefix>/share/varlok.
    std::string dataFolder;
    // The udev rule.
    std::string udevRule;
    // The bus interface's description.
    std::string busInterface;
};

// The paths this build installs to (the build system's).
[[nodiscard]] InstalledPaths BuildInstalledPaths();

[[nodiscard]] ManualPage VarlokManual(const InstalledPaths& paths);
[[nodiscard]] ManualPage VarlokctlManual(const InstalledPaths& paths);

}  // namespace varlok::tools::docs
