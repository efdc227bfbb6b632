#pragma once

// The command table: one entry per command with its name, operands,
// options, help and handler. The help text, the usage errors and the
// dispatch are all made from it; each command's entry lives in the command's
// own file and is listed in kCommands.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "varlokctl/exitcode.h"

namespace varlok::tools {

class CommandRun;

// An option a command takes: a flag ("--seven") or one with a value
// ("--dpi STAGE=DPI", also written "--dpi=STAGE=DPI"). An option may belong to
// several commands; its name and value are the same in each.
struct OptionEntry {
    std::string_view name;
    // What the help shows after the name; empty for a flag.
    std::string_view value;
    // What the value must be, for "--profile needs a number from 0 to 4".
    std::string_view wants;
    // Wrapped to the help's description column.
    std::string_view help;
};

// An operand a command needs, in order.
struct OperandEntry {
    std::string_view name;
    // The usage error when it is missing, after "COMMAND needs ".
    std::string_view missing;
};

struct CommandEntry {
    std::string_view name;
    // The synopsis after the name ("[--profile N]"); a newline continues it on
    // the next line of the help.
    std::string_view synopsis;
    // Wrapped to the help's description column.
    std::string_view help;
    std::span<const OperandEntry> operands;
    std::span<const OptionEntry> options;
    // Runs the command once its arguments passed the table's checks.
    ExitCode (*run)(CommandRun& run);
};

// Every command, in the order of the help.
[[nodiscard]] std::span<const CommandEntry* const> Commands();
[[nodiscard]] const CommandEntry* FindCommand(std::string_view name);
// The option of that name as any command declares it, or nothing.
[[nodiscard]] const OptionEntry* FindOption(std::string_view name);
// "read-settings and set": the commands that take the option.
[[nodiscard]] std::string CommandsTaking(std::string_view option);
// "list, info, ...": every command's name.
[[nodiscard]] std::string CommandNames();
// "varlokctl [GLOBAL OPTIONS] set [--profile N] ..." on one line.
[[nodiscard]] std::string UsageLine(const CommandEntry& command);
// The whole help text.
[[nodiscard]] std::string HelpText();

// Options that every command takes; the command-line parser handles them.
inline constexpr std::string_view kGlobalSynopsis = "[--simulate] [--trace] [--direct]";

}  // namespace varlok::tools
