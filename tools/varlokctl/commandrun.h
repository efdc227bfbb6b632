#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "varlokctl/commandtable.h"
#include "varlokctl/mouseaccess.h"
#include "varlokctl/toolenvironment.h"

namespace varlok::tools {

// One command line taken apart by the command table.
struct ParsedArguments {
    bool simulate = false;
    bool fresh = false;
    bool trace = false;
    bool direct = false;
    bool help = false;
    bool version = false;
    // Null when no command was named (or "help").
    const CommandEntry* command = nullptr;
    // Arguments after the command that are no options.
    std::vector<std::string_view> operands;
    // The command's options in the order given: name and value (empty for
    // a flag).
    std::vector<std::pair<std::string_view, std::string_view>> options;

    // Each value of the option, in order.
    [[nodiscard]] std::vector<std::string_view> Values(std::string_view option) const;
    // The value given last.
    [[nodiscard]] std::optional<std::string_view> Last(std::string_view option) const;
    [[nodiscard]] bool Has(std::string_view option) const;
};

// What a command's handler works with: the run's streams, its arguments,
// usage errors that name the command, and the way to the mouse, chosen the
// first time the command asks for it (after its arguments were checked, so
// that bad usage never touches a device).
class CommandRun {
public:
    CommandRun(ToolEnvironment& environment, ParsedArguments arguments);
    ~CommandRun();
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    [[nodiscard]] ToolEnvironment& Environment() { return m_env; }
    [[nodiscard]] std::ostream& Out() { return m_env.out; }
    [[nodiscard]] std::ostream& Err() { return m_env.err; }
    [[nodiscard]] const ParsedArguments& Arguments() const { return m_arguments; }

    // "varlokctl: COMMAND: message", the command's usage line and the hint;
    // returns ExitCode::Usage.
    [[nodiscard]] ExitCode UsageError(std::string_view message);
    // The usage error for a value the command's option does not take:
    // "--profile needs a number from 0 to 4, not '9'", in the words of the
    // option's entry in the command table.
    [[nodiscard]] ExitCode BadValue(std::string_view option, std::string_view value);

    // The mouse, through the running window or directly (see
    // ChooseMouseAccess). The same object for the whole run.
    [[nodiscard]] MouseAccess& Mouse();

private:
    ToolEnvironment& m_env;
    ParsedArguments m_arguments;
    std::unique_ptr<MouseAccess> m_mouse;
};

// "varlokctl: message", the usage line of command (when given) and the hint
// to the help; returns ExitCode::Usage.
[[nodiscard]] ExitCode PrintUsageError(std::ostream& err, std::string_view message,
                                       const CommandEntry* command);

}  // namespace varlok::tools
