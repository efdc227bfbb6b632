#pragma once

// varlokctl's command line: the global options, the command and its
// arguments, checked against the command table before the command runs.
// main() only hands in the process's bus and streams; tests hand in buses of
// their own and capture the output.

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "varlokctl/exitcode.h"
#include "varlokctl/toolenvironment.h"

namespace varlok::tools {

// Runs one varlokctl command line (without the program name).
class CommandLine {
public:
    explicit CommandLine(ToolEnvironment environment) : m_env(std::move(environment)) {}

    [[nodiscard]] ExitCode Run(std::span<const std::string_view> arguments);

    [[nodiscard]] static std::string HelpText();

private:
    ToolEnvironment m_env;
};

}  // namespace varlok::tools
